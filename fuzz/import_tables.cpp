// Fuzz target: reading a CSV or JSON Lines table of listconv-import.
//
// The first byte chooses the reading (bit 0: CP932 instead of UTF-8; bits 1
// and 2: the row limit), the rest is the file. The fuzzing build reads files
// in blocks of a few dozen bytes, so lines, quotes and UTF-8 sequences meet
// block ends.
//
// Every read must end in end or stopped; a row read without a problem has a
// value for every column, within the limit, in UTF-8 when UTF-8 is read, and
// problems name lines of the file. A table read without any problem is
// written again in the other kind (CSV with every value quoted, JSON Lines
// with the keys in the opposite order after the first line and escapes of
// every kind) where that kind can hold it, else in its own, and must read
// back equal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "check.h"
#include "cp932/cp932.h"
#include "table_reader.h"
#include "textutil/text_bytes.h"

namespace {

std::string gPaths[2];  // the fuzzed file, and the table written again

void removeFiles() {
  for (const std::string& path : gPaths) {
    unlink(path.c_str());
  }
}

void setUp() {
  struct stat st;
  const std::string base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
  for (std::string& path : gPaths) {
    std::string tmpl = base + "/listconv-fuzz-table-XXXXXX";
    const int fd = mkstemp(&tmpl[0]);
    FUZZ_CHECK(fd >= 0);
    close(fd);
    path = tmpl;
  }
  std::atexit(removeFiles);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// What a reading gave.
struct Table {
  TableKind kind = TableKind::csv;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  bool clean = true;  // no problem met, and read to its end
};

// Reads the file at `path`, checking what every read gives.
Table readTable(const std::string& path, const TableOptions& options, int64_t lines) {
  Table table;
  TableReader r;
  TableStatus status = openTable(r, path.c_str(), options);
  table.kind = r.kind;
  table.header = r.header;
  int64_t lastRowLine = 0;
  while (status == TableStatus::ok || status == TableStatus::problems) {
    FUZZ_CHECK(r.in.error == 0);
    status = readTableRow(r);
    FUZZ_CHECK(r.line.size() <= options.maxRowBytes + 4);
    for (const TableProblem& p : r.problems) {
      FUZZ_CHECK(p.line >= 1 && p.line <= lines && !p.reason.empty());
    }
    if (status != TableStatus::ok && status != TableStatus::problems) {
      break;
    }
    FUZZ_CHECK(r.rowLine > lastRowLine && r.rowLine <= r.lineNumber);
    lastRowLine = r.rowLine;
    FUZZ_CHECK(r.header == table.header);
    FUZZ_CHECK(r.cells.size() == r.header.size() && r.present.size() == r.header.size());
    if (status == TableStatus::problems) {
      FUZZ_CHECK(!r.problems.empty());
      table.clean = false;
      continue;
    }
    FUZZ_CHECK(r.problems.empty());
    for (size_t i = 0; i < r.cells.size(); ++i) {
      FUZZ_CHECK(r.present[i] != 0);
      FUZZ_CHECK(r.cellLines[i] >= r.rowLine && r.cellLines[i] <= r.lineNumber);
      FUZZ_CHECK(r.cells[i].size() <= options.maxRowBytes);
      FUZZ_CHECK(!options.utf8 || isValidUtf8(r.cells[i]));
    }
    table.rows.push_back(r.cells);
  }
  FUZZ_CHECK(status == TableStatus::end || status == TableStatus::stopped);
  FUZZ_CHECK(status == TableStatus::end || !r.problems.empty());
  FUZZ_CHECK(readTableRow(r) == status);
  table.clean = table.clean && status == TableStatus::end;
  closeTable(r);
  return table;
}

// Appends a value as CSV, always quoted.
void appendQuoted(std::string& out, const std::string& value) {
  out += '"';
  for (const char c : value) {
    out += c;
    if (c == '"') {
      out += '"';
    }
  }
  out += '"';
}

// Appends \u and four hex digits.
void appendUnicodeEscape(std::string& out, uint32_t unit) {
  out += "\\u";
  appendHex(out, unit, 4, kLowerHexDigits);
}

// Appends a value as a JSON string: the short escapes where JSON has them,
// else \u escapes for controls; with `escapeAll` (for UTF-8 values), every
// character beyond ASCII as \u escapes too, and / as \/.
void appendJsonString(std::string& out, const std::string& value, bool escapeAll) {
  static const char kShort[] = "\"\"\\\\\bb\ff\nn\rr\tt";
  out += '"';
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const unsigned b = static_cast<unsigned char>(c);
    const char* pair = nullptr;
    for (const char* k = kShort; *k != '\0' && c != '\0'; k += 2) {
      pair = *k == c ? k : pair;
    }
    if (pair != nullptr) {
      out += '\\';
      out += pair[1];
    } else if (b < 0x20) {
      appendUnicodeEscape(out, b);
    } else if (escapeAll && c == '/') {
      out += "\\/";
    } else if (escapeAll && b >= 0x80) {
      const size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
      uint32_t cp = b & (0x7F >> n);
      for (size_t k = 1; k < n; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(value[i + k]) & 0x3F);
      }
      i += n - 1;
      if (cp >= 0x10000) {
        appendUnicodeEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
        appendUnicodeEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        appendUnicodeEscape(out, cp);
      }
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string asCsv(const Table& t) {
  std::string out;
  for (const std::vector<std::string>* row = &t.header; row != nullptr;) {
    for (size_t i = 0; i < row->size(); ++i) {
      out += i == 0 ? "" : ",";
      appendQuoted(out, (*row)[i]);
    }
    out += "\r\n";
    const size_t next = row == &t.header ? 0 : static_cast<size_t>(row - t.rows.data()) + 1;
    row = next < t.rows.size() ? &t.rows[next] : nullptr;
  }
  return out;
}

std::string asJsonLines(const Table& t, bool utf8) {
  std::string out;
  for (size_t r = 0; r < t.rows.size(); ++r) {
    out += '{';
    for (size_t k = 0; k < t.header.size(); ++k) {
      const size_t i = r == 0 ? k : t.header.size() - 1 - k;
      out += k == 0 ? "" : ",";
      appendJsonString(out, t.header[i], false);
      out += ':';
      appendJsonString(out, t.rows[r][i], utf8 && (r + k) % 2 == 1);
    }
    out += "}\n";
  }
  return out;
}

// Whether JSON Lines can hold the table: keys that differ, and a first line.
bool fitsJsonLines(const Table& t) {
  return !t.rows.empty() &&
         std::set<std::string>(t.header.begin(), t.header.end()).size() == t.header.size();
}

// Whether CSV can hold the table: a column at least.
bool fitsCsv(const Table& t) {
  return !t.header.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (gPaths[0].empty()) {
    setUp();
  }
  if (size == 0) {
    return 0;
  }
  static const size_t kLimits[] = {16, 40, 100, 1u << 20};
  TableOptions options;
  options.utf8 = (data[0] & 1) == 0;
  options.maxRowBytes = kLimits[(data[0] >> 1) & 3];
  const std::string raw(reinterpret_cast<const char*>(data) + 1, size - 1);
  writeFile(gPaths[0], raw);
  const int64_t lines = static_cast<int64_t>(std::count(raw.begin(), raw.end(), '\n')) + 1;
  const Table table = readTable(gPaths[0], options, lines);
  if (!table.clean) {
    return 0;
  }

  // The table again, in the other kind where it fits, read without a limit.
  bool toCsv = table.kind == TableKind::jsonLines ? fitsCsv(table) : !fitsJsonLines(table);
  if (!toCsv && !fitsJsonLines(table)) {
    return 0;
  }
  const std::string again = toCsv ? asCsv(table) : asJsonLines(table, options.utf8);
  options.maxRowBytes = 1u << 20;
  writeFile(gPaths[1], again);
  const int64_t againLines = static_cast<int64_t>(std::count(again.begin(), again.end(), '\n')) + 1;
  const Table back = readTable(gPaths[1], options, againLines);
  FUZZ_CHECK(back.clean);
  FUZZ_CHECK(back.header == table.header);
  FUZZ_CHECK(back.rows == table.rows);
  return 0;
}
