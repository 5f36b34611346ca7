// The lines, value slots and problems that the CSV and JSON Lines parts of
// the table reader share.
#include "table_parts.h"

#include <string_view>
#include <utility>

#include "cp932/cp932.h"
#include "textutil/text_bytes.h"
#include "textutil/utf8.h"

namespace {

// True when every byte of `line` belongs to a CP932 character and one at
// least is a pair: half-width katakana alone are what Latin-1's capitals
// look like too.
bool readsAsCp932(std::string_view line) {
  bool pair = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned byte = static_cast<unsigned char>(line[i]);
    if (byte < 0x80 || cp932CodePoint(byte) != kCp932NoCharacter) {
      continue;
    }
    if (i + 1 == line.size() ||
        cp932CodePoint(byte << 8 | static_cast<unsigned char>(line[i + 1])) == kCp932NoCharacter) {
      return false;
    }
    pair = true;
    ++i;
  }
  return pair;
}

}  // namespace

void sizeRow(TableReader& r) {
  r.cells.resize(r.header.size());
  r.present.assign(r.header.size(), 0);
  r.cellLines.assign(r.header.size(), 0);
}

bool nextLine(TableReader& r, size_t room) {
  if (r.linePending) {
    r.linePending = false;
    return true;
  }
  if (!readLinePiece(r.in, r.line, room + 1) || r.in.error != 0) {
    return false;
  }
  ++r.lineNumber;
  return true;
}

std::string columnNameOf(const TableReader& r, size_t column) {
  return column >= 1 && column <= r.header.size() ? r.header[column - 1] : std::string();
}

void addProblem(TableReader& r, int64_t line, size_t column, std::string columnName,
                std::string reason) {
  TableProblem p;
  p.line = line;
  p.column = column;
  p.columnName = std::move(columnName);
  p.reason = std::move(reason);
  r.problems.push_back(std::move(p));
}

TableStatus stopReading(TableReader& r, int64_t line, size_t column, std::string reason) {
  r.problems.clear();
  addProblem(r, line, column, columnNameOf(r, column), std::move(reason));
  r.halted = true;
  return TableStatus::stopped;
}

TableStatus rowStatus(const TableReader& r) {
  return r.problems.empty() ? TableStatus::ok : TableStatus::problems;
}

void checkUtf8(TableReader& r, std::string_view value, int64_t line, size_t column) {
  if (!r.options.utf8) {
    return;
  }
  const size_t bad = firstNonUtf8(value);
  if (bad == value.size()) {
    return;
  }
  for (size_t i = 0; i < bad; ++i) {
    line += value[i] == '\n' ? 1 : 0;
  }
  std::string reason = "a byte that is not UTF-8: 0x";
  appendHex(reason, static_cast<unsigned char>(value[bad]), 2);
  if (r.readsAsCp932 && !r.cp932Hinted) {
    reason += "; the file reads as CP932: try --encoding cp932";
    r.cp932Hinted = true;
  }
  addProblem(r, line, column, columnNameOf(r, column), std::move(reason));
}

void noteNonUtf8Line(TableReader& r, std::string_view line) {
  if (!r.nonUtf8Met) {
    r.nonUtf8Met = true;
    r.readsAsCp932 = readsAsCp932(line);
  }
}

std::string byteLimitText(size_t bytes) {
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}
