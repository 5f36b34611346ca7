// The page: takes the three data files, has the worker convert them with
// listconv's own run and export them with listconv-export's own formats, and
// offers the results. Values from the data only ever reach the page as text.
(function () {
  'use strict';

  var INPUTS = ['kanjis.dat', 'words.txt', 'list.rec'];
  // What a missing file means for the conversion, as listconv handles it.
  var MISSING = {
    'kanjis.dat': 'missing: without the kanji table every kanji code shows as ?',
    'words.txt': 'missing: without the dictionary every word is unknown and shows as ?',
    'list.rec': 'missing: without the records list.txt stays empty and no summary line is printed'
  };
  // Inputs larger than this (in all) show a progress bar while converting.
  var PROGRESS_FROM_BYTES = 4 << 20;
  var LISTING_PAGE_LINES = 700;
  // The exports made after each conversion, in this order.
  var EXPORTS = ['listing', 'csv', 'unknown', 'jsonl', 'html'];
  var EXPORT_NAMES = {listing: 'the listing in UTF-8', csv: 'the CSV', unknown: 'the report of unknowns',
                      jsonl: 'the JSON Lines', html: 'the catalogue'};

  var $ = function (id) { return document.getElementById(id); };
  var files = {};        // the data files chosen, by their names
  var worker = null;
  var workerReady = false;
  var pending = [];      // requests waiting for the worker to be ready
  var runId = 0;         // the conversion whose results are shown
  var converting = false;
  var startedAt = 0;
  var exportQueue = [];  // export requests of this conversion, sent one at a time
  var exporting = null;  // the export request the worker works on
  var links = {};        // object URLs of the results, by link id
  var listing = null;    // {text, lineStarts, first}: the listing in UTF-8 and the shown page

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

  // ---- the files ----------------------------------------------------------

  // The data file a name stands for (as a file system that ignores case
  // would find it), or null.
  function inputNamed(name) {
    var lower = name.replace(/[A-Z]/g, function (c) { return c.toLowerCase(); });
    return INPUTS.indexOf(lower) >= 0 ? lower : null;
  }

  function addFiles(list) {
    var ignored = [];
    Array.prototype.forEach.call(list, function (file) {
      var name = inputNamed(file.name);
      if (name) {
        files[name] = file;
      } else {
        ignored.push(file.name);
      }
    });
    var note = $('ignored');
    note.textContent = ignored.length ?
      'Not used (not one of the three data files): ' + ignored.join(', ') : '';
    note.hidden = !ignored.length;
    showFiles();
  }

  function showFiles() {
    INPUTS.forEach(function (name) {
      var cell = document.querySelector('tr[data-file="' + name + '"] .state');
      var file = files[name];
      cell.textContent = file ? bytesText(file.size) : MISSING[name];
      cell.className = 'state ' + (file ? 'present' : 'missing');
    });
    $('convert').disabled = converting;
  }

  $('pick').addEventListener('change', function (event) {
    addFiles(event.target.files);
    event.target.value = '';
  });
  $('clear').addEventListener('click', function () {
    files = {};
    $('ignored').hidden = true;
    showFiles();
  });
  var drop = $('drop');
  drop.addEventListener('dragover', function (event) {
    event.preventDefault();
    drop.classList.add('over');
  });
  drop.addEventListener('dragleave', function () { drop.classList.remove('over'); });
  drop.addEventListener('drop', function (event) {
    event.preventDefault();
    drop.classList.remove('over');
    addFiles(event.dataTransfer.files);
  });
  // A file dropped beside the drop area is not opened in place of the page.
  window.addEventListener('dragover', function (event) { event.preventDefault(); });
  window.addEventListener('drop', function (event) { event.preventDefault(); });

  // ---- the worker ---------------------------------------------------------

  function startWorker() {
    var code = new Blob([$('worker-code').textContent], {type: 'text/javascript'});
    var url = URL.createObjectURL(code);
    worker = new Worker(url);
    URL.revokeObjectURL(url);
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
    if (m.type === 'ready') {
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

  // ---- converting ---------------------------------------------------------

  function convert() {
    showFault('');
    converting = true;
    startedAt = performance.now();
    showFiles();
    var id = ++runId;
    clearResults();
    var names = INPUTS.filter(function (name) { return files[name]; });
    var total = names.reduce(function (sum, name) { return sum + files[name].size; }, 0);
    $('progress').value = 0;
    $('progress').hidden = total <= PROGRESS_FROM_BYTES;
    var request = {type: 'convert', id: id, files: {}};
    names.forEach(function (name) { request.files[name] = files[name]; });
    setStatus('Converting\u2026');
    send(request);
  }
  $('convert').addEventListener('click', convert);

  function clearResults() {
    Object.keys(links).forEach(function (id) { setLink(id, null); });
    $('console').textContent = '';
    $('exports').textContent = '';
    $('export-messages').textContent = '';
    $('export-messages').hidden = true;
    $('results').hidden = false;
    exportQueue = [];
    exporting = null;
    showListing(null);
  }

  function addConsoleLine(stream, text) {
    var line = document.createElement('span');
    line.textContent = text + '\n';
    if (stream === 'err') {
      line.className = 'err';
    }
    $('console').appendChild(line);
  }

  // A message of an export (a byte that is no CP932 character, say), shown
  // once under the results.
  function addExportMessage(format, text) {
    var box = $('export-messages');
    if (Array.prototype.some.call(box.childNodes, function (n) { return n.dataset.text === text; })) {
      return;
    }
    var line = document.createElement('li');
    line.dataset.text = text;
    line.textContent = text;
    box.appendChild(line);
    box.hidden = false;
  }

  function showProgress(m) {
    var bar = $('progress');
    if (!bar.hidden && m.total > 0) {
      bar.value = Math.min(1, m.done / m.total);
    }
  }

  function converted(m) {
    converting = false;
    var seconds = (performance.now() - startedAt) / 1000;
    $('progress').hidden = true;
    showFiles();
    var status = $('status');
    status.dataset.seconds = seconds.toFixed(3);
    status.dataset.runSeconds = m.runSeconds.toFixed(3);
    if (m.listing) {
      setLink('get-list', m.listing);
      setStatus('Converted in ' + seconds.toFixed(2) + ' s: list.txt holds ' +
                bytesText(m.listing.size) +
                (m.status === 0 ? '.' : '; listconv ended with exit status ' + m.status +
                 ' (see its messages above).'));
    } else {
      setStatus('listconv wrote no list.txt (exit status ' + m.status + '; see its messages above).');
    }
    status.dataset.state = 'converted';
    EXPORTS.forEach(function (format) {
      exportQueue.push({type: 'export', id: m.id, format: format, bom: format === 'csv' && $('bom').checked});
    });
    nextExport();
  }

  // ---- the exports --------------------------------------------------------

  function nextExport() {
    if (exporting || !exportQueue.length) {
      if (!exporting && $('status').dataset.state === 'converted') {
        $('exports').textContent = 'Every result is ready.';
        $('status').dataset.state = 'done';
      }
      return;
    }
    exporting = exportQueue.shift();
    $('exports').textContent = 'Making ' + EXPORT_NAMES[exporting.format] + '\u2026';
    send(exporting);
  }

  var EXPORT_LINKS = {csv: ['get-csv'], unknown: ['get-unknown'], jsonl: ['get-jsonl'],
                      listing: ['get-listing'], html: ['open-html', 'get-html']};
  var EXPORT_TYPES = {csv: 'text/csv;charset=utf-8', unknown: 'text/csv;charset=utf-8',
                      jsonl: 'application/jsonl;charset=utf-8', listing: 'text/plain;charset=utf-8',
                      html: 'text/html;charset=utf-8'};

  function exported(m) {
    exporting = null;
    if (m.status !== 0) {
      addExportMessage(m.format, EXPORT_NAMES[m.format] + ': listconv-export ended with exit status ' +
                       m.status);
    }
    if (m.blob && (m.format !== 'csv' || m.bom === $('bom').checked)) {
      var blob = m.blob.slice(0, m.blob.size, EXPORT_TYPES[m.format]);
      EXPORT_LINKS[m.format].forEach(function (id) { setLink(id, blob); });
      if (m.format === 'listing') {
        showListing(blob, m.lineStarts);
      }
    }
    nextExport();
  }

  // A new choice of byte-order mark makes the CSV again.
  $('bom').addEventListener('change', function () {
    if (!$('get-list').hasAttribute('href')) {
      return;
    }
    setLink('get-csv', null);
    exportQueue.push({type: 'export', id: runId, format: 'csv', bom: $('bom').checked});
    if ($('status').dataset.state === 'done') {
      $('status').dataset.state = 'converted';
    }
    nextExport();
  });

  // Points the link at the blob (null: disables it).
  function setLink(id, blob) {
    var link = $(id);
    if (links[id]) {
      URL.revokeObjectURL(links[id]);
      delete links[id];
    }
    if (blob) {
      links[id] = URL.createObjectURL(blob);
      link.href = links[id];
      link.setAttribute('aria-disabled', 'false');
    } else {
      link.removeAttribute('href');
      link.setAttribute('aria-disabled', 'true');
    }
  }

  // ---- the listing --------------------------------------------------------

  // Shows the listing (a blob of UTF-8 text and where its lines start; null:
  // none) a page of lines at a time.
  function showListing(blob, starts) {
    listing = blob ? {blob: blob, lineStarts: starts, first: 0} : null;
    if (!blob) {
      $('listing').textContent = '';
      $('listing-range').textContent = '';
      $('listing-back').disabled = $('listing-next').disabled = true;
      return;
    }
    showListingPage(0);
  }

  function showListingPage(first) {
    var shown = listing;
    var starts = shown.lineStarts;
    var lines = shown.blob.size ? starts.length : 0;
    var end = Math.min(first + LISTING_PAGE_LINES, lines);
    shown.first = first;
    $('listing-back').disabled = first === 0;
    $('listing-next').disabled = end >= lines;
    $('listing-range').textContent = lines ?
      'Lines ' + (first + 1).toLocaleString('en-US') + '\u2013' + end.toLocaleString('en-US') +
      ' of ' + lines.toLocaleString('en-US') : 'The listing is empty.';
    var from = lines ? starts[first] : 0;
    var to = end < starts.length ? starts[end] : shown.blob.size;
    shown.blob.slice(from, to).text().then(function (text) {
      if (listing === shown && shown.first === first) {
        $('listing').textContent = text;
      }
    });
  }

  $('listing-back').addEventListener('click', function () {
    showListingPage(Math.max(0, listing.first - LISTING_PAGE_LINES));
  });
  $('listing-next').addEventListener('click', function () {
    showListingPage(listing.first + LISTING_PAGE_LINES);
  });

  showFiles();
  startWorker();
})();
