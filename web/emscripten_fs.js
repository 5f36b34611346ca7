// The worker's files, on emscripten's in-memory file system (MEMFS) and its
// worker file system (WORKERFS). Two things the worker needs go past
// emscripten's public file system calls: a file written in pieces and a file
// read in blocks straight from the Blob it lies in. Both replace stream
// operations, and use MEMFS.resizeFileStorage, the fields of file nodes and
// the module's errno numbers: internals that change between emscripten
// versions without notice. They are all in this file, which is checked
// against the one version it was written for:
//
// Written for emscripten 3.1.6: web/CMakeLists.txt stops the build on any other.
//
// Before changing that line for a new version, compare what is used here with
// that version's src/library_memfs.js, src/library_workerfs.js and
// src/library_fs.js, then run the page's browser test.

// The errno of an input/output error, as the module's C library numbers it.
var EIO = 29;
var reader = new FileReaderSync();
// Milliseconds spent in the reads of the inputs and the writes of the
// outputs since the last resetFsTimes(): where a run's time goes besides the
// program's own work.
var fsTimes = {read: 0, write: 0};

function resetFsTimes() {
  fsTimes.read = 0;
  fsTimes.write = 0;
}

// `operation`, adding the time it takes to fsTimes[kind].
function timedAs(kind, operation) {
  return function () {
    var started = performance.now();
    try {
      return operation.apply(this, arguments);
    } finally {
      fsTimes[kind] += performance.now() - started;
    }
  };
}

// The bytes of the module's memory: it grows as the program needs and never
// shrinks.
function moduleMemoryBytes() {
  return HEAP8.length;
}

// Keeps what the program writes to a new in-memory file as a list of the
// pieces it wrote, as long as it only appends: a large file grown in one
// piece of memory is copied over and over as it grows, which took longer
// than writing it. Anything else done to such a file (reading, writing
// elsewhere, truncating) first joins the pieces into one as the file
// system keeps files. Called once, before any file is written.
function keepWrittenPieces() {
  var ops = MEMFS.ops_table.file.stream;
  var write = ops.write, read = ops.read;
  ops.write = timedAs('write', function (stream, buffer, offset, length, position, canOwn) {
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
  });
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

// The bytes of the in-memory file at `path`, in pieces, or null when there
// is no such file.
function filePieces(path) {
  if (!FS.analyzePath(path).exists) {
    return null;
  }
  return piecesOf(FS.lookupPath(path).node);
}

// The file at `path` as a Blob, removed from the file system, or null when
// there is no such file.
function takeFile(path) {
  var pieces = filePieces(path);
  if (!pieces) {
    return null;
  }
  var blob = new Blob(pieces);
  FS.unlink(path);
  return blob;
}

// Removes every file of a folder of the in-memory file system.
function emptyFolder(dir) {
  FS.readdir(dir).forEach(function (name) {
    if (name !== '.' && name !== '..') {
      FS.unlink(dir + '/' + name);
    }
  });
}

// Puts the files (File or Blob objects, by name) into `dataDir`, emptied
// first, as links to a worker file system mounted at `mountDir`. They are
// read in blocks of `blockBytes` as the program reads them, so that neither a
// whole file nor many small reads are needed. A read that fails (a file
// removed since it was picked, say) is an input/output error, which the
// program handles as it does on disk.
function placeInputs(files, mountDir, dataDir, blockBytes) {
  if (FS.analyzePath(mountDir).exists) {
    FS.unmount(mountDir);
  } else {
    FS.mkdir(mountDir);
  }
  var names = Object.keys(files);
  FS.mount(WORKERFS, {blobs: names.map(function (name) {
    return {name: name, data: files[name]};
  })}, mountDir);
  emptyFolder(dataDir);
  names.forEach(function (name) {
    readInBlocks(FS.lookupPath(mountDir + '/' + name).node, blockBytes);
    FS.symlink(mountDir + '/' + name, dataDir + '/' + name);
  });
}

// Makes reads of a worker file system node go through one block of
// `blockBytes`, read whole, and report how far they have come to the node's
// onRead (see watchReads).
function readInBlocks(node, blockBytes) {
  var block = null;  // {start, bytes}: the block last read
  node.stream_ops = Object.assign({}, node.stream_ops, {
    read: timedAs('read', function (stream, buffer, offset, length, position) {
      if (position >= node.size) {
        return 0;
      }
      if (!block || position < block.start || position >= block.start + block.bytes.length) {
        var start = position - position % blockBytes;
        try {
          block = {start: start, bytes: new Uint8Array(reader.readAsArrayBuffer(
            node.contents.slice(start, start + blockBytes)))};
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
    })
  });
}

// Calls onRead(bytes read so far, size of the file) after every read of the
// input that placeInputs put at `path`; nothing when there is no such input.
function watchReads(path, onRead) {
  if (!FS.analyzePath(path).exists) {
    return;
  }
  var node = FS.lookupPath(path, {follow: true}).node;
  node.onRead = function (done) {
    onRead(done, node.size);
  };
}
