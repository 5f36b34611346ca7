// The page: takes the three data files, has the worker convert them with
// listconv's own run and export them with listconv-export's own formats, and
// offers the results. Values from the data only ever reach the page as text.
// The data files, what a missing one means, the export's formats and which
// of them take a byte-order mark are the programs' facts: the worker's
// module tells them once it has started.
//
// The page's script is these files, joined in this order by make_page.py
// inside one function (one scope, in strict mode), which then calls
// startPage(): page.js (the facts, the state the parts share and the
// worker), page_files.js (the data files and their check), page_results.js
// (converting, the exports and the listing) and page_mending.js (the
// unknowns, adding a word, the kanji look-up).

// Inputs larger than this (in all) show a progress bar while converting.
var PROGRESS_FROM_BYTES = 4 << 20;
var LISTING_PAGE_LINES = 700;
// What the page offers of the export's formats, in the order it makes them
// after each conversion: what it calls each, the links that give it, its
// type; the listing is shown on the page too, the byte-order-mark box
// belongs to both CSVs, the report of unknowns is listed for mending and the
// catalogue takes the title field. A format the module does not have is not
// offered, nor one whose data file was not given.
var OFFERS = [
  {format: 'listing', what: 'the listing in UTF-8', links: ['get-listing'],
   type: 'text/plain;charset=utf-8', shown: true},
  {format: 'csv', what: 'the CSV', links: ['get-csv'], type: 'text/csv;charset=utf-8', bomBox: true},
  {format: 'unknown', what: 'the report of unknowns', links: ['get-unknown'],
   type: 'text/csv;charset=utf-8', bomBox: true, unknownList: true},
  {format: 'jsonl', what: 'the JSON Lines', links: ['get-jsonl'], type: 'application/jsonl;charset=utf-8'},
  {format: 'html', what: 'the catalogue', links: ['open-html', 'get-html'], type: 'text/html;charset=utf-8',
   titled: true}
];
// The format of the check's report on the files, shown before converting
// where the module has it.
var CHECK_FORMAT = 'check';
// The name of the worker that checks (worker.js knows it too).
var CHECK_WORKER = 'check';

var $ = function (id) { return document.getElementById(id); };
var facts = null;      // what the module says (web_facts in web_entry.cpp); null until it has
var inputs = [];       // the data files' names, from the facts
var offers = {};       // the entries of OFFERS the module has formats for, by format
var unsorted = [];     // files chosen before the facts came
var files = {};        // the data files chosen, by their names
var worker = null;
var workerReady = false;
var pending = [];      // requests waiting for the worker to be ready
var runId = 0;         // the conversion whose results are shown
var converting = false;
var addedLines = [];   // the lines added to words.txt in this page

function bytesText(n) {
  return n.toLocaleString('en-US') + (n === 1 ? ' byte' : ' bytes');
}

function setStatus(text) {
  $('status').textContent = text;
}

function showFault(text) {
  var box = $('fault');
  box.textContent = text;
  box.hidden = !text;
}

// Takes the module's facts: the data files can be sorted and shown, the
// exports made.
function takeFacts(told) {
  if (facts) {
    return;
  }
  facts = told;
  inputs = facts.inputs.map(function (input) { return input.name; });
  OFFERS.forEach(function (offer) {
    facts.formats.forEach(function (format) {
      if (format.name === offer.format) {
        offer.bom = format.bom;
        offer.lists = format.lists;
        offers[offer.format] = offer;
      }
    });
  });
  var chosen = unsorted;
  unsorted = [];
  addFiles(chosen);
}

// ---- the worker ---------------------------------------------------------

// A worker running the page's worker code, under `name`.
function newWorker(name) {
  var code = new Blob([$('worker-code').textContent], {type: 'text/javascript'});
  var url = URL.createObjectURL(code);
  var started = new Worker(url, {name: name});
  URL.revokeObjectURL(url);
  return started;
}

function startWorker() {
  worker = newWorker('convert');
  workerReady = false;
  worker.onmessage = onWorkerMessage;
  worker.onerror = function (event) {
    event.preventDefault();
    workerFailed(event.message || 'the converter could not start');
  };
}

function send(request, transfer) {
  if (!worker) {
    startWorker();
  }
  if (workerReady) {
    worker.postMessage(request, transfer || []);
  } else {
    pending.push([request, transfer || []]);
  }
}

// The worker failed (out of memory, say): it is dropped, the page says so
// and stays usable; the next conversion starts a new worker.
function workerFailed(message, request) {
  if (worker) {
    worker.terminate();
  }
  worker = null;
  workerReady = false;
  pending = [];
  exportQueue = [];
  exporting = null;
  var during = converting ? 'The conversion failed' :
    request === 'export' ? 'Making the exports failed' : 'The converter could not start';
  converting = false;
  $('progress').hidden = true;
  showFault(during + ': ' + message + '. Nothing was lost: you can convert again ' +
            '(with fewer or smaller files if the browser ran out of memory).');
  setStatus('');
  showFiles();
}

function onWorkerMessage(event) {
  var m = event.data;
  if (m.type === 'facts') {
    takeFacts(m.facts);
  } else if (m.type === 'looked-up') {
    lookedUp(m);
  } else if (m.type === 'word-added') {
    wordAdded(m);
  } else if (m.type === 'ready') {
    workerReady = true;
    pending.forEach(function (p) { worker.postMessage(p[0], p[1]); });
    pending = [];
  } else if (m.type === 'fault') {
    workerFailed(m.message, m.request);
  } else if (m.id !== runId) {
    return;  // from a conversion that is no longer shown
  } else if (m.type === 'line' && m.format) {
    addExportMessage(m.format, m.text);
  } else if (m.type === 'line') {
    addConsoleLine(m.stream, m.text);
  } else if (m.type === 'progress') {
    showProgress(m);
  } else if (m.type === 'converted') {
    converted(m);
  } else if (m.type === 'exported') {
    exported(m);
  }
}

// Starts the worker, which tells the facts; until then Convert waits.
function startPage() {
  startWorker();
  showFiles();
}
