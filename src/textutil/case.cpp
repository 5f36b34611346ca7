// Case-insensitive search and comparison, lower-casing, white space removal
// and ordered joining.
#include "textutil/case.h"

#include <algorithm>
#include <cstring>

#include "textutil/core.h"
#include "textutil/replace_engine.h"

namespace {

// True when `a` sorts before `b`, byte by byte as unsigned values, a prefix first.
bool lessUnsigned(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

}  // namespace

// In an empty text nothing is found, not even an empty pattern; elsewhere an
// empty pattern is found at the start.
bool lacksIgnoreCase(const std::string& text, const std::string& pattern) {
  if (text.empty()) {
    return true;
  }
  if (pattern.empty()) {
    return false;
  }
  return std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                     charEqualsIgnoreCase) == text.end();
}

void toLowerCase(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
}

void removeWhitespace(std::string& text) {
  const char* const kWhitespace[] = {" ", "\n", "\t", "\r", "\x0c"};
  for (const char* w : kWhitespace) {
    replaceAll(text, w, "", 1);
  }
}

// Searches an upper-cased shadow of the text and applies every replacement to
// the text and the shadow alike; the replacement goes into the shadow as it
// is, so later searches compare the upper-cased search with its own letters.
// Apart from that this is replaceAll: searching again from the start after
// every replacement, the same handling of `length`, and the same growth limit,
// worked as the same stack machine (see core.cpp).
//
// Besides a replacement holding the search itself, one holding the upper-cased
// search is refused too, leaving the text unchanged: the shadow would find it
// again after every replacement, for ever (search "abc", replacement "xABCx").
// Where the text has no occurrence that gives the same unchanged text; with one
// it would never end.
void replaceAllIgnoreCase(std::string& text, std::string search, std::string replacement,
                          int32_t length) {
  if (search.empty() || replacement.find(search) != std::string::npos) {
    return;
  }
  toUpperCase(search);
  if (replacement.find(search) != std::string::npos) {
    return;
  }
  replaceEveryOccurrence(text, search, replacement, length, 0, true);
}

// An empty pattern occurs in every text.
bool containsButNot(const std::string& text, const std::string& wanted,
                    const std::string& unwanted) {
  return text.find(wanted) != std::string::npos && text.find(unwanted) == std::string::npos;
}

// Equal texts keep their order.
std::string joinOrdered(const std::string& first, const std::string& second) {
  return lessUnsigned(second, first) ? second + first : first + second;
}
