// The kanji table: the kanji text of every kanji code, loaded from kanjis.dat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/input_file.h"
#include "textutil/core.h"

// Kanji texts indexed by kanji code: entry N is the kanji text of record N
// of the kanji file. Owned by the run that loads it, and only read after.
using KanjiTable = TextList;

// The first code that can show a table entry: the records before it are
// never read.
constexpr int32_t kFirstKanjiCode = 525;

// Fills `table` from the kanji file at `path` (empty when it cannot be
// opened); returns what failed: nothing when it was read, or when it does not
// exist. The table gets one entry more than the file has whole records (at
// least 526): the last comes from the read that met the end of the file, so
// it is four blanks when the file ends at a record boundary.
FileError loadKanjiTableFrom(const char* path, KanjiTable& table);

// The bytes of one record of the kanji file.
constexpr size_t kKanjiRecordSize = 166;

// Fills `table` from the open kanji file `in`, read to its end, as
// loadKanjiTableFrom does; the caller closes it and looks for a failed read.
void loadKanjiTable(InputFile& in, KanjiTable& table);

// A kanji code looked up: the text the listing shows for it, as a view into
// the table or into a fixed text (valid while the table is not changed), and
// whether the code named a kanji. A code that named none shows as "?".
struct KanjiLookup {
  std::string_view text;
  bool found = false;
};

// The number lookupKanji reads from a code text: blanks removed, a leading
// decimal number with its sign; 0 for none, -1 for one outside the 32-bit
// range.
int32_t kanjiCodeNumber(std::string_view code);

// Looks a code text up in `table`: blanks removed, a leading decimal number
// read; "" for no number or 0, the table entry for codes from 525 to the last
// index (the code one past the last whole record included), "1037" for 3867;
// any other code is not found.
KanjiLookup lookupKanji(const KanjiTable& table, std::string_view code);

// Looks up the code `n` as lookupKanji looks up the number it reads.
KanjiLookup lookupKanjiNumber(const KanjiTable& table, int32_t n);

// Replaces a code text by the text lookupKanji gives for it; true when the
// code named a kanji.
bool lookupKanjiCode(const KanjiTable& table, std::string& code);
