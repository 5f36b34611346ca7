// The list.rec an import replaces, read record by record in the order the
// rows ask for them, and the one it writes, read back before it is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_error.h"
#include "io/input_file.h"
#include "records/source_record.h"

// The list.rec being replaced. Rows normally ask for its records in order,
// so it is read straight on and sought only where a row jumps; of each
// record only the line of the row that gave its number is kept.
struct OldRecords {
  InputFile in;
  std::string path;
  int64_t count = 0;               // records, a last part record included
  size_t lastBytes = kRecordSize;  // the bytes of the last record in the file
  int64_t next = 1;                // the record the file stands at
  int64_t last = 0;                // the record read last
  std::vector<uint32_t> givenOn;   // per record: the line that gave its number, or 0
};

// Opens the list.rec at `path` for an import; a missing one is empty. What
// failed, when it cannot be read or told the size of.
FileError openOldRecords(OldRecords& old, const std::string& path);

// Reads record `n` (1 to old.count) into `bytes`, bytes past the end of the
// file as 0xFF; what failed, when a seek or read failed.
FileError readOldRecord(OldRecords& old, int64_t n, RecordBytes& bytes);

// Closes the file; safe to call on one that did not open.
void closeOldRecords(OldRecords& old);

// What an import has written to list.rec: how many records and bytes, and a
// running hash of the bytes, to tell the file read back from what was meant.
struct RecordsWritten {
  int64_t records = 0;
  uint64_t bytes = 0;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
};

// Counts `bytes` into `written`: a record's bytes, or the rest of one.
void countWritten(RecordsWritten& written, std::string_view bytes);

// Reads the list.rec written at `path` as the readers do, record by record,
// and compares it with `written`; false, with `reason` set, when it differs.
bool readBackRecords(const std::string& path, const RecordsWritten& written, std::string& reason);
