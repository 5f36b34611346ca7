// Mending: the unknown words and codes of the conversion, adding a word to the
// page's words.txt and the kanji look-up. Part of the page's script (see page.js).

var lookUpId = 0;      // the look-up whose answer is to be shown
var unknownRows = null;  // the unknown words and codes of the conversion shown
var chosenRow = null;  // the unknown row being mended
var afterAdding = null;  // {key, rows}: an entry just added, and the unknowns before it

// Clears the unknowns of the conversion shown before; what an entry just
// added changed stays until the conversion that follows it tells.
function clearUnknowns() {
  unknownRows = null;
  chosenRow = null;
  $('unknown-summary').textContent = '';
  $('unknowns').querySelector('tbody').textContent = '';
  $('unknowns').hidden = true;
  $('mend-form').hidden = true;
  if (!afterAdding) {
    $('mend-changes').hidden = true;
  }
}

// Says why no unknowns are listed once the exports of a conversion are made
// without them: the report of unknowns was not made for want of its data
// file, or could not be made.
function explainNoUnknowns(offer, wasMade) {
  if (unknownRows || !offer) {
    return;
  }
  afterAdding = null;
  $('unknown-summary').textContent = wasMade === false ?
    'Nothing can be mended: ' + offer.what + ' could not be made (see the messages above).' :
    'Nothing to mend: no ' + offer.lists + ' was given, so no word or code of a record can be ' +
    'unknown. The look-up below still finds kanji and codes in kanjis.dat.';
}

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

// Looks the text up in kanjis.dat; `words`: blanks separate what is typed,
// and each part is looked up alone (codes as codes, kanji as kanji).
function lookUp(purpose, text, words) {
  lookUpId++;
  send({type: 'look-up', id: purpose + '-' + lookUpId, text: text, words: !!words,
        files: givenFiles()});
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
    lookUp('lookup', $('lookup-text').value, true);
  }
});
$('lookup-text').addEventListener('keydown', function (event) {
  if (event.key === 'Enter') {
    $('lookup-button').click();
  }
});

// The answer of a look-up as a line: each kanji with its code, and each code
// with its kanji.
function lookUpText(answer) {
  if (!answer.items.length) {
    return 'nothing to look up';
  }
  return answer.items.map(function (item) {
    if (item.byCode) {
      return item.code + ' \u2192 ' + (item.kanji === null ? 'names no kanji' :
                                        item.kanji.trim() || '(blank)');
    }
    return (item.kanji.trim() || '(blank)') + ' \u2192 ' +
      (item.code === null ? 'no code: ' + item.why : item.code);
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
    $('mend-button').disabled = !m.answer.items.length ||
      m.answer.items.some(function (item) { return item.byCode || item.code === null; });
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
  // The check's report and the listing are of the words.txt with the line.
  requestCheck();
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
