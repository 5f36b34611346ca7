// Tokenizer, trimming, upper-casing and replace-all.
#include <algorithm>
#include <cstring>

#include "textutil/byte_chunks.h"
#include "textutil/replace_engine.h"
#include "textutil/textutil.h"

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
  // Fixed-width fields end in long runs of blanks: step over them eight at a time.
  while (n >= 8 && loadChunk(text.data() + n - 8) == kEveryByte * ' ') {
    n -= 8;
  }
  while (n > 0 && text[n - 1] == ' ') {
    --n;
  }
  return text.substr(0, n);
}

void toUpperCase(std::string& text) {
  const size_t n = text.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    storeChunk(&text[i], upperCaseChunk(loadChunk(&text[i])));
  }
  for (; i < n; ++i) {
    char& c = text[i];
    const unsigned char u = static_cast<unsigned char>(c);
    c = static_cast<char>(static_cast<unsigned>(u - 'a') < 26u ? u - ('a' - 'A') : u);
  }
}

// Works as a stack machine, which gives exactly the result of searching again
// from the start after every replacement, in time linear in the bytes handled:
// the output so far never holds an occurrence that ends before its last byte,
// so the first occurrence in the whole text is the first one completed while
// bytes are moved over, and a replacement is fed back in front of the rest to
// find occurrences it forms with what stands before or after it. With folding,
// a shadow of the output holds the bytes as they are compared.
void replaceEveryOccurrence(std::string& text, const std::string& search,
                            const std::string& replacement, int32_t length, bool foldText) {
  const size_t m = search.size();
  const size_t first = foldText ? 0 : text.find(search);
  if (first == std::string::npos) {
    return;  // the common case: nothing to do, nothing allocated
  }
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

void replaceAll(std::string& text, std::string search, std::string replacement, int32_t length) {
  if (search.empty() || replacement.find(search) != std::string::npos) {
    return;
  }
  replaceEveryOccurrence(text, search, replacement, length, false);
}
