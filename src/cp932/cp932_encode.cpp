// UTF-8 to CP932 by one table lookup per character. The table is the
// reverse of the decoding table (cp932.h), made on first use, so the two
// can never disagree about which characters CP932 holds.
#include "cp932/cp932_encode.h"

#include <algorithm>

#include "cp932/cp932.h"

namespace {

// The encoding table's "no code".
const uint16_t kNoCode = 0xFFFF;
// The code points the table covers: the Basic Multilingual Plane, where
// every character of CP932 lies.
const uint32_t kTableSize = 0x10000;
// The lead bytes of NEC's selection of IBM's extensions, rows that repeat
// characters IBM's rows FA-FC hold.
const unsigned kNecSelectedFirstLead = 0xED;
const unsigned kNecSelectedLastLead = 0xEE;

// Gives each code point that `code` stands for the code, unless it has one.
void take(uint16_t* table, unsigned code) {
  const uint32_t cp = cp932CodePoint(code);
  if (cp != kCp932NoCharacter && table[cp] == kNoCode) {
    table[cp] = static_cast<uint16_t>(code);
  }
}

// Fills `table` with the code Windows writes for each code point. Of two
// codes for a character Windows writes the lower one (JIS X 0208 before
// NEC's row 13, NEC's row 13 before IBM's rows), except that IBM's own
// codes go before NEC's selection of them; a comparison with Wine's
// WideCharToMultiByte over every character confirms this.
bool fill(uint16_t* table) {
  std::fill(table, table + kTableSize, kNoCode);
  for (unsigned code = 0; code <= 0xFF; ++code) {
    take(table, code);
  }
  for (const bool necSelected : {false, true}) {
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      const bool isNecSelected = lead >= kNecSelectedFirstLead && lead <= kNecSelectedLastLead;
      if (isNecSelected != necSelected) {
        continue;
      }
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        take(table, lead << 8 | trail);
      }
    }
  }
  return true;
}

// The code Windows writes for each code point of the Basic Multilingual
// Plane: a single byte below 0x100, a pair (lead << 8 | trail) from 0x8100
// up, kNoCode for none. Static, not on the stack: it is 128 KiB.
const uint16_t* encodingTable() {
  static uint16_t table[kTableSize];
  static const bool filled = fill(table);
  (void)filled;
  return table;
}

}  // namespace

bool appendUtf8AsCp932(std::string& out, std::string_view utf8, Cp932EncodeError& error) {
  const uint16_t* const table = encodingTable();
  const size_t start = out.size();
  // Every character takes no more bytes in CP932 than in UTF-8, so the
  // room is made once and cut back to what was written.
  out.resize(start + utf8.size());
  char* const first = &out[0];
  char* p = first + start;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  size_t i = 0;
  while (i < n) {
    if (in[i] < 0x80) {
      *p++ = static_cast<char>(in[i++]);
      continue;
    }
    uint32_t cp = 0;
    bool malformed = false;
    const size_t length = readUtf8(in + i, n - i, cp, malformed);
    const unsigned code = !malformed && cp < kTableSize ? table[cp] : kNoCode;
    if (code == kNoCode) {
      out.resize(start);
      error.offset = i;
      error.text.assign(utf8.substr(i, length));
      error.codePoint = malformed ? 0 : cp;
      error.malformed = malformed;
      return false;
    }
    if (code > 0xFF) {
      *p++ = static_cast<char>(code >> 8);
    }
    *p++ = static_cast<char>(code & 0xFF);
    i += length;
  }
  out.resize(static_cast<size_t>(p - first));
  return true;
}
