// The page's data files: choosing them, what is given or missing, and the
// check's report on them before converting. Part of the page's script (see page.js).

var checkId = 0;       // the check whose report is to be shown
var checkStartedAt = 0;  // when it was asked for (performance.now())
var checker = null;    // the worker checking the files given, while it does

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
