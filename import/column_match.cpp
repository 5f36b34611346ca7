#include "column_match.h"

#include <algorithm>
#include <utility>

namespace {

// Adds a problem of the header line.
void addHeaderProblem(std::vector<TableProblem>& problems, size_t column, std::string_view name,
                      const char* what) {
  TableProblem p;
  p.line = 1;
  p.column = column;
  p.columnName = std::string(name);
  p.reason = what + p.columnName;
  problems.push_back(std::move(p));
}

}  // namespace

std::vector<size_t> matchColumns(const std::vector<std::string>& header,
                                 const std::vector<WantedColumn>& wanted,
                                 std::vector<TableProblem>& problems) {
  std::vector<size_t> index(wanted.size(), kNoColumn);
  for (size_t w = 0; w < wanted.size(); ++w) {
    for (size_t i = 0; i < header.size(); ++i) {
      if (header[i] != wanted[w].name) {
        continue;
      }
      if (index[w] == kNoColumn) {
        index[w] = i;
      } else {
        addHeaderProblem(problems, i + 1, wanted[w].name, "a column that stands twice: ");
        break;
      }
    }
    if (index[w] == kNoColumn && wanted[w].required) {
      addHeaderProblem(problems, 0, wanted[w].name, "a column that the file lacks: ");
    }
  }
  return index;
}

std::vector<size_t> unknownColumns(const std::vector<std::string>& header, const char* const* known,
                                   size_t count) {
  std::vector<size_t> unknown;
  for (size_t i = 0; i < header.size(); ++i) {
    const auto* const end = known + count;
    if (std::find(known, end, std::string_view(header[i])) == end) {
      unknown.push_back(i);
    }
  }
  return unknown;
}
