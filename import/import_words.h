// The dictionary of an import: every row of a dictionary export turned into
// a line of words.txt as the old program reads it.
#pragma once

#include <cstdint>
#include <string>

#include "import_problems.h"
#include "table_reader.h"
#include "tables/kanji_index.h"

// Reads every row of a dictionary export and writes its lines; the kanji
// of a row without codes are looked up in `index`.
void importWords(TableReader& reader, const std::string& file, bool utf8, const KanjiIndex& index,
                 ImportOutput& output, int64_t& entries, Problems& problems);
