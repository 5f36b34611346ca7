// The records of an import.
#include "import_records.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "column_match.h"
#include "formats/table_rows.h"
#include "io/replacement_file.h"
#include "records/listing_writer.h"
#include "records/record_rules.h"
#include "records/stored_record.h"
#include "tables/typed_text.h"

namespace {

// How many changes --check lists; the rest are counted, so that a sorted
// file of a million records does not fill the memory with its list.
const int64_t kListedChanges = 10000;

// Where the values of a record stand in a records export's rows.
struct RecordColumns {
  size_t number = kNoColumn;
  size_t reserved = kNoColumn;
  std::vector<size_t> fields;  // one per stored field, in record order
};

// The columns of a records export; problems for a field without its column.
RecordColumns recordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  std::vector<WantedColumn> wanted = {{recordColumns()[0], false},
                                      {recordColumns()[kReservedColumn], false}};
  for (const StoredField& field : kStoredFields) {
    wanted.push_back({field.name, true});
  }
  const std::vector<size_t> at = matchColumns(reader.header, wanted, problems);
  RecordColumns columns;
  columns.number = at[0];
  columns.reserved = at[1];
  columns.fields.assign(at.begin() + 2, at.end());
  return columns;
}

// An import of records under way: the rows' file, the list.rec replaced and
// the one written, and scratch space kept from row to row.
struct RecordRun {
  TableReader& reader;
  const std::string& file;
  bool utf8;
  const KanjiTable& kanji;
  ImportOutput& output;
  RecordCounts& counts;
  Problems& problems;
  RecordColumns columns{};
  OldRecords old{};
  int64_t highest = 0;    // the highest record number of the rows so far
  size_t padOwed = 0;     // 0xFF bytes owed after a last part record written short
  StoredRecord record{};  // the row's values
  StoredRecord before{};  // the old record's
  RecordBytes bytes{};
  SourceRecord decoded{};
  std::string reason{};
};

// Notes a problem of the row's value in `column`.
void refuse(RecordRun& r, size_t column, const std::string& name, const std::string& reason) {
  const std::string& value = r.reader.cells[column];
  note(r.problems, placeOf(r.file, r.reader.cellLines[column], name) + shownValue(value, r.utf8) +
                       ": " + reason);
}

// Adds a line to the list of changes, or counts it past the first ones.
void listChange(RecordRun& r, int64_t record, const std::string& what) {
  if (++r.counts.changeLines <= kListedChanges) {
    r.counts.changes += r.old.path + ": record " + std::to_string(record) + ": " + what + "\n";
  }
}

// Takes the values of the row just read into r.record; false (each
// problem noted) when a value cannot be stored.
bool takeRecordRow(RecordRun& r) {
  const size_t before = r.problems.count;
  if (r.columns.reserved != kNoColumn &&
      !parseReservedText(r.reader.cells[r.columns.reserved], r.record)) {
    refuse(r, r.columns.reserved, recordColumns()[kReservedColumn],
           "eight hex digits, such as 00000000, or nothing");
  }
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const StoredField& field = kStoredFields[i];
    const size_t column = r.columns.fields[i];
    std::string& stored = r.record.fields[i];
    if (!storedBytes(r.reader.cells[column], r.utf8, stored, r.reason)) {
      refuse(r, column, field.name, r.reason);
    } else if (stored.size() > storableBytes(field)) {
      refuse(r, column, field.name,
             std::to_string(stored.size()) + " bytes in CP932; " + field.name + " holds " +
                 std::to_string(storableBytes(field)));
    }
  }
  return r.problems.count == before;
}

// The record number the row carries, 0 for none (a new record), -1 (a
// problem noted) for one that is not a record of the old file or was given
// before.
int64_t takeRecordNumber(RecordRun& r) {
  if (r.columns.number == kNoColumn || r.reader.cells[r.columns.number].empty()) {
    return 0;
  }
  const std::string& text = r.reader.cells[r.columns.number];
  int64_t n = 0;
  for (const char c : text) {
    n = c >= '0' && c <= '9' && n <= r.old.count ? n * 10 + (c - '0') : -1;
    if (n < 0) {
      break;
    }
  }
  if (n < 1 || n > r.old.count) {
    refuse(r, r.columns.number, recordColumns()[0],
           r.old.count == 0
               ? "a record number, but " + r.old.path +
                     " has no records: leave it empty for a new record"
               : "a record number from 1 to " + std::to_string(r.old.count) + " (the records of " +
                     r.old.path + "), or nothing for a new record");
    return -1;
  }
  uint32_t& given = r.old.givenOn[static_cast<size_t>(n - 1)];
  if (given != 0) {
    refuse(r, r.columns.number, recordColumns()[0],
           "record " + std::to_string(n) + " is given a second time (first on line " +
               std::to_string(given) + ")");
    return -1;
  }
  const int64_t line = r.reader.cellLines[r.columns.number];
  given = line < 1 ? 1 : line > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(line);
  return n;
}

// Notes a problem for every value of the row that the reader would not show
// as meant; `old` (nullptr for a new record) holds values that stay, which
// are kept whatever they hold.
bool passesRules(RecordRun& r, const StoredRecord* old) {
  bool ok = true;
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    if (old != nullptr && old->fields[i] == r.record.fields[i]) {
      continue;
    }
    const std::string reason = recordValueTrap(i, r.record.fields[i], r.kanji);
    if (!reason.empty()) {
      refuse(r, r.columns.fields[i], kStoredFields[i].name, reason);
      ok = false;
    }
  }
  return ok;
}

// Turns old record `n` into r.bytes with the row's values: the fields that
// differ rewritten, every other byte kept; false (a problem noted) when a
// value is refused. Lists the changes, and tells whether there were any.
bool changeRecord(RecordRun& r, int64_t n, bool& changed) {
  const FileError e = readOldRecord(r.old, n, r.bytes);
  if (failed(e)) {
    note(r.problems, describeFailure(e));
    return false;
  }
  readStoredRecord(r.bytes, r.before);
  if (r.columns.reserved == kNoColumn) {
    r.record.reserved = r.before.reserved;  // no column, nothing to change
  }
  if (!passesRules(r, &r.before)) {
    return false;
  }
  changed = false;
  if (r.record.reserved != r.before.reserved) {
    changed = true;
    std::memcpy(r.bytes.data(), r.record.reserved.data(), kReservedBytes);
    listChange(r, n,
               "reserved: " + reservedText(r.before) + " \xE2\x86\x92 " + reservedText(r.record));
  }
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const std::string& value = r.record.fields[i];
    if (value != r.before.fields[i]) {
      changed = true;
      writeStoredField(r.bytes, i, value);
      listChange(r, n,
                 std::string(kStoredFields[i].name) + ": " + shownValue(r.before.fields[i], false) +
                     " \xE2\x86\x92 " + shownValue(value, false));
    }
  }
  if (changed && !readsBackAs(r.bytes, r.record)) {
    note(r.problems,
         placeOf(r.file, r.reader.rowLine, "") + "the record does not read back as written");
    return false;
  }
  ++(changed ? r.counts.changed : r.counts.unchanged);
  return true;
}

// Writes r.bytes as the next record; a last part record that stays as it
// was is written as short as it was, unless another record follows it.
void writeRecord(RecordRun& r, int64_t n, bool unchanged) {
  if (r.problems.count != 0) {
    return;  // nothing will be taken
  }
  const char* data = reinterpret_cast<const char*>(r.bytes.data());
  if (r.padOwed > 0) {
    const std::string pad(r.padOwed, '\xFF');
    writeOutput(r.output, pad);
    countWritten(r.counts.written, pad);
    r.padOwed = 0;
  }
  size_t size = kRecordSize;
  if (unchanged && n == r.old.count) {
    size = r.old.lastBytes;
    r.padOwed = kRecordSize - size;
  }
  writeOutput(r.output, std::string_view(data, size));
  countWritten(r.counts.written, std::string_view(data, size));
  ++r.counts.written.records;
}

// Encodes the row as a new record in r.bytes; false (a problem noted) when a
// value is refused.
bool addRecord(RecordRun& r) {
  if (!passesRules(r, nullptr)) {
    return false;
  }
  if (!encodeStoredRecord(r.record, r.bytes)) {
    note(r.problems,
         placeOf(r.file, r.reader.rowLine, "") + "the record does not read back as written");
    return false;
  }
  ++r.counts.added;
  listChange(r, r.old.count + r.counts.added, "added");
  return true;
}

// Imports the row just read; false when the record is not written where
// it stood, as it was.
bool importRow(RecordRun& r) {
  const int64_t n = takeRecordNumber(r);
  if (!takeRecordRow(r) || n < 0) {
    return false;
  }
  bool changed = true;
  if (n == 0 ? !addRecord(r) : !changeRecord(r, n, changed)) {
    return false;
  }
  ++r.counts.records;
  decodeSourceRecord(r.bytes, r.decoded);
  r.counts.listed += isListed(r.decoded) ? 1 : 0;
  r.counts.moved += n != 0 && n < r.highest ? 1 : 0;
  r.highest = std::max(r.highest, n);
  writeRecord(r, n, !changed);
  return !changed && n == r.counts.records;
}

// Counts and lists the old records that no row kept.
void noteRemoved(RecordRun& r) {
  for (size_t i = 0; i < r.old.givenOn.size(); ++i) {
    if (r.old.givenOn[i] == 0) {
      ++r.counts.removed;
      listChange(r, static_cast<int64_t>(i) + 1, "removed");
    }
  }
}

}  // namespace

void importRecords(TableReader& reader, const std::string& file, bool utf8, const KanjiTable& kanji,
                   ImportOutput& output, RecordCounts& counts, Problems& problems) {
  RecordRun r{reader, file, utf8, kanji, output, counts, problems};
  std::vector<TableProblem> found;
  r.columns = recordColumnsOf(reader, found);
  noteTableProblems(problems, file, found);
  if (!found.empty()) {
    return;
  }
  const FileError e = openOldRecords(r.old, output.path);
  if (failed(e)) {
    note(problems, describeFailure(e));
    closeOldRecords(r.old);
    return;
  }
  bool inPlace = true;
  for (TableStatus status = readTableRow(reader);; status = readTableRow(reader)) {
    noteTableProblems(problems, file, reader.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      break;
    }
    if (status != TableStatus::ok) {
      inPlace = false;
      continue;
    }
    inPlace = importRow(r) && inPlace;
  }
  noteRemoved(r);
  counts.same = inPlace && counts.records == r.old.count;
  closeOldRecords(r.old);
}

bool checkRecordsWritten(ImportOutput& output, const RecordCounts& counts, Problems& problems) {
  if (counts.same || !output.open || !isReplacement(output.file)) {
    return true;  // not to be taken, only checked, or a device written in place
  }
  if (!closeOutput(output.file)) {
    return true;  // the failure is reported as it is put in place
  }
  std::string reason;
  if (!readBackRecords(output.file.temp, counts.written, reason)) {
    note(problems, output.path + ": the new file was not taken: " + reason);
    return false;
  }
  return true;
}

void printRecordSummary(const RecordCounts& counts, const std::string& path, bool check) {
  if (check) {
    std::fputs(counts.changes.c_str(), stdout);
    if (counts.changeLines > kListedChanges) {
      const int64_t more = counts.changeLines - kListedChanges;
      std::printf("%s: and %" PRId64 " more %s\n", path.c_str(), more,
                  more == 1 ? "change" : "changes");
    }
  }
  std::printf("%" PRId64 " %s (%" PRId64 " listed) ", counts.records,
              counts.records == 1 ? "record" : "records", counts.listed);
  if (counts.same) {
    std::printf("in %s unchanged: nothing %s\n", path.c_str(),
                check ? "would be written" : "written");
    return;
  }
  std::printf("%s %s: %" PRId64 " changed, %" PRId64 " added, %" PRId64 " removed, %" PRId64
              " unchanged",
              check ? "would be written to" : "written to", path.c_str(), counts.changed,
              counts.added, counts.removed, counts.unchanged);
  if (counts.moved > 0) {
    std::printf(", %" PRId64 " moved", counts.moved);
  }
  std::printf("\n");
}
