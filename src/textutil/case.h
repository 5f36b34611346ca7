// Case-insensitive search and comparison, lower-casing, white space removal
// and ordered joining (case.cpp, in listconv_text). Texts and letter case are
// as textutil/core.h describes them.
#pragma once

#include <cstdint>
#include <string>

// True when `pattern` does not occur in `text`, letter case ignored.
bool lacksIgnoreCase(const std::string& text, const std::string& pattern);

// Maps A-Z to a-z; every other byte stays.
void toLowerCase(std::string& text);

// Removes every blank, newline, tab, carriage return and form feed.
void removeWhitespace(std::string& text);

// Like replaceAll (textutil/core.h), but finds `search` without regard to letter case: it
// searches an upper-cased shadow of the text into which replacements go as
// they are. Does nothing when `search` is empty or when `replacement` holds
// `search` or its upper-cased form. `length` is taken as replaceAll takes it.
void replaceAllIgnoreCase(std::string& text, std::string search, std::string replacement,
                          int32_t length);

// True when `wanted` occurs in `text` and `unwanted` does not.
bool containsButNot(const std::string& text, const std::string& wanted,
                    const std::string& unwanted);

// Joins the two texts, the smaller one (unsigned byte order) first.
std::string joinOrdered(const std::string& first, const std::string& second);
