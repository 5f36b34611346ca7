// The byte-order mark and hex digits, read and written: the one definition
// of each for every program (the byte that ends a text file's data,
// kCtrlZ, is the input layer's: io/input_file.h). Part of listconv_core (header only).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The UTF-8 byte-order mark that may start a text file.
const std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The hex digits, upper case, as the data files' own texts and the messages
// write them; and lower case, as JSON's \u escapes are written.
const char kHexDigits[] = "0123456789ABCDEF";
const char kLowerHexDigits[] = "0123456789abcdef";

// The value of the hex digit `c` (0-9, A-F or a-f), or -1.
inline int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// Appends `value` as `digits` hex digits, the first the highest, from
// `alphabet` (kHexDigits or kLowerHexDigits).
inline void appendHex(std::string& out, uint32_t value, int digits,
                      const char* alphabet = kHexDigits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    out += alphabet[(value >> shift) & 15];
  }
}
