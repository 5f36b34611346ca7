// Name key and word rendering.
//
// Every rule here gives exactly the result of applying the text library's
// replaceAll step by step (each step is named in the comments); the work is
// fused into single passes over reused buffers because it runs for every
// word of every record.
#include "records/field_assembly.h"

#include <algorithm>
#include <cstring>

#include "records/era_annotation.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "textutil/byte_chunks.h"
#include "textutil/textutil.h"

namespace {

constexpr std::string_view kNoWord = "(NO)";

// Blanks kept behind the upper-cased word text, so that it can be read
// in whole chunks up to its end.
const size_t kTextPadding = LineBuffer::kReadAhead;

// Marks that a word added nothing in which a comma may stand.
const size_t kNoComma = std::string::npos;

bool isBlankOrComma(char c) {
  return c == ' ' || c == ',';
}

// Removes every "..." as replacing it by nothing until none is left does:
// a run of k dots keeps k mod 3 of them.
void removeEllipses(std::string& word) {
  size_t out = 0;
  size_t i = 0;
  while (i < word.size()) {
    if (word[i] != '.') {
      word[out++] = word[i++];
      continue;
    }
    size_t end = i;
    while (end < word.size() && word[end] == '.') {
      ++end;
    }
    for (size_t kept = (end - i) % 3; kept > 0; --kept) {
      word[out++] = '.';
    }
    i = end;
  }
  word.resize(out);
}

// Turns commas into blanks, collapses runs of blanks into one blank, and
// removes trailing blanks: "," -> " ", then "  " -> " ", then trimming.
void cleanCommasAndBlanks(std::string& word) {
  size_t out = 0;
  for (char c : word) {
    if (c == ',') {
      c = ' ';
    }
    if (c == ' ' && out > 0 && word[out - 1] == ' ') {
      continue;
    }
    word[out++] = c;
  }
  word.resize(out);
  trimTrailingBlanks(word);
}

// Where the first two blanks in a row stand in the text, or its length.
size_t firstDoubleBlank(std::string_view text) {
  const size_t n = text.size();
  bool blankBefore = false;  // the byte before the chunk is a blank
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const uint64_t blanks = bytesExactlyEqualTo(loadChunk(text.data() + i), ' ');
    const uint64_t pairEnds = blanks & ((blanks << 8) | (blankBefore ? 0x80u : 0u));
    if (pairEnds != 0) {
      return i + firstMarkedByte(pairEnds) - 1;
    }
    blankBefore = (blanks >> 63) != 0;
  }
  for (; i < n; ++i) {
    if (text[i] == ' ' && blankBefore) {
      return i - 1;
    }
    blankBefore = text[i] == ' ';
  }
  return n;
}

// Collapses every run of blanks into one blank: "  " -> " " until none is
// left. No two blanks in a row stand before position `clean`. Returns where
// the byte at `mark` went: the number of bytes kept in front of it.
// Precondition: mark <= line.size().
size_t collapseBlankRuns(LineBuffer& line, size_t clean = 0, size_t mark = 0) {
  const size_t n = line.size();
  const size_t start = clean > 0 ? std::min(clean, n) - 1 : 0;
  const size_t first = start + firstDoubleBlank(line.view().substr(start));
  if (first == n) {
    return mark;
  }
  // From the first pair on, every byte is stored and kept unless it is a
  // blank behind a blank.
  char* const text = line.data();
  size_t out = first + 1;
  size_t markAt = mark;
  bool blankBefore = true;
  for (size_t i = first + 2; i < n; ++i) {
    if (i == mark) {
      markAt = out;
    }
    const char c = text[i];
    const bool blank = c == ' ';
    text[out] = c;
    out += !(blank && blankBefore);
    blankBefore = blank;
  }
  if (mark == n && mark > first + 1) {
    markAt = out;
  }
  line.truncate(out);
  return markAt;
}

// Replaces " ," by ", " until none is left, which moves the commas of every
// run of blanks and commas in front of its blanks. Precondition: no " ,"
// stands before position `from`, so only the run reaching `from` and what
// follows need to be looked at. A run it changes may then hold two blanks
// in a row: `clean`, the position before which none stands, is lowered to
// the run's start.
void moveCommasBeforeBlanks(LineBuffer& line, size_t from, size_t& clean) {
  size_t start = from < line.size() ? from : line.size();
  while (start > 0 && isBlankOrComma(line[start - 1])) {
    --start;
  }
  size_t i = start;
  while (i < line.size()) {
    if (!isBlankOrComma(line[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    size_t commas = 0;
    bool settled = true;  // no comma after a blank in this run
    for (; end < line.size() && isBlankOrComma(line[end]); ++end) {
      if (line[end] == ',') {
        settled = settled && commas == end - i;
        ++commas;
      }
    }
    if (!settled) {
      clean = std::min(clean, i);
      std::fill(line.data() + i, line.data() + i + commas, ',');
      std::fill(line.data() + i + commas, line.data() + end, ' ');
    }
    i = end;
  }
}

// Sets out.bracket to the kanji of the codes in a bracket suffix such as
// "[600,601]", each preceded by a blank; `suffix` is the part after the "["
// and is used up. "]" -> "", "," -> " ", then "  " -> " " on the kanji.
void bracketKanjiOf(std::string& suffix, RenderedWords& out) {
  suffix.erase(std::remove(suffix.begin(), suffix.end(), ']'), suffix.end());
  std::replace(suffix.begin(), suffix.end(), ',', ' ');
  out.bracket.clear();
  forEachToken(suffix, out.codeGroup, [&out](std::string_view code) {
    out.bracket.push_back(' ');
    out.bracket.append(kanjiTextOfCode(code));
  });
  collapseBlankRuns(out.bracket);
}

// The record's name, as a word that matches the name key is rendered.
struct NameKanji {
  std::string_view key;  // unpadded
  std::string_view kanji1;
  std::string_view kanji2;
  std::string_view kanji3;
};

// Appends the kanji of a word that neither has a bracket rendering nor is
// in the dictionary: the name kanji when it is the record's own name, with
// every run of blanks of the line then collapsed, else "? ". Returns where a
// " ," may stand in the line from now on, or kNoComma.
size_t appendUnfoundKanji(std::string_view word, const NameKanji& name, RenderedWords& out) {
  LineBuffer& line = out.kanji;
  if (word != name.key) {
    line.append("? ");
    return kNoComma;
  }
  const size_t before = line.size();
  line.append(name.kanji1);
  line.push_back(' ');
  line.append(name.kanji2);
  line.push_back(' ');
  line.append(name.kanji3);
  line.push_back(' ');
  // Collapsing makes no " ,": what was there before holds none.
  const size_t added = collapseBlankRuns(line, out.kanjiClean, before);
  out.kanjiClean = line.size();
  return added;
}

// Appends the kanji of a word that has no bracket rendering: those of its
// first dictionary entry (`found`, with `kanjiText` from the lookup), else
// as appendUnfoundKanji does. Returns where a " ," may stand in the line
// from now on, or kNoComma.
inline size_t appendFoundKanji(std::string_view word, bool found, std::string_view kanjiText,
                               const NameKanji& name, const Dictionary& dictionary,
                               RenderedWords& out) {
  if (!found) {
    return appendUnfoundKanji(word, name, out);
  }
  const size_t before = out.kanji.size();
  static_assert(kWordKanjiReadAhead >= LineBuffer::kReadAhead, "kanji texts are read ahead");
  out.kanji.appendReadingAhead(kanjiText);
  return dictionary.kanjiHoldCommas ? before : kNoComma;
}

// Puts a word's comma behind its kanji and moves the commas of the kanji
// line in front of the blanks (" ," -> ", ").
void settleCommas(bool comma, size_t changedFrom, RenderedWords& out) {
  LineBuffer& line = out.kanji;
  if (comma) {
    changedFrom = std::min(changedFrom, line.size());
    line.push_back(',');
  }
  // The line held no " ," before this word; only what it added can make one.
  if (changedFrom != kNoComma &&
      line.view().find(',', std::min(changedFrom, line.size())) != std::string_view::npos) {
    moveCommasBeforeBlanks(line, changedFrom, out.kanjiClean);
  }
}

// Ends a word: its comma and those of the kanji line are settled, and the
// word joins the word line. `inText` tells that the word lies in out.text,
// which can be read ahead.
inline void finishWord(std::string_view word, bool comma, size_t changedFrom, bool inText,
                       RenderedWords& out) {
  if (comma || changedFrom != kNoComma) {
    settleCommas(comma, changedFrom, out);
  }
  if (inText) {
    out.words.appendReadingAhead(word);
  } else {
    out.words.append(word);
  }
  if (comma) {
    out.words.push_back(',');
  }
  out.words.push_back(' ');
}

// Appends the kanji of a word's bracket suffix, out.bracket, and a blank;
// returns where a " ," may stand in the line from now on.
size_t appendBracketKanji(RenderedWords& out) {
  const size_t before = out.kanji.size();
  out.kanji.append(out.bracket.view());
  out.kanji.push_back(' ');
  return before;
}

// Renders one word (not "(NO)") that the cleaning or bracket rules may change.
void renderWord(std::string& word, const NameKanji& name, const Dictionary& dictionary,
                RenderedWords& out) {
  removeEllipses(word);
  if (word.empty()) {
    // A word made only of ellipses is no word at all: it is left out of both
    // lines rather than shown as an unknown word.
    return;
  }
  const bool comma = word.back() == ',';
  cleanCommasAndBlanks(word);

  out.bracket.clear();
  const size_t open = word.find('[');
  if (open != std::string::npos && open > 0) {
    out.suffix.assign(word, open + 1, std::string::npos);
    bracketKanjiOf(out.suffix, out);
    word.resize(open);
  }
  size_t changedFrom;
  if (out.bracket.size() != 0) {
    changedFrom = appendBracketKanji(out);
  } else {
    std::string_view kanjiText;
    const bool found = findWordKanji(dictionary, word, kanjiText);
    changedFrom = appendFoundKanji(word, found, kanjiText, name, dictionary, out);
  }
  finishWord(word, comma, changedFrom, false, out);
}

// Renders a word whose bracket starts at `open` (see codeSuffixStart) as
// the step-by-step rules would: the kanji of its codes, each after a blank,
// with every run of blanks collapsed, then a blank; the word itself without
// its bracket. `inText` tells that the word lies in out.text.
void renderCodedWord(std::string_view word, size_t open, bool inText, RenderedWords& out) {
  LineBuffer& bracket = out.bracket;
  bracket.clear();
  const std::string_view codes = word.substr(open + 1, word.size() - open - 2);
  size_t start = 0;
  while (true) {
    const size_t comma = codes.find(',', start);
    const size_t end = comma == std::string_view::npos ? codes.size() : comma;
    bracket.push_back(' ');
    bracket.append(kanjiTextOfCode(codes.substr(start, end - start)));
    if (comma == std::string_view::npos) {
      break;
    }
    start = comma + 1;
  }
  collapseBlankRuns(bracket);
  finishWord(word.substr(0, open), false, appendBracketKanji(out), inText, out);
}

// True when the word holds a character that the cleaning rules or the
// bracket rule look at; other words are rendered as they stand.
bool needsCleaning(std::string_view word) {
  for (const char c : word) {
    if (c == '.' || c == ',' || c == '[' || c == ' ') {
      return true;
    }
  }
  return false;
}

// Where the bracket of a word such as "KEY[600,601]" stands: a word the
// cleaning rules leave alone, then a "[", then codes of digits each followed
// by one "," but the last, then the closing "]"; 0 when the word is not of
// this form. The rules change such a word only in its bracket.
size_t codeSuffixStart(std::string_view word) {
  const size_t open = word.find('[');
  if (open == 0 || open == std::string_view::npos || open + 2 >= word.size() ||
      word.back() != ']' || needsCleaning(word.substr(0, open))) {
    return 0;
  }
  bool digitBefore = false;  // the code so far is not empty
  for (size_t i = open + 1; i + 1 < word.size(); ++i) {
    const char c = word[i];
    if (c >= '0' && c <= '9') {
      digitBefore = true;
    } else if (c == ',' && digitBefore) {
      digitBefore = false;
    } else {
      return 0;
    }
  }
  return digitBefore ? open : 0;
}

// The number of bytes a word of this kind carries behind its key.
size_t suffixLength(WordToken::Kind kind) {
  return kind == WordToken::Comma ? 1 : kind == WordToken::Ellipsis ? 3 : 0;
}

// The kind of a word that is not plain: a plain word followed by one comma,
// or by one "...", is rendered as the rules would render it, without them.
WordToken::Kind kindOf(std::string_view word) {
  if (word.size() >= 2 && word.back() == ',' && !needsCleaning(word.substr(0, word.size() - 1))) {
    return WordToken::Comma;
  }
  if (word.size() >= 4 && word.substr(word.size() - 3) == "..." &&
      !needsCleaning(word.substr(0, word.size() - 3))) {
    return WordToken::Ellipsis;
  }
  return WordToken::Other;
}

// The key an Other word is most likely looked up by: the word without its
// trailing commas and dots and without a bracket suffix. Only the hint for
// the cache depends on the guess.
std::string_view likelyKey(std::string_view word) {
  const size_t open = word.find('[');
  if (open != std::string_view::npos && open > 0) {
    word = word.substr(0, open);
  }
  while (!word.empty() && (word.back() == ',' || word.back() == '.')) {
    word.remove_suffix(1);
  }
  return word;
}

// Adds the word at `offset` of out.text (or of out.groups) to out.tokens;
// `plainHash` is the word's hash when it is plain.
inline void addToken(RenderedWords& out, size_t offset, std::string_view token, bool inGroups,
                     bool plain, uint64_t plainHash) {
  // Filled in place: a token built aside and copied in would be read back
  // before its small stores have settled, which stalls.
  WordToken& t = out.tokens.emplace_back();
  t.offset = offset;
  t.length = token.size();
  t.inGroups = inGroups;
  t.kind = plain ? WordToken::Plain : inGroups ? WordToken::Other : kindOf(token);
  t.located = 0;
  if (t.kind == WordToken::Plain) {
    t.hash = plainHash;
  } else if (t.kind == WordToken::Other) {
    t.hash = hashWordKey(likelyKey(token));
  } else {
    t.hash = hashWordKey(token.substr(0, token.size() - suffixLength(t.kind)));
  }
}

// Splits a text without double quotes into words as the tokenizer does: at
// blanks, up to the first line feed, noting which words the cleaning or
// bracket rules look at and hashing the others on the way. Reads eight
// bytes at a time: out.text holds the first `n` bytes followed by blanks.
void splitUnquotedText(RenderedWords& out, size_t n) {
  const char* text = out.text.data();
  size_t p = 0;
  while (true) {
    while (p < n && text[p] == ' ') {
      ++p;
    }
    if (p >= n || text[p] == '\n') {
      return;
    }
    size_t e = p;
    bool cleaned = false;
    uint64_t hash = 0;
    while (true) {
      const uint64_t chunk = loadChunk(text + e);
      const uint64_t stops = bytesEqualTo(chunk, ' ') | bytesEqualTo(chunk, '\n');
      const uint64_t special =
          bytesEqualTo(chunk, '.') | bytesEqualTo(chunk, ',') | bytesEqualTo(chunk, '[');
      if (stops != 0) {
        const unsigned k = firstMarkedByte(stops);
        cleaned = cleaned || marksBelow(special, k) != 0;
        e += k;
        hash = finishWordHash(hash, k == 0 ? 0 : chunk & (~0ull >> (64 - 8 * k)), e - p);
        break;
      }
      cleaned = cleaned || special != 0;
      hash = mixWordHash(hash, chunk);
      e += 8;
    }
    addToken(out, p, std::string_view(text + p, e - p), false, !cleaned, hash);
    p = e;
  }
}

// Splits out.text (which holds a double quote if `quotes` is set) into
// out.tokens and asks for the dictionary memory their
// lookups will touch, so that the lookups of a record wait for memory
// together rather than one after the other.
void collectWords(const Dictionary& dictionary, bool quotes, RenderedWords& out) {
  out.tokens.clear();
  out.groups.clear();
  const std::string_view text(out.text.data(), out.textLength);
  if (!quotes) {
    splitUnquotedText(out, out.textLength);
  } else {
    forEachToken(text, out.group, [&out](std::string_view token) {
      // A double-quoted group is rebuilt in out.group; every other word
      // lies in the text.
      const bool inGroups = token.data() == out.group.data();
      size_t offset = inGroups ? 0 : static_cast<size_t>(token.data() - out.text.data());
      if (inGroups) {
        offset = out.groups.size();
        out.groups.append(token);
      }
      const bool plain = !needsCleaning(token);
      addToken(out, offset, token, inGroups, plain, plain ? hashWordKey(token) : 0);
    });
  }
  for (const WordToken& t : out.tokens) {
    prefetchWordSlot(dictionary, t.hash);
  }
}

// Renders the prepared words into out.words and out.kanji, the kanji line
// with its trailing blanks removed.
void renderWords(const NameKanji& name, const Dictionary& dictionary, RenderedWords& out) {
  out.words.clear();
  out.kanji.clear();
  out.kanjiClean = 0;
  for (const WordToken& t : out.tokens) {
    const std::string_view token((t.inGroups ? out.groups.data() : out.text.data()) + t.offset,
                                 t.length);
    if (token == kNoWord) {
      out.words.append(token);  // kept in the word line, adds no kanji
      out.words.push_back(' ');
    } else if (t.kind != WordToken::Other) {
      const std::string_view key = token.substr(0, token.size() - suffixLength(t.kind));
      std::string_view kanjiText;
      const bool found = out.located
                             ? findLocatedWordKanji(dictionary, key, t.hash, t.located, kanjiText)
                             : findWordKanji(dictionary, key, t.hash, kanjiText);
      // Words of these kinds are never double-quoted groups: they lie in out.text.
      finishWord(key, t.kind == WordToken::Comma,
                 appendFoundKanji(key, found, kanjiText, name, dictionary, out), true, out);
    } else if (const size_t open = codeSuffixStart(token); open != 0) {
      renderCodedWord(token, open, !t.inGroups, out);
    } else {
      out.word.assign(token);
      renderWord(out.word, name, dictionary, out);
    }
  }
  out.kanji.truncate(withoutTrailingBlanks(out.kanji.view()).size());
}

// True when the text holds a line feed.
bool holdsLineFeed(std::string_view text) {
  return holdsByte(text.data(), text.size(), '\n');
}

// Writes the name parts joined, upper-cased, without blanks at `key`;
// returns the length. Precondition: the parts' total length fits at `key`.
size_t writeNameKey(std::string_view name1, std::string_view name2, std::string_view name3,
                    char* key) {
  char* out = key;
  for (const std::string_view part : {name1, name2, name3}) {
    for (char c : part) {
      *out = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      out += c != ' ';
    }
  }
  return static_cast<size_t>(out - key);
}

// writeNameKey for name parts of at most eight bytes past whose start eight
// bytes are readable, writing whole chunks: a part whose blanks all stand
// behind its other bytes, as in a padded name, is done in one step.
// Precondition: 8 bytes more than the key fit at `key`.
size_t writeNameKeyReadingAhead(std::string_view name1, std::string_view name2,
                                std::string_view name3, char* key) {
  char* out = key;
  for (const std::string_view part : {name1, name2, name3}) {
    const uint64_t inPart = marksBelow(~0ull, static_cast<unsigned>(part.size()));
    const uint64_t chunk =
        upperCaseChunk((loadChunk(part.data()) & inPart) | (kEveryByte * ' ' & ~inPart));
    const uint64_t blanks = bytesExactlyEqualTo(chunk, ' ');
    const unsigned kept = blanks == 0 ? 8 : firstMarkedByte(blanks);
    if ((~blanks & kHighBits & ~marksBelow(kHighBits, kept)) == 0) {
      storeChunk(out, chunk);
      out += kept;
    } else {
      out += writeNameKey(part, std::string_view(), std::string_view(), out);
    }
  }
  return static_cast<size_t>(out - key);
}

}  // namespace

void resolveNameCodes(SourceRecord& record) {
  lookupKanjiCode(record.nameKanji1);
  lookupKanjiCode(record.nameKanji2);
  lookupKanjiCode(record.nameKanji3);
}

std::string buildNameKey(const std::string& name1, const std::string& name2,
                         const std::string& name3) {
  std::string key(name1.size() + name2.size() + name3.size(), ' ');
  key.resize(writeNameKey(name1, name2, name3, &key[0]));
  return key;
}

namespace {

// prepareWordText for a text without trailing blanks.
void prepareTrimmedText(std::string_view trimmed, const Dictionary& dictionary,
                        RenderedWords& out) {
  const size_t n = trimmed.size();
  out.textLength = n;
  out.located = false;
  // Room for the text rounded up to whole chunks, and the blanks behind it.
  static_assert(kTextPadding >= 8, "the text is read in whole chunks");
  if (out.text.size() < n + 8 + kTextPadding) {
    out.text.resize(n + 8 + kTextPadding);
  }
  // Copied and upper-cased eight bytes at a time and searched for double
  // quotes; the bytes behind the text become blanks.
  char* text = &out.text[0];
  const char* from = trimmed.data();
  uint64_t quotes = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const uint64_t chunk = upperCaseChunk(loadChunk(from + i));
    quotes |= bytesEqualTo(chunk, '"');
    storeChunk(text + i, chunk);
  }
  uint64_t last = kEveryByte * ' ';
  if (i < n) {
    std::memcpy(&last, from + i, n - i);  // the lowest bytes, in memory order
    last = upperCaseChunk(last);
    quotes |= marksBelow(bytesEqualTo(last, '"'), static_cast<unsigned>(n - i));
  }
  storeChunk(text + i, last);
  for (size_t pad = i + 8; pad < n + kTextPadding; pad += 8) {
    storeChunk(text + pad, kEveryByte * ' ');
  }
  collectWords(dictionary, quotes != 0, out);
}

}  // namespace

void prepareWordText(std::string_view wordText, const Dictionary& dictionary, RenderedWords& out) {
  prepareTrimmedText(withoutTrailingBlanks(wordText), dictionary, out);
}

void locatePreparedWords(const Dictionary& dictionary, RenderedWords& out) {
  for (WordToken& t : out.tokens) {
    t.located = locateWordRecord(dictionary, t.hash);
  }
  out.located = true;
}

void renderPreparedWords(std::string_view nameKey, std::string_view nameKanji1,
                         std::string_view nameKanji2, std::string_view nameKanji3,
                         const Dictionary& dictionary, RenderedWords& out) {
  renderWords({nameKey, nameKanji1, nameKanji2, nameKanji3}, dictionary, out);
  out.wordLine.assign(out.words.view());
  out.kanjiLine.assign(out.kanji.view());
}

void renderWordTextInto(std::string_view wordText, std::string_view nameKey,
                        std::string_view nameKanji1, std::string_view nameKanji2,
                        std::string_view nameKanji3, const Dictionary& dictionary,
                        RenderedWords& out) {
  prepareWordText(wordText, dictionary, out);
  locatePreparedWords(dictionary, out);
  renderPreparedWords(nameKey, nameKanji1, nameKanji2, nameKanji3, dictionary, out);
}

RenderedWords renderWordText(const std::string& wordText, const std::string& nameKey,
                             const std::string& nameKanji1, const std::string& nameKanji2,
                             const std::string& nameKanji3, const Dictionary& dictionary) {
  RenderedWords out;
  renderWordTextInto(wordText, nameKey, nameKanji1, nameKanji2, nameKanji3, dictionary, out);
  return out;
}

void prepareRecord(const RecordView& record, const Dictionary& dictionary, RenderedWords& scratch) {
  prepareTrimmedText(trimmedField(record, WordText), dictionary, scratch);
}

void assemblePreparedRecord(const RecordView& record, const Dictionary& dictionary,
                            BlockText& block, RenderedWords& scratch) {
  const std::string_view* f = record.field;
  block.entryId = f[EntryId];
  block.nameKanji1 = kanjiTextOfCode(f[NameCode1]);
  block.nameKanji2 = kanjiTextOfCode(f[NameCode2]);
  block.nameKanji3 = kanjiTextOfCode(f[NameCode3]);
  block.note = trimmedField(record, Note);
  // The key, then room for its padding and for reading ahead.
  LineBuffer& key = scratch.nameKey;
  key.clear();
  key.reserve(f[Name1].size() + f[Name2].size() + f[Name3].size() + kNameKeyWidth);
  static_assert(RecordView::kFieldReadAhead >= 8 && LineBuffer::kReadAhead >= 8,
                "name parts and the key are written in whole chunks");
  key.commit(writeNameKeyReadingAhead(f[Name1], f[Name2], f[Name3], key.data()));
  renderWords({key.view(), block.nameKanji1, block.nameKanji2, block.nameKanji3}, dictionary,
              scratch);
  scratch.words.keepReadAhead();  // before the views are taken: it may move the text
  scratch.kanji.keepReadAhead();
  block.wordLine = scratch.words.view();
  block.kanjiLine = scratch.kanji.view();
  while (key.size() < kNameKeyWidth) {
    key.push_back(' ');
  }
  key.keepReadAhead();
  block.nameKey = key.view();
  block.detail1 = f[Detail1];
  block.detail2 = f[Detail2];
  block.period = withoutTrailingBlanks(f[Period]);
  block.periodRanges = eraRangesOf(block.period);
  block.detail3 = f[Detail3];
  block.detail4 = f[Detail4];
  block.detail5 = f[Detail5];
  block.detail6 = f[Detail6];
  block.detail7 = f[Detail7];
  block.readAhead = true;
  static_assert(RecordView::kFieldReadAhead >= kBlockReadAhead, "fields are read ahead");
  static_assert(LineBuffer::kReadAhead >= kBlockReadAhead, "lines are read ahead");
  block.lineFeeds = record.lineFeeds || holdsLineFeed(block.nameKanji1) ||
                    holdsLineFeed(block.nameKanji2) || holdsLineFeed(block.nameKanji3) ||
                    holdsLineFeed(block.kanjiLine);
}

void assembleRecord(const RecordView& record, const Dictionary& dictionary, BlockText& block,
                    RenderedWords& scratch) {
  prepareRecord(record, dictionary, scratch);
  locatePreparedWords(dictionary, scratch);
  assemblePreparedRecord(record, dictionary, block, scratch);
}
