// CP932 to UTF-8 for listconv-export. CP932 is Shift-JIS as Windows maps it:
// the bytes 0x00-0x7F are ASCII (0x5C a backslash, 0x7E a tilde), 0xA1-0xDF
// half-width katakana, and most bytes from 0x81 up lead a pair, NEC's and
// IBM's extension rows and the user-defined area (to U+E000-U+E757) included.
// The mapping is that of the C library's iconv "CP932" converter, taken into
// cp932_table.inc by tools/make_cp932_table.py.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "textutil/utf8.h"

// Appends the UTF-8 form of `codePoint`, which is at most 0x10FFFF and no
// surrogate, to `out`.
void appendUtf8(std::string& out, uint32_t codePoint);

// Appends the UTF-8 of the CP932 text `cp932` to `out`. A byte that is no
// character, and a lead byte whose next byte does not complete a character
// (or that ends the text), each give one U+FFFD and add one to
// `undecodable`; after such a lead byte decoding goes on at the very next
// byte. Nothing else is dropped or altered: 0x00 gives U+0000, CR and LF
// stay. No trail byte is below 0x40, so a text split after any byte below
// 0x40 (a LF, say) gives the same UTF-8 part by part as whole.
void appendCp932AsUtf8(std::string& out, std::string_view cp932, size_t& undecodable);

// What cp932CodePoint gives for a code that stands for no character.
const uint32_t kCp932NoCharacter = 0xFFFFFFFF;

// The code point of the CP932 code `code`, a single byte (0x00-0xFF) or a
// pair (lead byte << 8 | trail byte, so from 0x8100 up); kCp932NoCharacter
// for a code that stands for none (a lead byte alone, say). Decodes exactly
// as appendCp932AsUtf8 does.
uint32_t cp932CodePoint(unsigned code);
