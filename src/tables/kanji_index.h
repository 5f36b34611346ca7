// The kanji table read the other way: from a kanji text to its code, for
// people who know a kanji and need the code that words.txt holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "tables/kanji_table.h"

// For every kanji text of a kanji table (trailing blanks removed), the
// first code that shows it.
struct KanjiIndex {
  std::unordered_map<std::string, int32_t> codes;
};

// Indexes the entries of `table` that a code shows as a kanji: from code 525
// on, blank entries left out.
KanjiIndex indexKanjiTable(const KanjiTable& table);

// The first code whose kanji text is `kanji`, or -1 when none is.
int32_t findKanjiCode(const KanjiIndex& index, std::string_view kanji);

// Appends to `codes` the code of each character of the CP932 text `kanji`,
// as words.txt holds codes: the first code that shows the character. Stops
// at the first character that no code shows and returns its bytes (a view
// into `kanji`); returns "" when every character has a code.
std::string_view codesOfKanji(const KanjiIndex& index, std::string_view kanji, TextList& codes);
