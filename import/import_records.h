// The records of an import: every row of a records export turned into a
// record of list.rec as the old program reads it.
#pragma once

#include <cstdint>
#include <string>

#include "import_problems.h"
#include "table_reader.h"

// What the import of one records export counts.
struct RecordCounts {
  int64_t records = 0;
  int64_t listed = 0;
};

// Reads every row of a records export and writes its records.
void importRecords(TableReader& reader, const std::string& file, bool utf8, ImportOutput& output,
                   RecordCounts& counts, Problems& problems);
