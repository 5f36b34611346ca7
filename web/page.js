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
  var startedAt = 0;
  var exportQueue = [];  // export requests of this conversion, sent one at a time
  var exporting = null;  // the export request the worker works on
  var links = {};        // object URLs of the results, by link id
  var listing = null;    // {text, lineStarts, first}: the listing in UTF-8 and the shown page
  var made = {};         // what each export of this conversion gave: true (ready) or false
  var skipped = [];      // the offers not made for want of their data file
  var checkId = 0;       // the check whose report is to be shown
  var checkStartedAt = 0;  // when it was asked for (performance.now())
  var checker = null;    // the worker checking the files given, while it does
  var lookUpId = 0;      // the look-up whose answer is to be shown
  var unknownRows = null;  // the unknown words and codes of the conversion shown
  var chosenRow = null;  // the unknown row being mended
  var afterAdding = null;  // {key, rows}: an entry just added, and the unknowns before it
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
        if (name === facts.words) {
          addedLines = [];
          showAddedLines();
        }
      } else {
        ignored.push(file.name);
      }
    });
    var note = $('ignored');
    note.textContent = ignored.length ?
      'Not used (not one of the three data files): ' + ignored.join(', ') : '';
    note.hidden = !ignored.length;
    showFiles();
    requestCheck();
  }

  // The names of the data files given, in the programs' order.
  function givenNames() {
    return inputs.filter(function (name) { return files[name]; });
  }

  function givenFiles() {
    var given = {};
    givenNames().forEach(function (name) { given[name] = files[name]; });
    return given;
  }

  // ---- the check ----------------------------------------------------------

  // Has the module check the files given, where it has the check. The check
  // runs in a worker of its own, started for these files and dropped once it
  // has answered or the files change: a conversion never waits behind it,
  // and the check of files no longer given is not finished.
  function requestCheck() {
    if (checker) {
      checker.terminate();
      checker = null;
    }
    var id = 'check-' + (++checkId);
    var hasCheck = facts.formats.some(function (f) { return f.name === CHECK_FORMAT; });
    if (!hasCheck || !givenNames().length) {
      $('check-section').hidden = true;
      $('check').textContent = '';
      return;
    }
    checkStartedAt = performance.now();
    $('check').dataset.seconds = '';
    var request = {type: 'check', id: id, files: givenFiles()};
    var own = newWorker(CHECK_WORKER);
    checker = own;
    var done = function (m) {
      own.terminate();
      if (checker === own) {
        checker = null;
      }
      checked(m);
    };
    own.onmessage = function (event) {
      var m = event.data;
      if (m.type === 'ready') {
        own.postMessage(request);
      } else if (m.type === 'checked') {
        done(m);
      } else if (m.type === 'fault') {
        done({id: id, status: -1});
      }
    };
    own.onerror = function (event) {
      event.preventDefault();
      done({id: id, status: -1});
    };
  }

  function checked(m) {
    if (m.id !== 'check-' + checkId) {
      return;
    }
    // For the benchmark: from the files given to the check's answer.
    $('check').dataset.seconds = ((performance.now() - checkStartedAt) / 1000).toFixed(3);
    if (m.status !== 0 || !m.report) {
      $('check-section').hidden = true;
      return;
    }
    m.report.text().then(function (text) {
      if (m.id === 'check-' + checkId) {
        $('check').textContent = text;
        $('check-section').hidden = !text;
      }
    });
  }

  function showFiles() {
    // Until the module has told its facts (or when it could not start),
    // there is nothing to show; Convert then starts it anew.
    // Convert needs at least one file.
    var given = facts ? givenNames().length > 0 : false;
    $('convert').disabled = converting || (facts ? !given : worker !== null);
    if (!facts) {
      return;
    }
    // A file is missing only once others have been given.
    facts.inputs.forEach(function (input) {
      var cell = document.querySelector('tr[data-file="' + input.name + '"] .state');
      var file = files[input.name];
      var amended = input.name === facts.words && addedLines.length ?
        ' (with ' + addedLines.length + (addedLines.length === 1 ? ' line' : ' lines') +
        ' added in this page)' : '';
      cell.textContent = file ? bytesText(file.size) + amended :
        given ? 'missing: ' + input.whenMissing : '';
      cell.className = 'state ' + (file ? 'present' : given ? 'missing' : '');
    });
  }

  $('pick').addEventListener('change', function (event) {
    addFiles(event.target.files);
    event.target.value = '';
  });
  $('clear').addEventListener('click', function () {
    files = {};
    unsorted = [];
    addedLines = [];
    showAddedLines();
    $('ignored').hidden = true;
    showFiles();
    if (facts) {
      requestCheck();
    }
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
    var names = givenNames();
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
    // The words.txt with added words is the person's input, not a result.
    Object.keys(links).forEach(function (id) {
      if (id !== 'get-words') {
        setLink(id, null);
      }
    });
    $('console').textContent = '';
    $('exports').textContent = '';
    $('export-messages').textContent = '';
    $('export-messages').hidden = true;
    $('results').hidden = false;
    exportQueue = [];
    exporting = null;
    made = {};
    skipped = [];
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
                (m.status === 0 ? '.' : ', but listconv ended with exit status ' + m.status +
                 ' (see its messages above).'));
    } else {
      setStatus('listconv wrote no list.txt (exit status ' + m.status + '; see its messages above).');
    }
    status.dataset.state = 'converted';
    OFFERS.forEach(function (offer) {
      if (!offers[offer.format]) {
        return;
      }
      if (files[offer.lists]) {
        exportQueue.push(exportRequest(m.id, offer, true));
      } else {
        skipped.push(offer);
      }
    });
    nextExport();
  }

  // ---- the exports --------------------------------------------------------

  // Whether the export of the offer is asked for with a byte-order mark.
  function wantsBom(offer) {
    return !!(offer.bomBox && offer.bom && $('bom').checked);
  }

  // The export of the offer for conversion `id`; `first`: the conversion's
  // own, whose report of unknowns is listed for mending.
  function exportRequest(id, offer, first) {
    return {type: 'export', id: id, format: offer.format, bom: wantsBom(offer),
            lineStarts: !!offer.shown, unknownList: !!(first && offer.unknownList),
            title: offer.titled ? $('title').value : ''};
  }

  // What the exports gave, in the person's words: what is ready, and what
  // was not made and why.
  function exportsSummary() {
    var what = function (offer) { return offer.what; };
    var ready = OFFERS.filter(function (o) { return made[o.format] === true; }).map(what);
    var failed = OFFERS.filter(function (o) { return made[o.format] === false; }).map(what);
    var parts = [];
    if (ready.length) {
      parts.push('Ready: ' + ready.join(', ') + '.');
    }
    if (failed.length) {
      parts.push('Could not be made: ' + failed.join(', ') + ' (see the messages below).');
    }
    if (skipped.length) {
      var file = skipped[0].lists;
      var missing = facts.inputs.filter(function (i) { return i.name === file; })[0];
      parts.push('Not made, as no ' + file + ' was given: ' + skipped.map(what).join(', ') +
                 (missing ? ' (' + missing.whenMissing + ').' : '.'));
    }
    return parts.join(' ');
  }

  function nextExport() {
    if (exporting || !exportQueue.length) {
      if (!exporting && $('status').dataset.state === 'converted') {
        $('exports').textContent = exportsSummary();
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
    made[m.format] = m.status === 0;
    if (m.status !== 0) {
      addExportMessage(m.format, offer.what + ' could not be made (listconv-export ended with ' +
                       'exit status ' + m.status + ')');
    }
    if (m.unknowns) {
      showUnknowns(m.unknowns.rows);
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

  // Makes the exports of the offers that `which` picks again.
  function remake(which) {
    if (!$('get-list').hasAttribute('href')) {
      return;
    }
    OFFERS.forEach(function (offer) {
      if (offers[offer.format] && which(offer) && files[offer.lists]) {
        offer.links.forEach(function (id) { setLink(id, null); });
        exportQueue.push(exportRequest(runId, offer, false));
      }
    });
    if ($('status').dataset.state === 'done') {
      $('status').dataset.state = 'converted';
    }
    nextExport();
  }

  // A new choice of byte-order mark makes the CSVs again, a new title the
  // catalogue.
  $('bom').addEventListener('change', function () {
    remake(function (offer) { return offer.bomBox; });
  });
  $('title').addEventListener('change', function () {
    remake(function (offer) { return offer.titled; });
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

  // ---- mending --------------------------------------------------------------

  // Shows the unknown words and codes of the conversion, and, after an entry
  // was added, what that changed.
  function showUnknowns(rows) {
    var before = afterAdding;
    afterAdding = null;
    unknownRows = rows;
    var times = rows.reduce(function (sum, row) { return sum + row.count; }, 0);
    $('unknown-summary').textContent = rows.length ?
      rows.length + (rows.length === 1 ? ' unknown word or code, shown' : ' unknown words and codes, shown') +
      ' as ? ' + times + (times === 1 ? ' time' : ' times') + ' in the listing. ' +
      'Choose one to mend it.' :
      'Nothing is unknown: every word and code of the listed records was found.';
    var body = $('unknowns').querySelector('tbody');
    body.textContent = '';
    rows.forEach(function (row) {
      var tr = document.createElement('tr');
      tr.dataset.text = row.text;
      [row.kind, row.text, String(row.count), String(row.first)].forEach(function (value, i) {
        var td = document.createElement('td');
        td.textContent = value;
        if (i >= 2) {
          td.className = 'n';
        }
        tr.appendChild(td);
      });
      var actions = document.createElement('td');
      var show = document.createElement('button');
      show.textContent = 'show block ' + row.first;
      show.className = 'show-block';
      show.addEventListener('click', function () { showBlock(row.first); });
      var mend = document.createElement('button');
      mend.textContent = 'mend';
      mend.className = 'mend';
      mend.addEventListener('click', function () { chooseRow(row, tr); });
      actions.appendChild(show);
      actions.appendChild(mend);
      tr.appendChild(actions);
      body.appendChild(tr);
    });
    $('unknowns').hidden = !rows.length;
    chosenRow = null;
    $('mend-form').hidden = true;
    if (before) {
      var still = rows.some(function (row) { return row.kind === 'word' && row.text === before.key; });
      var changes = $('mend-changes');
      changes.textContent = 'Converted again with ' + before.key + ' added: ' +
        before.rows.length + ' unknown words and codes before, ' + rows.length + ' now; ' +
        before.key + (still ? ' is still unknown.' : ' is gone from the list, and its ? from the listing.');
      changes.hidden = false;
    }
  }

  // Shows the listing from the first line of block `number`.
  function showBlock(number) {
    if (!listing) {
      return;
    }
    showListingPage(Math.max(0, (number - 1) * facts.blockLines));
    $('listing').scrollIntoView();
  }

  function chooseRow(row, tr) {
    chosenRow = row;
    Array.prototype.forEach.call($('unknowns').querySelectorAll('tr.chosen'),
                                 function (r) { r.classList.remove('chosen'); });
    tr.classList.add('chosen');
    $('mend-form').hidden = false;
    $('mend-what').textContent = row.kind + ' ' + row.text + ':';
    $('mend-advice').textContent = row.advice;
    $('mend-add').hidden = row.mend === 'record';
    $('mend-kanji').value = '';
    // The reading is the person's to give; the word as the record has it is
    // a start.
    $('mend-word').value = row.text.replace(/[A-Z]/g, function (c) { return c.toLowerCase(); });
    $('mend-codes').textContent = '';
    $('mend-result').textContent = '';
    $('mend-result').className = '';
    $('mend-button').disabled = true;
    if (row.mend !== 'record') {
      $('mend-kanji').focus();
    }
  }

  function lookUp(purpose, text) {
    lookUpId++;
    send({type: 'look-up', id: purpose + '-' + lookUpId, text: text, files: givenFiles()});
  }

  $('mend-kanji').addEventListener('input', function () {
    $('mend-button').disabled = true;
    var text = $('mend-kanji').value;
    if (text) {
      lookUp('mend', text);
    } else {
      $('mend-codes').textContent = '';
    }
  });
  $('lookup-button').addEventListener('click', function () {
    if ($('lookup-text').value) {
      lookUp('lookup', $('lookup-text').value);
    }
  });
  $('lookup-text').addEventListener('keydown', function (event) {
    if (event.key === 'Enter') {
      $('lookup-button').click();
    }
  });

  // The answer of a look-up as a line: each kanji with its code, or each code
  // with its kanji.
  function lookUpText(answer) {
    if (!answer.items.length) {
      return 'nothing to look up';
    }
    return answer.items.map(function (item) {
      if (answer.byCode) {
        return item.code + ' \u2192 ' + (item.kanji === null ? 'names no kanji' :
                                          item.kanji.trim() || '(blank)');
      }
      return item.kanji + ' \u2192 ' + (item.code === null ? 'no code: ' + item.why : item.code);
    }).join(' \u00b7 ');
  }

  function lookedUp(m) {
    if (m.id !== 'mend-' + lookUpId && m.id !== 'lookup-' + lookUpId) {
      return;
    }
    var text = lookUpText(m.answer);
    if (m.id.indexOf('mend-') === 0) {
      if (m.text !== $('mend-kanji').value) {
        return;
      }
      $('mend-codes').textContent = 'kanjis.dat: ' + text;
      $('mend-button').disabled = m.answer.byCode || !m.answer.items.length ||
        m.answer.items.some(function (item) { return item.code === null; });
    } else {
      $('lookup-result').textContent = text;
    }
  }

  // Why a text of the form cannot go to words.txt, or '' when it can. The
  // text becomes UTF-8 on its way to the module, where a zero byte would end
  // it early and an unpaired surrogate would take the next character into
  // one that was never typed.
  function unwritableText(name, text) {
    for (var i = 0; i < text.length; i++) {
      var unit = text.charCodeAt(i);
      if (unit === 0) {
        return 'the ' + name + ' holds a zero byte, which ends a line of words.txt';
      }
      var next = i + 1 < text.length ? text.charCodeAt(i + 1) : 0;
      if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        i++;  // a pair: one character
      } else if (unit >= 0xD800 && unit <= 0xDFFF) {
        return 'the ' + name + ' holds a lone surrogate (U+' +
          unit.toString(16).toUpperCase() + '), not a character';
      }
    }
    return '';
  }

  $('mend-button').addEventListener('click', function () {
    if (!chosenRow) {
      return;
    }
    var why = unwritableText('key', chosenRow.text) ||
      unwritableText('word', $('mend-word').value) ||
      unwritableText('kanji', $('mend-kanji').value);
    if (why) {
      $('mend-result').textContent = 'Not added: ' + why + '.';
      $('mend-result').className = 'refused';
      return;
    }
    $('mend-button').disabled = true;
    send({type: 'add-word', id: 'add', key: chosenRow.text, word: $('mend-word').value,
          kanji: $('mend-kanji').value, files: givenFiles()});
  });

  function wordAdded(m) {
    var result = $('mend-result');
    if (m.answer.refused) {
      result.textContent = 'Not added: ' + m.answer.refused + '.';
      result.className = 'refused';
      $('mend-button').disabled = false;
      return;
    }
    result.textContent = 'Added to the page\u2019s words.txt: ' + m.answer.line;
    result.className = '';
    addedLines.push(m.answer.line);
    files[facts.words] = new File([m.words], facts.words, {type: 'text/plain'});
    showAddedLines();
    afterAdding = {key: m.key, rows: unknownRows || []};
    showFiles();
    convert();
  }

  // The words.txt with the lines added, to save; the person's own file is
  // never changed.
  function showAddedLines() {
    $('mended-words').hidden = !addedLines.length;
    $('mended-note').textContent = addedLines.length ?
      'your words.txt with ' + addedLines.length + (addedLines.length === 1 ? ' line' : ' lines') +
      ' added at its end (' + addedLines.join('; ') + '); your own file is not changed' : '';
    setLink('get-words', addedLines.length ? files[facts.words] : null);
  }

  startWorker();
  showFiles();
})();
