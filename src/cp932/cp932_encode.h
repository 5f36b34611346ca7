// UTF-8 to CP932, as Windows writes it: WideCharToMultiByte(932,
// WC_NO_BEST_FIT_CHARS, ...). Where CP932 has two or three codes for one
// character, the one Windows writes is taken (纊 U+7E8A is FA 5C, not NEC's
// ED 40; ∵ U+2235 is 81 E6, not 87 9A or FA 5B), so these characters read
// back by cp932.h come back unchanged but their other codes do not. No
// look-alike stands in for a character that has no code of its own (¥
// U+00A5 is not written as 0x5C): such a character is an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Why a text could not be encoded into CP932: the first character of it that
// CP932 cannot hold, or the first bytes of it that are not UTF-8.
struct Cp932EncodeError {
  // Where the character or the bytes start in the UTF-8 text.
  size_t offset = 0;
  // The character as UTF-8; for malformed input, the bytes that are not
  // UTF-8 (one byte, or the start of a sequence that the next byte breaks
  // off or that the text ends in).
  std::string text;
  // The character's code point; 0 for malformed input.
  uint32_t codePoint = 0;
  // True when the text is not well-formed UTF-8 at `offset`.
  bool malformed = false;
};

// Appends the CP932 form of the UTF-8 text `utf8` to `out`: ASCII as it is
// (U+0000 too), half-width katakana as single bytes, the rest as pairs.
// Returns false at the first character that CP932 cannot hold (anything
// beyond U+FFFF among them) or the first bytes that are not UTF-8, with
// `error` saying which and `out` left as it was. The CP932 form is never
// longer than the UTF-8.
bool appendUtf8AsCp932(std::string& out, std::string_view utf8, Cp932EncodeError& error);

// What to write instead of `codePoint`, a character that CP932 cannot hold
// but that has a usual stand-in (¥ U+00A5, ‾ U+203E, the wave dash U+301C
// ...), as an English phrase in UTF-8 such as `use "～" (U+FF5E)`; empty for
// any other code point.
std::string_view cp932Advice(uint32_t codePoint);
