// The page: takes the three data files, has the worker convert them with
// listconv's own run and export them with listconv-export's own formats, and
// offers the results. Values from the data only ever reach the page as text.
// The data files, what a missing one means, the export's formats and which
// of them take a byte-order mark are the programs' facts: the worker's
// module tells them once it has started.
(function () {
  'use strict';

  // Inputs larger than this (in all) show a progress bar while converting.
  var PROGRESS_FROM_BYTES = 4 << 20;
  var LISTING_PAGE_LINES = 700;
  // What the page offers of the export's formats, in the order it makes them
  // after each conversion: what it calls each, the links that give it, its
  // type; the listing is shown on the page too, and the byte-order-mark box
  // belongs to the CSV. A format the module does not have is not offered.
  var OFFERS = [
    {format: 'listing', what: 'the listing in UTF-8', links: ['get-listing'],
     type: 'text/plain;charset=utf-8', shown: true},
    {format: 'csv', what: 'the CSV', links: ['get-csv'], type: 'text/csv;charset=utf-8', bomBox: true},
    {format: 'unknown', what: 'the report of unknowns', links: ['get-unknown'],
     type: 'text/csv;charset=utf-8'},
    {format: 'jsonl', what: 'the JSON Lines', links: ['get-jsonl'], type: 'application/jsonl;charset=utf-8'},
    {format: 'html', what: 'the catalogue', links: ['open-html', 'get-html'], type: 'text/html;charset=utf-8'}
  ];

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
          offers[offer.format] = offer;
        }
      });
    });
    var chosen = unsorted;
    unsorted = [];
    addFiles(chosen);
  }

  // ---- the files ----------------------------------------------------------

  // The data file a name stands for (as a file system that ignores case
  // would find it), or null.
  function inputNamed(name) {
    var lower = name.replace(/[A-Z]/g, function (c) { return c.toLowerCase(); });
    return inputs.indexOf(lower) >= 0 ? lower : null;
  }

  function addFiles(list) {
    if (!facts) {
      Array.prototype.push.apply(unsorted, list);
      return;
    }
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
    // Until the module has told its facts (or when it could not start),
    // there is nothing to show; Convert then starts it anew.
    $('convert').disabled = converting || (!facts && worker !== null);
    if (!facts) {
      return;
    }
    facts.inputs.forEach(function (input) {
      var cell = document.querySelector('tr[data-file="' + input.name + '"] .state');
      var file = files[input.name];
      cell.textContent = file ? bytesText(file.size) : 'missing: ' + input.whenMissing;
      cell.className = 'state ' + (file ? 'present' : 'missing');
    });
  }

  $('pick').addEventListener('change', function (event) {
    addFiles(event.target.files);
    event.target.value = '';
  });
  $('clear').addEventListener('click', function () {
    files = {};
    unsorted = [];
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
    if (m.type === 'facts') {
      takeFacts(m.facts);
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

  // ---- converting ---------------------------------------------------------

  function convert() {
    if (!facts) {
      startWorker();
      showFiles();
      return;
    }
    showFault('');
    converting = true;
    startedAt = performance.now();
    showFiles();
    var id = ++runId;
    clearResults();
    var names = inputs.filter(function (name) { return files[name]; });
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
    status.dataset.timing = JSON.stringify(m.timing || {});
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
    OFFERS.forEach(function (offer) {
      if (offers[offer.format]) {
        exportQueue.push(exportRequest(m.id, offer));
      }
    });
    nextExport();
  }

  // ---- the exports --------------------------------------------------------

  // Whether the export of the offer is asked for with a byte-order mark.
  function wantsBom(offer) {
    return !!(offer.bomBox && offer.bom && $('bom').checked);
  }

  function exportRequest(id, offer) {
    return {type: 'export', id: id, format: offer.format, bom: wantsBom(offer),
            lineStarts: !!offer.shown};
  }

  function nextExport() {
    if (exporting || !exportQueue.length) {
      if (!exporting && $('status').dataset.state === 'converted') {
        $('exports').textContent = 'Every result is ready.';
        $('status').dataset.state = 'done';
      }
      return;
    }
    exporting = exportQueue.shift();
    $('exports').textContent = 'Making ' + offers[exporting.format].what + '\u2026';
    send(exporting);
  }

  function exported(m) {
    exporting = null;
    var offer = offers[m.format];
    if (m.status !== 0) {
      addExportMessage(m.format, offer.what + ': listconv-export ended with exit status ' + m.status);
    }
    if (m.blob && m.bom === wantsBom(offer)) {
      var blob = m.blob.slice(0, m.blob.size, offer.type);
      offer.links.forEach(function (id) { setLink(id, blob); });
      if (offer.shown) {
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
    OFFERS.forEach(function (offer) {
      if (offers[offer.format] && offer.bomBox) {
        offer.links.forEach(function (id) { setLink(id, null); });
        exportQueue.push(exportRequest(runId, offer));
      }
    });
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

  startWorker();
  showFiles();
})();
