// Tokenizer, trimming, upper-casing and replace-all.
#include "textutil/core.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "textutil/replace_engine.h"

TextList tokenize(const std::string& text) {
  TextList tokens;
  std::string group;
  forEachToken(text, group, [&tokens](std::string_view t) { tokens.emplace_back(t); });
  return tokens;
}

void trimTrailingBlanks(std::string& text) {
  text.resize(withoutTrailingBlanks(text).size());
}

std::string_view withoutTrailingBlanks(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') {
    --n;
  }
  return text.substr(0, n);
}

namespace {

// The byte, a-z mapped to A-Z.
char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

void toUpperCase(std::string& text) {
  for (char& c : text) {
    c = upper(c);
  }
}

bool charEqualsIgnoreCase(char a, char b) {
  return upper(a) == upper(b);
}

namespace {

// The position of the first occurrence of `search` in `text`, or npos. The
// last byte of the search is looked for first: in the texts searched here it
// is the rarer one (the comma of " ,", the dot of "..."). Precondition:
// `search` is not empty.
size_t findFirst(std::string_view text, std::string_view search) {
  assert(!search.empty());
  const size_t m = search.size();
  const char* const data = text.data();
  size_t at = m - 1;  // where the last byte of the next candidate may stand
  while (at < text.size()) {
    const void* last = std::memchr(data + at, search.back(), text.size() - at);
    if (last == nullptr) {
      return std::string_view::npos;
    }
    at = static_cast<const char*>(last) - data;
    if (std::memcmp(data + at + 1 - m, search.data(), m - 1) == 0) {
      return at + 1 - m;
    }
    ++at;
  }
  return std::string_view::npos;
}

// True when `text` is made of one byte only, `c`, and is not empty.
bool isRunOf(std::string_view text, char c) {
  return !text.empty() && text.find_first_not_of(c) == std::string_view::npos;
}

// Replacing a run of one byte by a shorter run of the same byte (blank runs
// by one blank, "..." by nothing) only ever shrinks the runs of that byte,
// each on its own: their neighbours are other bytes. A run of L bytes, the
// search being m of them and the replacement r, loses m - r bytes for every
// replacement until fewer than m are left. Every run from `first` on is
// shrunk so, in place.
void shrinkRuns(std::string& text, char c, size_t m, size_t r, size_t first) {
  assert(r < m);
  size_t w = first;
  size_t i = first;
  const size_t n = text.size();
  while (i < n) {
    const void* at = std::memchr(&text[i], c, n - i);
    const size_t start = at == nullptr ? n : static_cast<const char*>(at) - text.data();
    std::memmove(&text[w], &text[i], start - i);
    w += start - i;
    i = start;
    size_t end = i;
    while (end < n && text[end] == c) {
      ++end;
    }
    size_t run = end - i;
    if (run >= m) {
      run -= (m - r) * ((run - m) / (m - r) + 1);
    }
    std::memset(&text[w], c, run);
    w += run;
    i = end;
  }
  text.resize(w);
}

}  // namespace

// Works as a stack machine, which gives exactly the result of searching again
// from the start after every replacement, in time linear in the bytes handled:
// the output so far never holds an occurrence that ends before its last byte,
// so the first occurrence in the whole text is the first one completed while
// bytes are moved over, and a replacement is fed back in front of the rest to
// find occurrences it forms with what stands before or after it. With folding,
// a shadow of the output holds the bytes as they are compared.
void replaceEveryOccurrence(std::string& text, const std::string& search,
                            const std::string& replacement, int32_t length, size_t first,
                            bool foldText) {
  assert(!search.empty() && first <= text.size());
  const size_t m = search.size();
  const size_t n = text.size();
  const size_t extra = length > static_cast<int64_t>(m) ? static_cast<size_t>(length) - m : 0;
  const uint64_t insertLimit = 4 * (static_cast<uint64_t>(n) + 1) * (static_cast<uint64_t>(n) + 1);
  uint64_t inserted = 0;

  // The text before the first occurrence holds none: it starts the output.
  std::string out(text, 0, first);
  out.reserve(n);
  std::string shadow;
  std::string& compared = foldText ? shadow : out;
  std::string fedBack;  // bytes to read before text[i], stored in reverse order
  size_t i = first;
  const char last = search.back();
  while (true) {
    char c;
    char folded;
    if (!fedBack.empty()) {
      c = folded = fedBack.back();
      fedBack.pop_back();
    } else if (i < n) {
      c = folded = text[i++];
      if (foldText && c >= 'a' && c <= 'z') {
        folded = static_cast<char>(c - 'a' + 'A');
      }
    } else {
      break;
    }
    out.push_back(c);
    if (foldText) {
      shadow.push_back(folded);
    }
    if (folded != last || compared.size() < m ||
        std::memcmp(compared.data() + compared.size() - m, search.data(), m) != 0) {
      continue;
    }
    if (inserted + replacement.size() > insertLimit) {
      break;  // the text keeps growing: stop with this occurrence left in place
    }
    inserted += replacement.size();
    out.resize(out.size() - m);
    if (foldText) {
      shadow.resize(shadow.size() - m);
    }
    size_t drop = extra;
    const size_t fromFedBack = std::min(drop, fedBack.size());
    fedBack.resize(fedBack.size() - fromFedBack);
    drop -= fromFedBack;
    i += std::min(drop, n - i);
    fedBack.append(replacement.rbegin(), replacement.rend());
  }
  out.append(fedBack.rbegin(), fedBack.rend());
  out.append(text, i, std::string::npos);
  text.swap(out);
}

void replaceAll(std::string& text, std::string_view search, std::string_view replacement,
                int32_t length) {
  if (search.empty()) {
    return;
  }
  // A text without the search is left as it is, whatever the replacement.
  const size_t first = findFirst(text, search);
  if (first == std::string::npos || replacement.find(search) != std::string_view::npos) {
    return;
  }
  if (length <= static_cast<int64_t>(search.size()) && isRunOf(search, search[0]) &&
      (replacement.empty() || isRunOf(replacement, search[0]))) {
    shrinkRuns(text, search[0], search.size(), replacement.size(), first);
    return;
  }
  // Copies: the search or the replacement may be part of the text itself.
  replaceEveryOccurrence(text, std::string(search), std::string(replacement), length, first, false);
}
