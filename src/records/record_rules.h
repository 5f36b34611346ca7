// The rules a value written into list.rec keeps so that the listing shows
// what it was meant to show: no trap the reader would pass over in silence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tables/kanji_table.h"

// Why the listing would not show `value`, the stored bytes of field `i` of a
// record (kStoredFields order), as meant; "" when it would. A zero byte ends
// a field where it stands. A name code must be blank (or 0: no kanji) or a
// number of digits and blanks that names a kanji of `kanji`, an empty table
// being a missing kanjis.dat.
std::string recordValueTrap(size_t i, std::string_view value, const KanjiTable& kanji);

// True when field `i` is one of the three name codes.
bool isNameCodeField(size_t i);
