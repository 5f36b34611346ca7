// The page's worker: listconv and listconv-export, built to WebAssembly, run
// over the files the page sends, in the module's in-memory file system. It
// answers every request with one message (converted, exported or fault) and
// sends console lines and progress meanwhile. After a fault the module may be
// broken: the page then starts a new worker.
'use strict';

var DATA_DIR = '/data';
var OUT_DIR = '/out';
var RECORD_FILE = 'list.rec';
var LISTING_FILE = 'list.txt';
var PROGRESS_EVERY_MS = 100;

// The request being answered, so that a fault names it.
var busyWith = null;
var silenced = false;
var WARM_UP_BYTES = 4 << 20;
var faulted = false;

function post(message, transfer) {
  self.postMessage(message, transfer || []);
}

function decodeBase64(text) {
  var binary = atob(text);
  var bytes = new Uint8Array(binary.length);
  for (var i = 0; i < binary.length; i++) {
    bytes[i] = binary.charCodeAt(i);
  }
  return bytes;
}

function reportFault(what) {
  if (faulted) {
    return;
  }
  faulted = true;
  post({type: 'fault', id: busyWith && busyWith.id, request: busyWith && busyWith.type,
        message: String(what && what.message ? what.message : what)});
}

// A console line of the program, with the request that printed it.
function postLine(stream, text) {
  if (silenced) {
    return;
  }
  post({type: 'line', id: busyWith && busyWith.id, format: busyWith && busyWith.format,
        stream: stream, text: text});
}

var Module = {
  wasmBinary: decodeBase64(WASM_BASE64),
  noInitialRun: true,
  print: function (line) {
    postLine('out', line);
  },
  printErr: function (line) {
    postLine('err', line);
  },
  onAbort: reportFault,
  onRuntimeInitialized: function () {
    keepWrittenPieces();
    FS.mkdir(DATA_DIR);
    FS.mkdir(OUT_DIR);
    try {
      warmUp();
    } catch (error) {
      reportFault(error);
      return;
    }
    post({type: 'ready'});
  }
};

var INPUT_DIR = '/in';
// The errno of an input/output error, as the module numbers it.
var EIO = 29;
var READ_BLOCK = 16 << 20;
var reader = new FileReaderSync();

// Keeps what the program writes to a new in-memory file as a list of the
// pieces it wrote, as long as it only appends: a large file grown in one
// piece of memory is copied over and over as it grows, which took longer
// than writing it. Anything else done to such a file (reading, writing
// elsewhere, truncating) first joins the pieces into one as the file
// system keeps files.
function keepWrittenPieces() {
  var ops = MEMFS.ops_table.file.stream;
  var write = ops.write, read = ops.read;
  ops.write = function (stream, buffer, offset, length, position, canOwn) {
    var node = stream.node;
    if (!node.pieces && node.usedBytes === 0 && position === 0 && !node.contents) {
      node.pieces = [];
    }
    if (node.pieces && position === node.usedBytes) {
      if (length > 0) {
        node.pieces.push(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice());
        node.usedBytes += length;
      }
      node.timestamp = Date.now();
      return length;
    }
    joinPieces(node);
    return write.apply(this, arguments);
  };
  ops.read = function (stream) {
    joinPieces(stream.node);
    return read.apply(this, arguments);
  };
  var resize = MEMFS.resizeFileStorage;
  MEMFS.resizeFileStorage = function (node) {
    joinPieces(node);
    return resize.apply(this, arguments);
  };
}

// Turns a file kept as pieces back into one piece of memory.
function joinPieces(node) {
  if (!node.pieces) {
    return;
  }
  var joined = new Uint8Array(node.usedBytes);
  var at = 0;
  node.pieces.forEach(function (piece) {
    joined.set(piece, at);
    at += piece.length;
  });
  node.contents = joined;
  node.pieces = null;
}

// The bytes of a file node, in pieces.
function piecesOf(node) {
  if (node.pieces) {
    return node.pieces;
  }
  return node.usedBytes ? [node.contents.subarray(0, node.usedBytes)] : [];
}

// Runs the conversion once over filler records that it lists, with its
// console silenced: the browser compiles the module's busy functions fully
// only once they have run a while, and the person's first conversion then
// does not pay for it.
function warmUp() {
  var dir = '/warm-up';
  FS.mkdir(dir);
  FS.writeFile(dir + '/list.rec', new Uint8Array(WARM_UP_BYTES).fill(0x41));
  silenced = true;
  try {
    Module.ccall('web_convert', 'number', ['string'], [dir]);
  } finally {
    silenced = false;
  }
  emptyFolder(dir);
}

// Removes every file of a folder of the in-memory file system.
function emptyFolder(dir) {
  FS.readdir(dir).forEach(function (name) {
    if (name !== '.' && name !== '..') {
      FS.unlink(dir + '/' + name);
    }
  });
}

// Puts the files (File or Blob objects, by name) into DATA_DIR. They are
// read in blocks of READ_BLOCK bytes as the program reads them, so that
// neither a whole file nor many small reads are needed. A read that fails
// (a file removed since it was picked, say) is an input/output error, which
// the program handles as it does on disk.
function placeFiles(files) {
  if (FS.analyzePath(INPUT_DIR).exists) {
    FS.unmount(INPUT_DIR);
  } else {
    FS.mkdir(INPUT_DIR);
  }
  var names = Object.keys(files);
  FS.mount(WORKERFS, {blobs: names.map(function (name) {
    return {name: name, data: files[name]};
  })}, INPUT_DIR);
  emptyFolder(DATA_DIR);
  emptyFolder(OUT_DIR);
  names.forEach(function (name) {
    var node = FS.lookupPath(INPUT_DIR + '/' + name).node;
    var block = null;  // {start, bytes}: the block last read
    node.stream_ops = Object.assign({}, node.stream_ops, {
      read: function (stream, buffer, offset, length, position) {
        if (position >= node.size) {
          return 0;
        }
        if (!block || position < block.start || position >= block.start + block.bytes.length) {
          var start = position - position % READ_BLOCK;
          try {
            block = {start: start, bytes: new Uint8Array(reader.readAsArrayBuffer(
              node.contents.slice(start, start + READ_BLOCK)))};
          } catch (error) {
            block = null;
            throw new FS.ErrnoError(EIO);
          }
        }
        var from = position - block.start;
        var n = Math.min(length, block.bytes.length - from);
        buffer.set(block.bytes.subarray(from, from + n), offset);
        if (node.onRead) {
          node.onRead(position + n);
        }
        return n;
      }
    });
    FS.symlink(INPUT_DIR + '/' + name, DATA_DIR + '/' + name);
  });
}

// Reports how far the reads of the input `name` have come, at most every
// PROGRESS_EVERY_MS, while the program reads it.
function watchReads(name, id, stage) {
  var path = DATA_DIR + '/' + name;
  if (!FS.analyzePath(path).exists) {
    return;
  }
  var node = FS.lookupPath(path, {follow: true}).node;
  var last = 0;
  node.onRead = function (done) {
    var now = Date.now();
    if (now - last >= PROGRESS_EVERY_MS) {
      last = now;
      post({type: 'progress', id: id, stage: stage, done: done, total: node.size});
    }
  };
}

// The file at `path` as a Blob, removed from the file system, or null when
// there is no such file.
function takeFile(path) {
  if (!FS.analyzePath(path).exists) {
    return null;
  }
  var blob = new Blob(piecesOf(FS.lookupPath(path).node));
  FS.unlink(path);
  return blob;
}

// Where every line of a UTF-8 text (in pieces) starts, so that the page can
// show a part of a long listing without reading all of it.
function lineStarts(pieces) {
  var starts = [0];
  var base = 0;
  pieces.forEach(function (bytes) {
    for (var i = bytes.indexOf(10); i >= 0; i = bytes.indexOf(10, i + 1)) {
      starts.push(base + i + 1);
    }
    base += bytes.length;
  });
  if (starts.length > 1 && starts[starts.length - 1] === base) {
    starts.pop();
  }
  return new Uint32Array(starts);
}

function convert(request) {
  placeFiles(request.files);
  watchReads(RECORD_FILE, request.id, 'convert');
  var started = performance.now();
  var status = Module.ccall('web_convert', 'number', ['string'], [DATA_DIR]);
  var listing = takeFile(DATA_DIR + '/' + LISTING_FILE);
  post({type: 'converted', id: request.id, status: status, listing: listing,
        runSeconds: (performance.now() - started) / 1000});
}

function exportAs(request) {
  var output = OUT_DIR + '/export';
  watchReads(RECORD_FILE, request.id, request.format);
  var status = Module.ccall('web_export', 'number',
                            ['string', 'number', 'string', 'string', 'string'],
                            [request.format, request.bom ? 1 : 0, request.title || '', DATA_DIR,
                             output]);
  var starts = null;
  if (request.format === 'listing' && FS.analyzePath(output).exists) {
    starts = lineStarts(piecesOf(FS.lookupPath(output).node));
  }
  var blob = takeFile(output);
  post({type: 'exported', id: request.id, format: request.format, bom: !!request.bom,
        status: status, blob: blob, lineStarts: starts}, starts ? [starts.buffer] : []);
}

self.onmessage = function (event) {
  var request = event.data;
  if (faulted) {
    return;
  }
  busyWith = request;
  try {
    if (request.type === 'convert') {
      convert(request);
    } else if (request.type === 'export') {
      exportAs(request);
    }
  } catch (error) {
    reportFault(error);
  }
  busyWith = null;
};
