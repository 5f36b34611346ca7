// Reading UTF-8 with no overlong form, no surrogate, nothing past U+10FFFF.
#include "textutil/utf8.h"

#include <cstring>

size_t readUtf8(const unsigned char* s, size_t left, uint32_t& cp, bool& malformed) {
  const unsigned lead = s[0];
  // The length of the sequence, the lead byte's bits, and the range its
  // second byte must be in (which rules out overlong forms, surrogates and
  // code points past U+10FFFF).
  size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    malformed = true;
    return 1;
  }
  for (size_t k = 1; k < length; ++k) {
    const unsigned c = k < left ? s[k] : 0;
    if (k >= left || c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) {
      malformed = true;
      return k;
    }
    cp = cp << 6 | (c & 0x3F);
  }
  return length;
}

namespace {

// How many bytes the well-formed sequence at text[i] takes, or 0 when it is
// not one. Precondition: text[i] >= 0x80.
size_t sequenceLength(std::string_view text, size_t i) {
  uint32_t cp = 0;
  bool malformed = false;
  const size_t length = readUtf8(reinterpret_cast<const unsigned char*>(text.data()) + i,
                                 text.size() - i, cp, malformed);
  return malformed ? 0 : length;
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

bool isValidUtf8(std::string_view text) {
  return firstNonUtf8(text) == text.size();
}
