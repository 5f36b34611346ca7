// The CSV rows of a table file: fields separated by commas, quoted with "
// (a quote inside doubled) so that they may hold commas, quotes, CR and LF,
// rows ended by CR LF or LF or by the end of the data. The four bytes that
// shape a row are below 0x40, so no CP932 trail byte is taken for one.
#include "csv_rows.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cp932/cp932.h"
#include "table_parts.h"

namespace {

// Where the parse of a row stands.
enum class CsvState { fieldStart, unquoted, quoted, afterQuote };

// The bytes that end a run of an unquoted value.
struct RunEnds {
  bool end[256] = {};
  RunEnds() {
    for (const unsigned char c : {',', '"', '\r', '\n'}) {
      end[c] = true;
    }
  }
};
const RunEnds kRunEnds;

// The text of a count of values.
std::string valuesText(size_t n) {
  return std::to_string(n) + (n == 1 ? " value" : " values");
}

// The parse of one row: its values go into r.header (every one) or r.cells
// (those the header has columns for).
struct CsvRowParse {
  TableReader& r;
  bool header;
  size_t count = 0;              // values begun, the current one included
  std::string* value = nullptr;  // the current value, or null when it is not kept
  int64_t valueLine = 0;
  bool checkValues = false;  // a line of the row is not all UTF-8: each value is checked

  void begin() {
    const size_t index = count++;
    valueLine = r.lineNumber;
    value = nullptr;
    if (header) {
      if (index == r.header.size()) {
        r.header.emplace_back();
      }
      value = &r.header[index];
    } else if (index < r.cells.size()) {
      value = &r.cells[index];
      r.cellLines[index] = valueLine;
      r.present[index] = 1;
    }
    if (value != nullptr) {
      value->clear();
    }
  }

  void append(const char* p, size_t n) {
    if (value != nullptr) {
      value->append(p, n);
    }
  }

  void finish() {
    if (value != nullptr && checkValues) {
      checkUtf8(r, *value, valueLine, count);
    }
  }
};

// Reads one row, up to its end. Gives ok (problems that leave the row's
// shape known may have been noted), end when no row begins, or stopped.
TableStatus parseCsvRow(CsvRowParse& row) {
  TableReader& r = row.r;
  const size_t limit = r.options.maxRowBytes;
  size_t used = 0;
  CsvState state = CsvState::fieldStart;
  int64_t quoteLine = 0;
  for (;;) {
    const size_t room = limit - used;
    if (!nextLine(r, room)) {
      if (r.in.error != 0) {
        r.problems.clear();
        r.halted = true;
        return TableStatus::stopped;
      }
      if (row.count == 0) {
        return TableStatus::end;
      }
      if (state == CsvState::quoted) {
        return stopReading(r, quoteLine, row.count, "a quoted value that does not end");
      }
      row.finish();
      return TableStatus::ok;
    }
    if (row.count == 0) {
      r.rowLine = r.lineNumber;
      row.begin();
    }
    if (r.line.size() > room) {
      if (state == CsvState::quoted) {
        return stopReading(r, quoteLine, row.count,
                           "a quoted value that does not end within " + byteLimitText(limit));
      }
      return stopReading(r, r.rowLine, 0, "a row longer than " + byteLimitText(limit));
    }
    used += r.line.size();
    // Values are lines' bytes less ASCII ones: a line of UTF-8 holds values of UTF-8.
    if (r.options.utf8 && !row.checkValues) {
      row.checkValues = firstNonUtf8(r.line) != r.line.size();
      if (row.checkValues) {
        noteNonUtf8Line(r, r.line);
      }
    }
    const char* p = r.line.data();
    const char* const e = p + r.line.size();
    while (p < e) {
      if (state == CsvState::quoted) {
        const void* quote = std::memchr(p, '"', static_cast<size_t>(e - p));
        const char* stop = quote != nullptr ? static_cast<const char*>(quote) : e;
        row.append(p, static_cast<size_t>(stop - p));
        p = stop;
        if (p < e) {
          ++p;
          state = CsvState::afterQuote;
        }
        continue;
      }
      if (state == CsvState::fieldStart && *p == '"') {
        state = CsvState::quoted;
        quoteLine = r.lineNumber;
        ++p;
        continue;
      }
      if (state != CsvState::afterQuote) {
        state = CsvState::unquoted;
        const char* stop = p;
        while (stop < e && !kRunEnds.end[static_cast<unsigned char>(*stop)]) {
          ++stop;
        }
        row.append(p, static_cast<size_t>(stop - p));
        p = stop;
        if (p == e) {
          break;
        }
      }
      const char c = *p++;
      if (c == '"') {
        if (state != CsvState::afterQuote) {
          return stopReading(r, r.lineNumber, row.count,
                             "a quote inside a value that is not quoted");
        }
        row.append("\"", 1);
        state = CsvState::quoted;
        continue;
      }
      if (c == ',') {
        row.finish();
        row.begin();
        state = CsvState::fieldStart;
        continue;
      }
      // A line's only LF is its last byte, so a CR before it, or a CR that
      // ends the data, ends the row.
      if (c == '\n' || (c == '\r' && (p == e || *p == '\n'))) {
        row.finish();
        return TableStatus::ok;
      }
      if (state == CsvState::afterQuote) {
        return stopReading(r, r.lineNumber, row.count,
                           "a value that goes on after its closing quote");
      }
      addProblem(r, r.lineNumber, row.count, columnNameOf(r, row.count),
                 "a CR that does not end a line");
      row.append("\r", 1);
    }
  }
}

}  // namespace

TableStatus readCsvHeader(TableReader& r) {
  CsvRowParse row{r, true};
  const TableStatus status = parseCsvRow(row);
  for (TableProblem& p : r.problems) {
    p.columnName.clear();  // the header's names are not known yet
  }
  if (status != TableStatus::ok) {
    return status;
  }
  r.header.resize(row.count);
  if (!r.problems.empty()) {
    // Names that may be wrong would make every later message doubtful.
    r.problems.resize(1);
    r.halted = true;
    return TableStatus::stopped;
  }
  return TableStatus::ok;
}

TableStatus readCsvRow(TableReader& r) {
  std::fill(r.present.begin(), r.present.end(), 0);
  CsvRowParse row{r, false};
  const TableStatus status = parseCsvRow(row);
  if (status != TableStatus::ok) {
    return status;
  }
  for (size_t i = row.count; i < r.cells.size(); ++i) {
    r.cells[i].clear();
  }
  const size_t width = r.header.size();
  if (row.count != width) {
    const size_t column = std::min(row.count, width) + 1;
    addProblem(r, r.rowLine, column, columnNameOf(r, column),
               "a row of " + valuesText(row.count) + "; the header has " + std::to_string(width));
  }
  return rowStatus(r);
}
