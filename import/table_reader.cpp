// Opening a table file, telling its kind from its first line, and reading
// its rows through the CSV or the JSON Lines part.
#include "table_reader.h"

#include <string_view>

#include "csv_rows.h"
#include "jsonl_rows.h"
#include "table_parts.h"
#include "textutil/text_bytes.h"

const char kStandardInputPath[] = "-";

TableStatus openTable(TableReader& r, const char* path, const TableOptions& options) {
  closeTable(r);
  r = TableReader();
  r.options = options;
  if (std::string_view(path) == kStandardInputPath) {
    openStandardInput(r.in, false);
  } else if (!openInput(r.in, path, false)) {
    r.halted = true;
    return TableStatus::stopped;
  }
  // The first line decides the kind; it is then parsed as the first of its kind.
  const size_t room = options.maxRowBytes + kByteOrderMark.size();
  if (!nextLine(r, room)) {
    if (r.in.error != 0) {
      r.halted = true;
      return TableStatus::stopped;
    }
    return stopReading(r, 1, 0, "an empty file, without a header row");
  }
  if (std::string_view(r.line).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    if (!options.utf8) {
      return stopReading(r, 1, 0, "a UTF-8 byte-order mark in a file read as CP932");
    }
    r.line.erase(0, kByteOrderMark.size());
  }
  if (r.line.empty()) {
    return stopReading(r, 1, 0, "an empty file, without a header row");
  }
  r.linePending = true;
  if (r.line[0] == '{') {
    r.kind = TableKind::jsonLines;
    const TableStatus first = readJsonRow(r, true);
    if (first == TableStatus::stopped) {
      return first;
    }
    // Its values are the first row's: read again by the first readTableRow,
    // which reports its problems, the hint of CP932 among them.
    r.linePending = true;
    r.problems.clear();
    r.cp932Hinted = false;
    return TableStatus::ok;
  }
  r.kind = TableKind::csv;
  const TableStatus header = readCsvHeader(r);
  if (header != TableStatus::ok) {
    return header;
  }
  sizeRow(r);
  return TableStatus::ok;
}

TableStatus readTableRow(TableReader& r) {
  if (r.halted) {
    return TableStatus::stopped;
  }
  r.problems.clear();
  return r.kind == TableKind::csv ? readCsvRow(r) : readJsonRow(r, false);
}

void closeTable(TableReader& r) {
  closeInput(r.in);
}
