// Tests of finding the columns a caller reads among a table's header names.
#include "column_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ColumnMatch, ColumnsAreFoundInAnyOrderAndEveryWrongOneIsNamed) {
  const std::vector<WantedColumn> wanted = {
      {"key", true}, {"word", true}, {"codes", true}, {"line", false}, {"kanji", false}};
  struct Case {
    const char* what;
    std::vector<std::string> header;
    std::vector<size_t> index;
    std::vector<std::string> reasons;  // "column line: reason"
  };
  const Case cases[] = {
      {"any order, an extra column",
       {"codes", "extra", "word", "kanji", "key"},
       {4, 2, 0, kNoColumn, 3},
       {}},
      {"a required column missing, an optional one too",
       {"word", "codes"},
       {kNoColumn, 0, 1, kNoColumn, kNoColumn},
       {"0 key: a column that the file lacks: key"}},
      {"twice, and missing",
       {"word", "key", "codes", "word", "line", "key", "word"},
       {1, 0, 2, 4, kNoColumn},
       {"6 key: a column that stands twice: key", "4 word: a column that stands twice: word"}},
      {"an optional column twice",
       {"key", "word", "codes", "line", "line"},
       {0, 1, 2, 3, kNoColumn},
       {"5 line: a column that stands twice: line"}},
      {"names are exact",
       {"Key", "word ", "codes"},
       {kNoColumn, kNoColumn, 2, kNoColumn, kNoColumn},
       {"0 key: a column that the file lacks: key", "0 word: a column that the file lacks: word"}},
  };
  for (const Case& c : cases) {
    std::vector<TableProblem> problems;
    EXPECT_EQ(matchColumns(c.header, wanted, problems), c.index) << c.what;
    std::vector<std::string> reasons;
    for (const TableProblem& p : problems) {
      EXPECT_EQ(p.line, 1) << c.what;
      reasons.push_back(std::to_string(p.column) + " " + p.columnName + ": " + p.reason);
    }
    EXPECT_EQ(reasons, c.reasons) << c.what;
  }
}

}  // namespace
