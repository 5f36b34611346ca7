// CP932 to UTF-8 by table lookups: one table for single bytes, one for pairs.
#include "cp932.h"

#include <cassert>
#include <cstring>
#include <limits>

namespace {

#include "cp932_table.inc"

// "No character" in the tables.
const unsigned kNoCharacter = 0xFFFF;
// kCp932LeadRow of a byte that leads no pair.
const unsigned kNoRow = 0xFF;
// U+FFFD REPLACEMENT CHARACTER in UTF-8.
const char kReplacement[3] = {'\xEF', '\xBF', '\xBD'};

// Writes the UTF-8 form of `cp` (at most 0x10FFFF, no surrogate) at `p`;
// returns the position after it.
char* putUtf8(char* p, uint32_t cp) {
  assert(cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF));
  if (cp < 0x80) {
    *p++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (cp >> 18));
    *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return p;
}

}  // namespace

void appendUtf8(std::string& out, uint32_t codePoint) {
  char buf[4];
  out.append(buf, static_cast<size_t>(putUtf8(buf, codePoint) - buf));
}

void appendCp932AsUtf8(std::string& out, std::string_view cp932, size_t& undecodable) {
  const size_t n = cp932.size();
  assert(n <= (std::numeric_limits<size_t>::max() - out.size()) / 3);
  // Each byte gives at most three bytes of UTF-8 (a pair at most three for
  // two), so the room is made once and cut back to what was written.
  const size_t start = out.size();
  out.resize(start + 3 * n);
  char* const first = &out[0];
  char* p = first + start;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(cp932.data());
  size_t bad = 0;
  size_t i = 0;
  while (i < n) {
    const unsigned b = in[i++];
    unsigned cp = kCp932Single[b];
    if (cp == kNoCharacter) {
      const unsigned row = kCp932LeadRow[b];
      if (row != kNoRow && i < n) {
        const unsigned t = in[i] - kCp932FirstTrail;  // wraps for bytes below the range
        if (t < kCp932TrailCount) {
          cp = kCp932Pairs[row][t];
          if (cp != kNoCharacter) {
            ++i;
          }
        }
      }
    }
    if (cp == kNoCharacter) {
      std::memcpy(p, kReplacement, sizeof kReplacement);
      p += sizeof kReplacement;
      ++bad;
    } else {
      p = putUtf8(p, cp);
    }
  }
  out.resize(static_cast<size_t>(p - first));
  undecodable += bad;
}

uint32_t cp932CodePoint(unsigned code) {
  unsigned cp = kNoCharacter;
  if (code <= 0xFF) {
    cp = kCp932Single[code];
  } else if (code <= 0xFFFF) {
    const unsigned row = kCp932LeadRow[code >> 8];
    const unsigned t = (code & 0xFF) - kCp932FirstTrail;  // wraps for bytes below the range
    if (row != kNoRow && t < kCp932TrailCount) {
      cp = kCp932Pairs[row][t];
    }
  }
  return cp == kNoCharacter ? kCp932NoCharacter : cp;
}

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
  const size_t length =
      readUtf8(reinterpret_cast<const unsigned char*>(text.data()) + i, text.size() - i, cp,
               malformed);
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
