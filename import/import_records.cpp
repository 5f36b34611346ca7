// The records of an import.
#include "import_records.h"

#include "column_match.h"
#include "records/stored_record.h"
#include "table_rows.h"

namespace {

// Where the values of a record stand in a records export's rows.
struct RecordColumns {
  size_t reserved = kNoColumn;
  std::vector<size_t> fields;  // one per stored field, in record order
};

// The columns of a records export; problems for a field without its column.
RecordColumns recordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  std::vector<WantedColumn> wanted = {{recordColumns()[kReservedColumn], false}};
  for (const StoredField& field : kStoredFields) {
    wanted.push_back({field.name, true});
  }
  const std::vector<size_t> at = matchColumns(reader.header, wanted, problems);
  RecordColumns columns;
  columns.reserved = at[0];
  columns.fields.assign(at.begin() + 1, at.end());
  return columns;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// The four reserved bytes written as eight hex digits; none is zero bytes.
bool parseReserved(std::string_view text, StoredRecord& record) {
  record.reserved.fill(0);
  if (text.empty()) {
    return true;
  }
  if (text.size() != 2 * kReservedBytes) {
    return false;
  }
  for (size_t i = 0; i < kReservedBytes; ++i) {
    const int high = hexDigit(text[2 * i]);
    const int low = hexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    record.reserved[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return true;
}

// Scratch space of a records import, kept from row to row.
struct RecordScratch {
  StoredRecord record;
  RecordBytes bytes;
  SourceRecord decoded;
  std::string reason;
};

// Takes the values of the row just read into scratch.record; false (each
// problem noted) when a value cannot be stored.
bool takeRecordRow(const TableReader& reader, const RecordColumns& columns, bool utf8,
                   const std::string& file, RecordScratch& s, Problems& problems) {
  bool ok = true;
  const auto refuse = [&](size_t column, const std::string& name, std::string_view value,
                          const std::string& reason) {
    note(problems,
         placeOf(file, reader.cellLines[column], name) + shownValue(value, utf8) + ": " + reason);
    ok = false;
  };
  if (columns.reserved != kNoColumn && !parseReserved(reader.cells[columns.reserved], s.record)) {
    refuse(columns.reserved, recordColumns()[kReservedColumn], reader.cells[columns.reserved],
           "eight hex digits, such as 00000000, or nothing");
  }
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const StoredField& field = kStoredFields[i];
    const size_t column = columns.fields[i];
    const std::string& value = reader.cells[column];
    std::string& stored = s.record.fields[i];
    if (!storedBytes(value, utf8, stored, s.reason)) {
      refuse(column, field.name, value, s.reason);
    } else if (stored.size() > storableBytes(field)) {
      refuse(column, field.name, value,
             std::to_string(stored.size()) + " bytes in CP932; " + field.name + " holds " +
                 std::to_string(storableBytes(field)));
    }
  }
  return ok;
}

}  // namespace

void importRecords(TableReader& reader, const std::string& file, bool utf8, ImportOutput& output,
                   RecordCounts& counts, Problems& problems) {
  std::vector<TableProblem> found;
  const RecordColumns columns = recordColumnsOf(reader, found);
  noteTableProblems(problems, file, found);
  if (!found.empty()) {
    return;
  }
  RecordScratch s;
  for (TableStatus status = readTableRow(reader);; status = readTableRow(reader)) {
    noteTableProblems(problems, file, reader.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      return;
    }
    if (status != TableStatus::ok || !takeRecordRow(reader, columns, utf8, file, s, problems)) {
      continue;
    }
    if (!encodeStoredRecord(s.record, s.bytes)) {
      note(problems,
           placeOf(file, reader.rowLine, "") + "the record does not read back as written");
      continue;
    }
    decodeSourceRecord(s.bytes, s.decoded);
    ++counts.records;
    counts.listed += isListed(s.decoded) ? 1 : 0;
    writeOutput(output,
                std::string_view(reinterpret_cast<const char*>(s.bytes.data()), s.bytes.size()));
  }
}
