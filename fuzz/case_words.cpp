// Fuzz target: replaceAllIgnoreCase and the word cursor operations with
// fuzzed arguments, cursors, counts and distances of any value included.
//
// Each input tests one operation against a plain model of it written here.
// Every call must end: a call that runs past the fuzzer's -timeout, or that
// grows without bound, is a finding. Where a reading leaves a corner open
// (an empty key, which equals the empty word read when the words run out),
// either reading is accepted. replaceAllIgnoreCase is compared when the model
// ends by itself; a replacement that keeps finding itself only has to end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "check.h"
#include "textutil/case.h"
#include "textutil/core.h"
#include "textutil/words.h"

namespace {

const size_t kTextMax = 40;  // keeps the quadratic models fast
const char kDontCare[] = "dontcare";

// ---- Models ----

// The first position at or after `from` that is not a blank, or -1.
int32_t firstNonBlank(const std::string& text, int64_t from) {
  for (int64_t p = from; p < static_cast<int64_t>(text.size()); ++p) {
    if (text[p] != ' ') {
      return static_cast<int32_t>(p);
    }
  }
  return -1;
}

void modelNextWord(int32_t count, std::string text, int32_t& cursor, std::string& word) {
  for (int32_t pass = 0; pass < count; ++pass) {
    text += ' ';
    if (cursor >= 0) {
      cursor = firstNonBlank(text, cursor);
    }
    int64_t e = -1;
    if (cursor >= 0) {
      e = cursor;
      while (e < static_cast<int64_t>(text.size()) && text[e] != ' ' && text[e] != '\n') {
        ++e;
      }
    }
    if (cursor >= 0 && e > cursor) {  // any negative cursor reads no word
      word = text.substr(cursor, e - cursor);
      cursor = static_cast<int32_t>(e);
    } else {
      cursor = -1;
      word.clear();
      return;  // every further pass finds no word either
    }
  }
}

void modelRestOfText(const std::string& text, int32_t& cursor, std::string& rest) {
  rest.clear();
  if (cursor >= 0) {
    cursor = firstNonBlank(text, cursor);
  }
  if (cursor >= 0) {
    rest = text.substr(cursor);
    cursor = static_cast<int32_t>(text.size());
  }
}

// The words read from cursor 0 until the words run out.
TextList modelWords(const std::string& text) {
  TextList words;
  int32_t cursor = 0;
  std::string w;
  while (true) {
    modelNextWord(1, text, cursor, w);
    if (cursor < 0) {
      return words;
    }
    words.push_back(w);
  }
}

std::string newlinesAsBlanks(std::string text) {
  for (char& c : text) {
    if (c == '\n') {
      c = ' ';
    }
  }
  return text;
}

std::string modelWordBefore(const std::string& text, const std::string& key) {
  std::string previous;
  for (const std::string& w : modelWords(newlinesAsBlanks(text))) {
    if (w == key) {
      return previous;
    }
    previous = w;
  }
  return "";
}

std::string modelWordAfter(const std::string& text, const std::string& key) {
  const TextList words = modelWords(newlinesAsBlanks(text));
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == key) {
      return i + 1 < words.size() ? words[i + 1] : "";
    }
  }
  return "";
}

std::string modelReverse(const std::string& text) {
  std::string all;
  for (const std::string& w : modelWords(text)) {
    all = w + " " + all;
  }
  return all;
}

std::string modelRemoveWords(const std::string& text, const std::string& stopList) {
  const std::string stops = " " + stopList + " ";
  std::string out;
  for (const std::string& w : modelWords(text)) {
    if (stops.find(" " + w + " ") == std::string::npos) {
      out += " " + w + "  ";
    }
  }
  return out;
}

// The word `count` words on from `cursor`, "" past the end or for count <= 0.
std::string wordOn(const std::string& text, int32_t cursor, int32_t count) {
  std::string w;
  modelNextWord(count, text, cursor, w);
  return w;
}

bool modelWordsAtDistance(const std::string& text, const std::string& first,
                          const std::string& second, int32_t distance) {
  int32_t cursor = 0;
  std::string w;
  while (true) {
    modelNextWord(1, text, cursor, w);
    if (cursor < 0) {
      return false;
    }
    if (w == first && wordOn(text, cursor, distance + 1) == second) {
      return true;
    }
  }
}

bool matches(const std::string& word, const std::string& pattern) {
  return pattern == kDontCare || word == pattern;
}

// `lastRead`: whether the empty word of the read that finds no more words is
// tested against the first pattern too.
int32_t modelFindSequence(int32_t start, const std::string& text, const std::string p[4],
                          bool lastRead) {
  int32_t cursor = start;
  std::string w;
  while (true) {
    const int32_t r = cursor;
    modelNextWord(1, text, cursor, w);
    if (cursor < 0 && !lastRead) {
      return -1;
    }
    if (matches(w, p[0])) {
      int32_t c = cursor;
      std::string w2, w3, w4;
      modelNextWord(1, text, c, w2);
      modelNextWord(1, text, c, w3);
      modelNextWord(1, text, c, w4);
      if (matches(w2, p[1]) && matches(w3, p[2]) && matches(w4, p[3])) {
        return r;
      }
    }
    if (cursor < 0) {
      return -1;
    }
  }
}

std::string upper(std::string s) {
  toUpperCase(s);
  return s;
}

// False when the model stopped because the replacements kept finding
// themselves, after inserting as much as replaceAll ever inserts.
bool modelReplaceIgnoreCase(std::string& text, const std::string& search,
                            const std::string& replacement) {
  if (search.empty() || replacement.find(search) != std::string::npos) {
    return true;
  }
  const uint64_t n = text.size();
  const uint64_t limit = 4 * (n + 1) * (n + 1);
  uint64_t inserted = 0;
  std::string shadow = upper(text);
  const std::string key = upper(search);
  for (size_t at = shadow.find(key); at != std::string::npos; at = shadow.find(key)) {
    if (inserted + replacement.size() + 1 > limit) {
      return false;
    }
    inserted += replacement.size() + 1;
    text.replace(at, search.size(), replacement);
    shadow.replace(at, search.size(), replacement);
  }
  return true;
}

// ---- Checks ----

std::string someText(FuzzedDataProvider& in) {
  return in.ConsumeRandomLengthString(kTextMax);
}

std::string somePattern(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? kDontCare : in.ConsumeRandomLengthString(8);
}

// A cursor, count or distance: mostly small, sometimes anything.
int32_t someNumber(FuzzedDataProvider& in) {
  const uint8_t mode = in.ConsumeIntegral<uint8_t>();
  if (mode < 224) {
    return static_cast<int32_t>(mode % 56) - 8;
  }
  return in.ConsumeIntegral<int32_t>();
}

void checkReplaceAllIgnoreCase(FuzzedDataProvider& in) {
  const std::string search = in.ConsumeRandomLengthString(8);
  const std::string replacement = in.ConsumeRandomLengthString(12);
  const bool otherLength = in.ConsumeIntegral<uint8_t>() >= 224;
  const int32_t length =
      otherLength ? in.ConsumeIntegral<int32_t>() : static_cast<int32_t>(search.size());
  const std::string text = someText(in);
  std::string got = text;
  replaceAllIgnoreCase(got, search, replacement, length);
  if (otherLength) {
    return;  // only the search's own length is defined; the call must end
  }
  std::string want = text;
  if (modelReplaceIgnoreCase(want, search, replacement)) {
    FUZZ_CHECK(got == want);
  }
}

void checkNextWordAndRest(FuzzedDataProvider& in) {
  const int32_t count = someNumber(in);
  const int32_t start = someNumber(in);
  const std::string text = someText(in);
  int32_t cursor = start;
  std::string word = "unchanged";
  nextWord(count, text, cursor, word);
  int32_t wantCursor = start;
  std::string wantWord = "unchanged";
  modelNextWord(count, text, wantCursor, wantWord);
  FUZZ_CHECK(cursor == wantCursor);
  FUZZ_CHECK(word == wantWord);

  cursor = start;
  std::string rest = "unchanged";
  restOfText(text, cursor, rest);
  wantCursor = start;
  std::string wantRest;
  modelRestOfText(text, wantCursor, wantRest);
  FUZZ_CHECK(cursor == wantCursor);
  FUZZ_CHECK(rest == wantRest);
}

void checkWholeTextQueries(FuzzedDataProvider& in) {
  const std::string key = in.ConsumeRandomLengthString(8);
  const std::string stopList = in.ConsumeRandomLengthString(16);
  const std::string text = someText(in);
  FUZZ_CHECK(countWords(text) == static_cast<int32_t>(modelWords(text).size()));
  std::string reversed = text;
  reverseWords(reversed);
  FUZZ_CHECK(reversed == modelReverse(text));
  FUZZ_CHECK(removeWords(text, stopList) == modelRemoveWords(text, stopList));

  const std::string before = wordBefore(text, key);
  const std::string after = wordAfter(text, key);
  if (!key.empty()) {
    FUZZ_CHECK(before == modelWordBefore(text, key));
    FUZZ_CHECK(after == modelWordAfter(text, key));
  }
}

void checkDistanceAndSequence(FuzzedDataProvider& in) {
  const std::string first = somePattern(in);
  const std::string second = somePattern(in);
  const int32_t distance = someNumber(in);
  std::string p[4];
  for (std::string& s : p) {
    s = somePattern(in);
  }
  const int32_t start = someNumber(in);
  const std::string text = someText(in);

  const bool near = wordsAtDistance(text, first, second, distance);
  if (!first.empty() && distance >= 0 && distance < INT32_MAX) {
    FUZZ_CHECK(near == modelWordsAtDistance(text, first, second, distance));
  }
  const int32_t found = findWordSequence(start, text, p[0], p[1], p[2], p[3]);
  const int32_t strict = modelFindSequence(start, text, p, false);
  const int32_t loose = modelFindSequence(start, text, p, true);
  FUZZ_CHECK(found == strict || found == loose);
  const bool has = hasWordSequence(text, p[0], p[1], p[2], p[3]);
  FUZZ_CHECK(has == (modelFindSequence(0, text, p, false) >= 0) ||
             has == (modelFindSequence(0, text, p, true) >= 0));
}

void checkJoinFrom(FuzzedDataProvider& in) {
  TextList list(in.ConsumeIntegralInRange<size_t>(0, 6));
  for (std::string& s : list) {
    s = in.ConsumeRandomLengthString(8);
  }
  const int32_t start = someNumber(in);
  std::string want;
  for (int64_t i = start < 0 ? static_cast<int64_t>(list.size()) : start;
       i < static_cast<int64_t>(list.size()); ++i) {
    want += list[i] + " ";
  }
  trimTrailingBlanks(want);
  FUZZ_CHECK(joinFrom(list, start) == want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      checkReplaceAllIgnoreCase(in);
      break;
    case 1:
      checkNextWordAndRest(in);
      break;
    case 2:
      checkWholeTextQueries(in);
      break;
    case 3:
      checkDistanceAndSequence(in);
      break;
    default:
      checkJoinFrom(in);
      break;
  }
  return 0;
}
