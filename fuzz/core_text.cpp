// Fuzz target: the core text operations with fuzzed arguments.
//
// replaceAll must give exactly what searching again from the start after
// every replacement gives (tests/replace_reference.h). tokenize must keep its
// invariants: no empty token, no newline, no blank at either end or twice in
// a row, blanks only inside quoted groups, its words in the order of the
// text, and the same tokens again when its result is joined and split anew.
// toUpperCase and trimTrailingBlanks are checked byte by byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "check.h"
#include "replace_reference.h"
#include "textutil/core.h"

namespace {

// Longest text given to replaceAll: a call that keeps growing its text may
// insert about 4 * (n + 1)^2 bytes, which the reference searches again and
// again, so this keeps every input fast.
const size_t kReplaceTextMax = 48;

// The words of the text up to its first newline, split at every blank.
TextList rawWords(const std::string& text) {
  TextList words;
  std::string word;
  for (const char c : text) {
    if (c == '\n') {
      break;
    }
    if (c == ' ') {
      if (!word.empty()) {
        words.push_back(word);
      }
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) {
    words.push_back(word);
  }
  return words;
}

std::string joinWithBlanks(const TextList& list) {
  std::string all;
  for (const std::string& s : list) {
    if (!all.empty()) {
      all += ' ';
    }
    all += s;
  }
  return all;
}

void checkTokenize(const std::string& text) {
  const TextList tokens = tokenize(text);
  for (const std::string& t : tokens) {
    FUZZ_CHECK(!t.empty());
    FUZZ_CHECK(t.find('\n') == std::string::npos);
    FUZZ_CHECK(t.front() != ' ' && t.back() != ' ');
    FUZZ_CHECK(t.find("  ") == std::string::npos);
    FUZZ_CHECK(t != "\"");
    const bool quoted = t.size() >= 2 && t.front() == '"' && t.back() == '"';
    FUZZ_CHECK((t.front() == '"') == quoted);
    FUZZ_CHECK((t.back() == '"') == quoted);
    FUZZ_CHECK(quoted || t.find(' ') == std::string::npos);
  }

  // The tokens' words are words of the text, in order; without any double
  // quote they are all of them.
  const TextList words = rawWords(text);
  const TextList tokenWords = rawWords(joinWithBlanks(tokens));
  size_t at = 0;
  for (const std::string& w : tokenWords) {
    while (at < words.size() && words[at] != w) {
      ++at;
    }
    FUZZ_CHECK(at < words.size());
    ++at;
  }
  const std::string firstLine = text.substr(0, text.find('\n'));
  if (firstLine.find('"') == std::string::npos) {
    FUZZ_CHECK(tokens == words);
  }

  FUZZ_CHECK(tokenize(joinWithBlanks(tokens)) == tokens);
  FUZZ_CHECK(tokenize(firstLine) == tokens);
  FUZZ_CHECK(tokenize("  " + text) == tokens);
}

void checkCaseAndTrim(const std::string& text) {
  std::string upper = text;
  toUpperCase(upper);
  FUZZ_CHECK(upper.size() == text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    FUZZ_CHECK(upper[i] == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c));
  }

  std::string trimmed = text;
  trimTrailingBlanks(trimmed);
  FUZZ_CHECK(text.compare(0, trimmed.size(), trimmed) == 0);
  FUZZ_CHECK(trimmed.empty() || trimmed.back() != ' ');
  FUZZ_CHECK(text.find_first_not_of(' ', trimmed.size()) == std::string::npos);
}

// The length argument: mostly the search's length, as every caller passes,
// sometimes near it, sometimes anything.
int32_t replaceLength(FuzzedDataProvider& in, const std::string& search) {
  const uint8_t mode = in.ConsumeIntegral<uint8_t>();
  const int32_t m = static_cast<int32_t>(search.size());
  if (mode < 192) {
    return m;
  }
  if (mode < 248) {
    return m + static_cast<int32_t>(mode - 192) / 2 - 14;
  }
  return in.ConsumeIntegral<int32_t>();
}

void checkReplaceAll(FuzzedDataProvider& in, const std::string& text) {
  const std::string search = in.ConsumeRandomLengthString(8);
  const std::string replacement = in.ConsumeRandomLengthString(16);
  const int32_t length = replaceLength(in, search);
  const std::string start = text.substr(0, kReplaceTextMax);
  std::string got = start;
  replaceAll(got, search, replacement, length);
  std::string want = start;
  replaceAllByRestarting(want, search, replacement, length);
  FUZZ_CHECK(got == want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string text = in.ConsumeRandomLengthString(size);
  checkTokenize(text);
  checkCaseAndTrim(text);
  checkReplaceAll(in, text);
  return 0;
}
