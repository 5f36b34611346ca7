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

var Module = {
  wasmBinary: decodeBase64(WASM_BASE64),
  noInitialRun: true,
  print: function (line) {
    post({type: 'line', id: busyWith && busyWith.id, stream: 'out', text: line});
  },
  printErr: function (line) {
    post({type: 'line', id: busyWith && busyWith.id, stream: 'err', text: line});
  },
  onAbort: reportFault,
  onRuntimeInitialized: function () {
    FS.mkdir(DATA_DIR);
    FS.mkdir(OUT_DIR);
    post({type: 'ready'});
  }
};

// Removes every file of a folder of the in-memory file system.
function emptyFolder(dir) {
  FS.readdir(dir).forEach(function (name) {
    if (name !== '.' && name !== '..') {
      FS.unlink(dir + '/' + name);
    }
  });
}

// Puts the bytes into the file system as the file at `path`, taking them
// over rather than copying them.
function placeFile(path, buffer) {
  var stream = FS.open(path, 'w');
  var bytes = new Uint8Array(buffer);
  FS.write(stream, bytes, 0, bytes.length, 0, true);
  FS.close(stream);
}

// Reports how far the reads of the file at `path` have come, at most every
// PROGRESS_EVERY_MS, while the program reads it.
function watchReads(path, id, stage) {
  var node = FS.lookupPath(path).node;
  var total = node.usedBytes;
  var read = node.stream_ops.read;
  var last = 0;
  node.stream_ops = Object.assign({}, node.stream_ops, {
    read: function (stream, buffer, offset, length, position) {
      var n = read(stream, buffer, offset, length, position);
      var now = Date.now();
      if (now - last >= PROGRESS_EVERY_MS) {
        last = now;
        post({type: 'progress', id: id, stage: stage, done: position + n, total: total});
      }
      return n;
    }
  });
}

// The bytes of the file at `path`, removed from the file system, or null
// when there is no such file.
function takeFile(path) {
  if (!FS.analyzePath(path).exists) {
    return null;
  }
  var bytes = FS.readFile(path);
  FS.unlink(path);
  return bytes.buffer;
}

function convert(request) {
  emptyFolder(DATA_DIR);
  emptyFolder(OUT_DIR);
  Object.keys(request.files).forEach(function (name) {
    placeFile(DATA_DIR + '/' + name, request.files[name]);
  });
  if (request.files[RECORD_FILE]) {
    watchReads(DATA_DIR + '/' + RECORD_FILE, request.id, 'convert');
  }
  var status = Module.ccall('web_convert', 'number', ['string'], [DATA_DIR]);
  var listing = takeFile(DATA_DIR + '/' + LISTING_FILE);
  post({type: 'converted', id: request.id, status: status, listing: listing},
       listing ? [listing] : []);
}

function exportAs(request) {
  var output = OUT_DIR + '/export';
  if (FS.analyzePath(DATA_DIR + '/' + RECORD_FILE).exists) {
    watchReads(DATA_DIR + '/' + RECORD_FILE, request.id, request.format);
  }
  var status = Module.ccall('web_export', 'number',
                            ['string', 'number', 'string', 'string', 'string'],
                            [request.format, request.bom ? 1 : 0, request.title || '', DATA_DIR,
                             output]);
  var bytes = takeFile(output);
  post({type: 'exported', id: request.id, format: request.format, bom: !!request.bom,
        status: status, bytes: bytes}, bytes ? [bytes] : []);
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
