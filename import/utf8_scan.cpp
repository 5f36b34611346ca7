#include "utf8_scan.h"

#include <cstdint>
#include <cstring>

namespace {

// How many bytes the well-formed sequence at text[i] takes, or 0 when it is
// not one. Precondition: text[i] >= 0x80.
size_t sequenceLength(std::string_view text, size_t i) {
  const unsigned lead = static_cast<unsigned char>(text[i]);
  // The range the first continuation byte must fall in narrows for the leads
  // whose shortest forms would be overlong, surrogates or beyond U+10FFFF.
  size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (text.size() - i < length) {
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    const unsigned b = static_cast<unsigned char>(text[i + k]);
    if (b < low || b > high) {
      return 0;
    }
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

}  // namespace

size_t firstNonUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    // ASCII is most of a table: skip it eight bytes at a time.
    while (text.size() - i >= 8) {
      uint64_t eight;
      std::memcpy(&eight, text.data() + i, 8);
      if ((eight & 0x8080808080808080ULL) != 0) {
        break;
      }
      i += 8;
    }
    if (i == text.size()) {
      break;
    }
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t length = sequenceLength(text, i);
    if (length == 0) {
      return i;
    }
    i += length;
  }
  return text.size();
}
