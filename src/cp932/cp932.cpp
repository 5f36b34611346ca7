// CP932 to UTF-8 by table lookups: one table for single bytes, one for pairs.
#include "cp932/cp932.h"

#include <cassert>
#include <cstring>
#include <limits>

namespace {

#include "cp932/cp932_table.inc"

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
