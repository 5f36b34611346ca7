// Percent-decoding, and the <tag>...</tag> elements of a text (markup.cpp, in
// listconv_text). Texts and positions are as textutil/core.h describes them.
#pragma once

#include <cstdint>
#include <string>

// Turns '+' into a blank, then decodes the percent escapes of the printable
// characters other than letters, digits and blank, in ascending code order.
void percentDecode(std::string& text);

// The content of element number `index` (from 0) of <tag>...</tag>, or "".
std::string tagContent(int32_t index, const std::string& tag, const std::string& text);

// The content of the next <tag>...</tag> element at or after `cursor`; moves
// the cursor one byte past the start of the opening tag, onto an opening tag
// that has no closing tag after it, or to -1 (also for a negative cursor, and
// for an opening tag at or beyond position 2^31 - 1).
std::string nextTagContent(const std::string& tag, const std::string& text, int32_t& cursor);

// Removes every <tag>...</tag> element, contents included.
void removeTagElements(const std::string& tag, std::string& text);
