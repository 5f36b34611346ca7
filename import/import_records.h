// The records of an import: every row of a records export turned into a
// record of list.rec as the old program reads it. A row that carries the
// number of a record of the list.rec it replaces changes only the fields
// whose values differ; the other bytes of that record stay as they were.
#pragma once

#include <cstdint>
#include <string>

#include "import_problems.h"
#include "record_file.h"
#include "table_reader.h"
#include "tables/kanji_table.h"

// What the import of one records export counts, and the changes it makes,
// listed record by record and field by field (the first ones; the rest
// counted).
struct RecordCounts {
  int64_t records = 0;  // written
  int64_t listed = 0;   // written, and listed by listconv
  int64_t changed = 0;
  int64_t added = 0;
  int64_t removed = 0;
  int64_t unchanged = 0;
  int64_t moved = 0;  // written after a record of a higher number
  bool same = false;  // the file written is the old one, byte for byte
  RecordsWritten written;
  std::string changes;  // one line for each change listed
  int64_t changeLines = 0;
};

// Reads every row of a records export and writes the records of the
// list.rec at output.path (read first: a missing one is empty) that the
// rows keep, change or add. Name codes are checked in `kanji` (empty when
// kanjis.dat is missing).
void importRecords(TableReader& reader, const std::string& file, bool utf8, const KanjiTable& kanji,
                   ImportOutput& output, RecordCounts& counts, Problems& problems);

// After importRecords: closes a list.rec written as a new file and reads it
// back by its temporary name; false (a problem noted) when it does not read
// back as written.
bool checkRecordsWritten(ImportOutput& output, const RecordCounts& counts, Problems& problems);

// Prints, on standard output, the changes when `check`, then the counts:
// what was or would be written to `path`, or that nothing needed to be.
void printRecordSummary(const RecordCounts& counts, const std::string& path, bool check);
