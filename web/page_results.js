// Converting and the exports of the conversion: listconv's messages, the
// results' links. Part of the page's script (see page.js).

var startedAt = 0;
var exportQueue = [];  // export requests of this conversion, sent one at a time
var exporting = null;  // the export request the worker works on
var links = {};        // object URLs of the results, by link id
var made = {};         // what each export of this conversion gave: true (ready) or false
var skipped = [];      // the offers not made for want of their data file

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
  $('status').dataset.state = 'converting';
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
  clearUnknowns();
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
      explainNoUnknowns(offers.unknown, made.unknown);
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
