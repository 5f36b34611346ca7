// The kanji table: the kanji text of every kanji code, loaded from kanjis.dat.
#pragma once

#include <string>
#include <string_view>

#include "io/input_file.h"
#include "textutil/core.h"

// Kanji texts indexed by kanji code; empty until a kanji file is loaded.
// Never torn down, as the word dictionary is not.
extern TextList& KanjiTable;

// Fills `table` from the kanji file at `path` (empty when it cannot be
// opened); returns what failed: nothing when it was read, or when it does not
// exist.
FileError loadKanjiTableFrom(const char* path, TextList& table);

// A kanji code looked up: the text the listing shows for it, as a view into
// the table or into a fixed text (valid while the table is not changed), and
// whether the code named a kanji. A code that named none shows as "?".
struct KanjiLookup {
  std::string_view text;
  bool found = false;
};

// Looks a code text up: blanks removed, a leading decimal number read; ""
// for no number or 0, the table entry for codes from 525 to the last index,
// "1037" for 3867; any other code is not found.
KanjiLookup lookupKanji(std::string_view code);

// Replaces a code text by the text lookupKanji gives for it; true when the
// code named a kanji.
bool lookupKanjiCode(std::string& code);
