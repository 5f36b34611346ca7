// The listing shown on the page a page of lines at a time, and a block of it
// found and marked for the mending section. Part of the page's script (see
// page.js).

// The listing shown: {blob, lineStarts, first, mark}: its UTF-8 text, where
// its lines start, the first line shown and the lines marked ({from, to},
// or null); null when there is none.
var listing = null;
// The line that ends every block of the listing (formatListingBlock's last),
// without the CR before its line feed.
var BLOCK_END_LINE = '----------';
// The lines read at a time while looking for a block.
var BLOCK_SEARCH_LINES = 4096;

// Shows the listing (a blob of UTF-8 text and where its lines start; null:
// none) a page of lines at a time.
function showListing(blob, starts) {
  listing = blob ? {blob: blob, lineStarts: starts, first: 0, mark: null} : null;
  if (!blob) {
    $('listing').textContent = '';
    $('listing-range').textContent = '';
    $('listing-back').disabled = $('listing-next').disabled = true;
    return;
  }
  showListingPage(0);
}

// The byte where line `line` of the shown listing starts (its size past the
// last line).
function lineByte(shown, line) {
  return line < shown.lineStarts.length ? shown.lineStarts[line] : shown.blob.size;
}

// Shows the lines from `first` on, the lines of shown.mark among them in a
// <mark>; `toMark`: scrolls the mark into view once it is shown.
function showListingPage(first, toMark) {
  var shown = listing;
  var lines = shown.blob.size ? shown.lineStarts.length : 0;
  var end = Math.min(first + LISTING_PAGE_LINES, lines);
  shown.first = first;
  $('listing-back').disabled = first === 0;
  $('listing-next').disabled = end >= lines;
  $('listing-range').textContent = lines ?
    'Lines ' + (first + 1).toLocaleString('en-US') + '\u2013' + end.toLocaleString('en-US') +
    ' of ' + lines.toLocaleString('en-US') : 'The listing is empty.';
  // The page's lines in three parts: before the mark, marked, after it.
  var mark = shown.mark;
  var cuts = [first, end, end, end];
  if (lines && mark && mark.from < end && mark.to > first) {
    cuts = [first, Math.max(first, mark.from), Math.min(end, mark.to), end];
  }
  var texts = [0, 1, 2].map(function (i) {
    return cuts[i + 1] > cuts[i] ?
      shown.blob.slice(lineByte(shown, cuts[i]), lineByte(shown, cuts[i + 1])).text() : '';
  });
  Promise.all(texts).then(function (parts) {
    if (listing !== shown || shown.first !== first) {
      return;
    }
    var box = $('listing');
    box.textContent = parts[0];
    if (!parts[1]) {
      return;
    }
    var marked = document.createElement('mark');
    marked.id = 'listing-mark';
    marked.textContent = parts[1];
    box.appendChild(marked);
    box.appendChild(document.createTextNode(parts[2]));
    if (toMark) {
      marked.scrollIntoView({block: 'start'});
    }
  });
}

$('listing-back').addEventListener('click', function () {
  showListingPage(Math.max(0, listing.first - LISTING_PAGE_LINES));
});
$('listing-next').addEventListener('click', function () {
  showListingPage(listing.first + LISTING_PAGE_LINES);
});

// The line a block numbered `number` starts with: its number, at least five
// digits, and a blank (formatListingBlock's "%5.5d ").
function blockNumberLine(number) {
  var digits = String(number);
  return ('0000' + digits).slice(-Math.max(5, digits.length)) + ' ';
}

// Finds the lines of block `number` in the shown listing and calls
// found({from, to}) (to: the line after its last), or found(null) without
// it. A block starts with its number line right after the line that ends the
// block before (the first block at the first line). A note or a field that
// holds a line feed gives its block more lines than facts.blockLines, never
// fewer: the search starts where the block would be without any.
function findBlock(shown, number, found) {
  var lines = shown.blob.size ? shown.lineStarts.length : 0;
  var start = blockNumberLine(number);
  var next = blockNumberLine(number + 1);
  var from = -1;
  var isBlockStart = function (text, before, wanted) {
    return text.lastIndexOf(wanted, 0) === 0 &&
      (before === null || before.replace(/\r$/, '') === BLOCK_END_LINE);
  };
  var search = function (first, before) {
    if (first >= lines) {
      found(from < 0 ? null : {from: from, to: lines});
      return;
    }
    var end = Math.min(first + BLOCK_SEARCH_LINES, lines);
    shown.blob.slice(lineByte(shown, first), lineByte(shown, end)).text().then(function (text) {
      var read = text.split('\n');
      for (var i = 0; i < end - first; i++) {
        if (from < 0 && isBlockStart(read[i], before, start)) {
          from = first + i;
        } else if (from >= 0 && isBlockStart(read[i], before, next)) {
          found({from: from, to: first + i});
          return;
        }
        before = read[i];
      }
      search(end, before);
    });
  };
  var least = Math.min(Math.max(0, number - 1) * facts.blockLines, lines);
  if (least === 0) {
    search(0, null);
    return;
  }
  // The line before the first one read, to see whether it ends a block.
  shown.blob.slice(lineByte(shown, least - 1), lineByte(shown, least)).text().then(function (text) {
    search(least, text.replace(/\n$/, ''));
  });
}

// Shows the listing from the first line of block `number`, the block marked.
function showBlock(number) {
  var shown = listing;
  if (!shown) {
    return;
  }
  findBlock(shown, number, function (block) {
    if (listing !== shown) {
      return;
    }
    shown.mark = block;
    if (block) {
      showListingPage(block.from, true);
      return;
    }
    showListingPage(Math.min((number - 1) * facts.blockLines,
                             Math.max(0, shown.lineStarts.length - 1)));
    $('listing').scrollIntoView();
  });
}
