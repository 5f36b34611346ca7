// The kanji table: the kanji text of every kanji code, loaded from kanjis.dat.
#pragma once

#include <string>
#include <string_view>

#include "textutil/textutil.h"

// Kanji texts indexed by kanji code; empty until loadKanjiTable has run.
// Never torn down, as the word dictionary is not.
extern TextList& KanjiTable;

// The kanji file, in the current folder.
const char kKanjiFile[] = "kanjis.dat";

// Fills KanjiTable from kanjis.dat in the current folder (empty when it
// does not exist). False when it could not be opened or read; a message has
// been printed.
bool loadKanjiTable();

// Fills `table` from the kanji file at `path`; false on an open or read
// failure.
bool loadKanjiTableFrom(const char* path, TextList& table);

// Replaces a code text by its kanji text: blanks removed, a leading decimal
// number read; "" for no number or 0, the table entry for codes from 525 to
// the last index, "1037" for 3867, "?" otherwise.
void lookupKanjiCode(std::string& code);

// The kanji text lookupKanjiCode gives for `code`, as a view into the table
// or into a fixed text; valid while the table is not changed.
std::string_view kanjiTextOfCode(std::string_view code);
