// The page's worker: listconv and listconv-export, built to WebAssembly, run
// over the files the page sends, in the module's in-memory file system (its
// files: emscripten_fs.js). Once the module has started it tells the page
// what the programs' side knows (the data files, the formats); it answers
// every request with one message (converted, exported or fault) and sends
// console lines and progress meanwhile. After a fault the module may be
// broken: the page then starts a new worker.
'use strict';

var DATA_DIR = '/data';
var OUT_DIR = '/out';
var PROGRESS_EVERY_MS = 100;

// The request being answered, so that a fault names it.
var busyWith = null;
var silenced = false;
var WARM_UP_BYTES = 4 << 20;
var faulted = false;
// What the module says of the data files and the formats (web_facts in
// web_entry.cpp).
var facts = null;

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
      facts = JSON.parse(Module.ccall('web_facts', 'string', [], []));
      post({type: 'facts', facts: facts});
      if (self.name !== CHECK_WORKER) {
        warmUp();
      }
    } catch (error) {
      reportFault(error);
      return;
    }
    post({type: 'ready'});
  }
};

// A worker of this name (page.js names it so) only checks the files it is
// sent, once: it leaves out the warm-up, which would only delay the report.
var CHECK_WORKER = 'check';

var INPUT_DIR = '/in';
var READ_BLOCK = 16 << 20;

// Runs the conversion once over filler records that it lists, with its
// console silenced: the browser compiles the module's busy functions fully
// only once they have run a while, and the person's first conversion then
// does not pay for it.
function warmUp() {
  var dir = '/warm-up';
  FS.mkdir(dir);
  FS.writeFile(dir + '/' + facts.records, new Uint8Array(WARM_UP_BYTES).fill(0x41));
  silenced = true;
  try {
    Module.ccall('web_convert', 'number', ['string'], [dir]);
  } finally {
    silenced = false;
  }
  emptyFolder(dir);
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

// Reports how far the reads of list.rec have come, at most every
// PROGRESS_EVERY_MS, while the program reads it.
function watchRecordReads(id, stage) {
  var last = 0;
  watchReads(DATA_DIR + '/' + facts.records, function (done, total) {
    var now = Date.now();
    if (now - last >= PROGRESS_EVERY_MS) {
      last = now;
      post({type: 'progress', id: id, stage: stage, done: done, total: total});
    }
  });
}

function convert(request) {
  placeInputs(request.files, INPUT_DIR, DATA_DIR, READ_BLOCK);
  emptyFolder(OUT_DIR);
  watchRecordReads(request.id, 'convert');
  resetFsTimes();
  var started = performance.now();
  var status = Module.ccall('web_convert', 'number', ['string'], [DATA_DIR]);
  var ran = performance.now();
  var listing = takeFile(DATA_DIR + '/' + facts.listing);
  // Where the time went, for the benchmark: the run, of it the reads of the
  // inputs and the writes of list.txt, and making the file handed over; and
  // the module's memory afterwards.
  post({type: 'converted', id: request.id, status: status, listing: listing,
        runSeconds: (ran - started) / 1000,
        timing: {readSeconds: fsTimes.read / 1000, writeSeconds: fsTimes.write / 1000,
                 handOverSeconds: (performance.now() - ran) / 1000,
                 memoryBytes: moduleMemoryBytes()}});
}

function exportAs(request) {
  var output = OUT_DIR + '/export';
  watchRecordReads(request.id, request.format);
  var status = Module.ccall('web_export', 'number',
                            ['string', 'number', 'string', 'string', 'string'],
                            [request.format, request.bom ? 1 : 0, request.title || '', DATA_DIR,
                             output]);
  // The mending section's list: the rows of the report of unknowns, each
  // with how it is mended.
  var unknowns = request.unknownList ?
    JSON.parse(Module.ccall('web_unknown_list', 'string', ['string'], [DATA_DIR])) :
    null;
  var pieces = request.lineStarts ? filePieces(output) : null;
  var starts = pieces ? lineStarts(pieces) : null;
  var blob = takeFile(output);
  post({type: 'exported', id: request.id, format: request.format, bom: !!request.bom,
        status: status, blob: blob, lineStarts: starts, unknowns: unknowns},
       starts ? [starts.buffer] : []);
}

// The check, the look-ups and adding a word read the files they are sent
// from a folder of their own, so that they leave the conversion's files to
// its exports.
var SIDE_INPUT_DIR = '/side-in';
var SIDE_DIR = '/side';

function placeSideInputs(files) {
  if (!FS.analyzePath(SIDE_DIR).exists) {
    FS.mkdir(SIDE_DIR);
  }
  placeInputs(files, SIDE_INPUT_DIR, SIDE_DIR, READ_BLOCK);
}

// The check's report on the files, before converting: the text of the
// check format, and its exit status.
function check(request) {
  placeSideInputs(request.files);
  var output = OUT_DIR + '/check';
  var status = Module.ccall('web_export', 'number',
                            ['string', 'number', 'string', 'string', 'string'],
                            ['check', 0, '', SIDE_DIR, output]);
  var blob = takeFile(output);
  post({type: 'checked', id: request.id, status: status, report: blob});
}

// The parts of a look-up's text that are looked up alone: a run of digits
// and commas is codes, any other run kanji, and blanks (an ideographic one
// too) only separate them. Runs of one kind in a row are one part (codes with
// a blank between), so that the module reads kanjis.dat once for each part.
function lookUpParts(text) {
  var parts = [];
  var lastIsCodes = null;
  text.split(/\s+/).forEach(function (word) {
    (word.match(/[0-9,]+|[^0-9,]+/g) || []).forEach(function (run) {
      var isCodes = /^[0-9,]+$/.test(run);
      if (isCodes && !/[0-9]/.test(run)) {
        return;  // commas alone separate codes
      }
      if (isCodes === lastIsCodes) {
        parts[parts.length - 1] += isCodes ? ' ' + run : run;
      } else {
        parts.push(run);
      }
      lastIsCodes = isCodes;
    });
  });
  return parts;
}

// The codes of kanji, and the kanji of codes, in the kanjis.dat given, each
// item marked byCode or not; the text whole (the kanji of a word to add), or
// with request.words its parts (lookUpParts) each looked up alone.
function lookUp(request) {
  placeSideInputs(request.files);
  var items = [];
  (request.words ? lookUpParts(request.text) : [request.text]).forEach(function (part) {
    var answer = JSON.parse(Module.ccall('web_kanji_lookup', 'string', ['string', 'string'],
                                         [SIDE_DIR, part]));
    answer.items.forEach(function (item) {
      item.byCode = answer.byCode;
      items.push(item);
    });
  });
  post({type: 'looked-up', id: request.id, text: request.text, answer: {items: items}});
}

// The words.txt given, with an entry added after its last line (or why it
// cannot be).
function addWord(request) {
  placeSideInputs(request.files);
  var output = OUT_DIR + '/' + facts.words;
  var answer = JSON.parse(Module.ccall(
    'web_add_word', 'string', ['string', 'string', 'string', 'string', 'string'],
    [SIDE_DIR, request.key, request.word, request.kanji, output]));
  post({type: 'word-added', id: request.id, key: request.key, answer: answer,
        words: answer.refused ? null : takeFile(output)});
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
    } else if (request.type === 'check') {
      check(request);
    } else if (request.type === 'look-up') {
      lookUp(request);
    } else if (request.type === 'add-word') {
      addWord(request);
    }
  } catch (error) {
    reportFault(error);
  }
  busyWith = null;
};
