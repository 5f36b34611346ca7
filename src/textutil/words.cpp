// The word cursor and the queries built on it.
//
// A word is a maximal run of bytes other than blank and newline; the first
// newline that reading reaches ends the words. A cursor is a signed 32-bit
// position: after a word has been read it stands on the byte that ended the
// word, and -1 means no further word. Any negative cursor reads no word. The
// cursor cannot hold the end of a word that ends beyond position 2^31 - 1, so
// reading stops before such a word as if the text ended there.
#include "textutil/words.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace {

const char kBlank = ' ';
const char kNewline = '\n';
const char* const kWildcard = "dontcare";

// The furthest position a word cursor can hold.
const size_t kMaxCursor = static_cast<size_t>(std::numeric_limits<int32_t>::max());

// Where one word stands: bytes [begin, end); the cursor ends on `end`.
struct WordSpan {
  size_t begin;
  size_t end;
};

// Reads the next word from `cursor`: skips blanks, then takes bytes up to the
// next blank, newline or the end of the text. False, with the cursor set to
// -1, when there is none.
bool readWord(const std::string& text, int32_t& cursor, WordSpan& span) {
  if (cursor < 0) {
    cursor = -1;
    return false;
  }
  const size_t n = text.size();
  size_t p = static_cast<size_t>(cursor);
  while (p < n && text[p] == kBlank) {
    ++p;
  }
  size_t e = p;
  while (e < n && text[e] != kBlank && text[e] != kNewline) {
    ++e;
  }
  if (e == p || e > kMaxCursor) {
    cursor = -1;
    return false;
  }
  span = WordSpan{p, e};
  cursor = static_cast<int32_t>(e);
  return true;
}

// The bytes of one word.
std::string wordText(const std::string& text, const WordSpan& span) {
  return text.substr(span.begin, span.end - span.begin);
}

// Every word from cursor 0 on, in order.
std::vector<WordSpan> allWords(const std::string& text) {
  std::vector<WordSpan> words;
  int32_t cursor = 0;
  WordSpan span;
  while (readWord(text, cursor, span)) {
    words.push_back(span);
  }
  return words;
}

// The text with every newline made a blank, so that all its lines are read.
std::string joinLines(std::string text) {
  std::replace(text.begin(), text.end(), kNewline, kBlank);
  return text;
}

// True when `word` equals `pattern` or the pattern is the wildcard.
bool matches(const std::string& word, const std::string& pattern) {
  return pattern == kWildcard || word == pattern;
}

}  // namespace

// Each further pass reads one more word; once the words have run out the
// remaining passes change nothing, so any count ends promptly.
void nextWord(int32_t count, std::string text, int32_t& cursor, std::string& word) {
  if (count <= 0) {
    return;
  }
  WordSpan span{0, 0};
  for (int32_t pass = 0; pass < count; ++pass) {
    if (!readWord(text, cursor, span)) {
      word.clear();
      return;
    }
  }
  word = wordText(text, span);
}

// A negative cursor is left as it is. When the text is too long for its
// length to stand in the cursor, the cursor becomes -1 (nothing is left to
// read either way).
void restOfText(std::string text, int32_t& cursor, std::string& rest) {
  rest.clear();
  if (cursor < 0) {
    return;
  }
  const size_t n = text.size();
  size_t p = static_cast<size_t>(cursor);
  while (p < n && text[p] == kBlank) {
    ++p;
  }
  if (p >= n) {
    cursor = -1;
    return;
  }
  rest = text.substr(p);
  cursor = n <= kMaxCursor ? static_cast<int32_t>(n) : -1;
}

int32_t countWords(const std::string& text) {
  int32_t count = 0;
  int32_t cursor = 0;
  WordSpan span;
  while (readWord(text, cursor, span)) {
    ++count;
  }
  return count;
}

// Newlines count as blanks here. Running out of words is not a word, so an
// empty key is never found.
std::string wordBefore(const std::string& text, const std::string& key) {
  const std::string joined = joinLines(text);
  int32_t cursor = 0;
  WordSpan span;
  std::string previous;
  while (readWord(joined, cursor, span)) {
    std::string current = wordText(joined, span);
    if (current == key) {
      return previous;
    }
    previous = std::move(current);
  }
  return std::string();
}

// Newlines count as blanks here; an empty key is never found.
std::string wordAfter(const std::string& text, const std::string& key) {
  const std::string joined = joinLines(text);
  int32_t cursor = 0;
  WordSpan span;
  while (readWord(joined, cursor, span)) {
    if (joined.compare(span.begin, span.end - span.begin, key) == 0) {
      return readWord(joined, cursor, span) ? wordText(joined, span) : std::string();
    }
  }
  return std::string();
}

// Words after the first newline are lost.
void reverseWords(std::string& text) {
  const std::vector<WordSpan> words = allWords(text);
  std::string reversed;
  reversed.reserve(text.size() + 1);
  for (auto w = words.rbegin(); w != words.rend(); ++w) {
    reversed.append(text, w->begin, w->end - w->begin);
    reversed += kBlank;
  }
  text.swap(reversed);
}

// A word is removed when it stands in the stop list as a whole blank-separated
// piece (letter case significant); every other word is kept as blank, word and
// two blanks.
std::string removeWords(const std::string& text, const std::string& stopList) {
  std::unordered_set<std::string> stop;
  size_t p = 0;
  while (p < stopList.size()) {
    const size_t e = std::min(stopList.find(kBlank, p), stopList.size());
    if (e > p) {
      stop.insert(stopList.substr(p, e - p));
    }
    p = e + 1;
  }
  std::string result;
  int32_t cursor = 0;
  WordSpan span;
  while (readWord(text, cursor, span)) {
    std::string word = wordText(text, span);
    if (stop.count(word) == 0) {
      result += kBlank;
      result += word;
      result += "  ";
    }
  }
  return result;
}

// The word `distance` words after `first` is the (distance + 1)-th word read
// after it; past the last word it is the empty text. A negative distance
// names no word and gives false.
bool wordsAtDistance(const std::string& text, const std::string& first, const std::string& second,
                     int32_t distance) {
  if (distance < 0) {
    return false;
  }
  const std::vector<WordSpan> words = allWords(text);
  const size_t ahead = static_cast<size_t>(distance) + 1;
  for (size_t i = 0; i < words.size(); ++i) {
    if (wordText(text, words[i]) != first) {
      continue;
    }
    const std::string other =
        ahead < words.size() - i ? wordText(text, words[i + ahead]) : std::string();
    if (other == second) {
      return true;
    }
  }
  return false;
}

// A run must start at a word of the text; the three words after it may lie
// past the end, where they are empty texts.
int32_t findWordSequence(int32_t start, const std::string& text, const std::string& p1,
                         const std::string& p2, const std::string& p3, const std::string& p4) {
  const std::string* const later[] = {&p2, &p3, &p4};
  int32_t cursor = start;
  WordSpan span;
  while (true) {
    const int32_t before = cursor;
    if (!readWord(text, cursor, span)) {
      return -1;
    }
    if (!matches(wordText(text, span), p1)) {
      continue;
    }
    int32_t ahead = cursor;
    bool all = true;
    for (const std::string* pattern : later) {
      const std::string w = readWord(text, ahead, span) ? wordText(text, span) : std::string();
      if (!matches(w, *pattern)) {
        all = false;
        break;
      }
    }
    if (all) {
      return before;
    }
  }
}

bool hasWordSequence(const std::string& text, const std::string& p1, const std::string& p2,
                     const std::string& p3, const std::string& p4) {
  return findWordSequence(0, text, p1, p2, p3, p4) != -1;
}

// A start outside the list gives the empty text.
std::string joinFrom(const TextList& list, int32_t start) {
  std::string result;
  if (start < 0) {
    return result;
  }
  for (size_t i = static_cast<size_t>(start); i < list.size(); ++i) {
    result += list[i];
    result += kBlank;
  }
  trimTrailingBlanks(result);
  return result;
}
