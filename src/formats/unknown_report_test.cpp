// Tests of the report of unknown words and codes.
#include "formats/unknown_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UnknownReport, CountsWhatGaveQuestionMarksAndSortsItByCountTextAndKind) {
  UnknownReport report;
  UnknownWords unknown;

  // Block 1: code 99 noted twice counts twice.
  unknown.words = {"ZZ", "ZZ", "A,B"};
  unknown.codes = {"99", "77", "99"};
  noteUnknowns(report, 1, unknown);

  // Block 2: new texts, one of them a word and a code.
  unknown.words = {"X", "\xFF", "B"};
  unknown.codes = {"X"};
  noteUnknowns(report, 2, unknown);

  unknown.words = {"ZZ"};
  unknown.codes = {};
  noteUnknowns(report, 5, unknown);

  TextEncoding stored;
  stored.utf8 = false;
  std::string out;
  appendUnknownReport(out, report, stored, false);
  EXPECT_EQ(out,
            "kind,text,count,first\r\n"
            "word,ZZ,3,1\r\n"
            "code,99,2,1\r\n"
            "code,77,1,1\r\n"
            "word,\"A,B\",1,1\r\n"
            "word,B,1,2\r\n"
            "code,X,1,2\r\n"
            "word,X,1,2\r\n"
            "word,\xFF,1,2\r\n");
  // The rows as a list, in the same order, their texts those the report holds.
  const std::vector<UnknownRow> rows = unknownRows(report);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(std::string(rows[3].kind) + " " + *rows[3].text, "word A,B");
  EXPECT_EQ(rows[3].text, &report.words.find("A,B")->first);
  EXPECT_EQ(rows[5].tally.first, 2);

  TextEncoding utf8;
  out.clear();
  appendUnknownReport(out, UnknownReport(), utf8, false);
  EXPECT_EQ(out, "kind,text,count,first\r\n");
}

TEST(UnknownReport, OnlyTheTextColumnCanStartLikeAFormula) {
  TextEncoding encoding;
  UnknownReport report;
  UnknownWords unknown;
  unknown.words = {"+A", "B"};
  unknown.codes = {"-1"};
  noteUnknowns(report, 3, unknown);
  std::string out;
  appendUnknownReport(out, report, encoding, true);
  EXPECT_EQ(out, "kind,text,count,first\r\nword,'+A,1,3\r\ncode,'-1,1,3\r\nword,B,1,3\r\n");
}

// Once the report holds `limit` texts, a new one is only counted as left
// out; the texts it holds go on being tallied.
TEST(UnknownReport, KeepsAtMostItsLimitOfTextsAndCountsTheRest) {
  struct Case {
    size_t limit;
    const char* rows;
    int64_t leftOut;
  };
  const Case cases[] = {
      {100, "word,A,3,1\r\ncode,1,2,1\r\ncode,2,1,2\r\nword,B,1,1\r\nword,C,1,2\r\n", 0},
      {5, "word,A,3,1\r\ncode,1,2,1\r\ncode,2,1,2\r\nword,B,1,1\r\nword,C,1,2\r\n", 0},
      {3, "word,A,3,1\r\ncode,1,2,1\r\nword,B,1,1\r\n", 2},
      {0, "", 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    UnknownReport report;
    report.limit = c.limit;
    UnknownWords unknown;
    unknown.codes = {"1"};  // codes are noted before words
    unknown.words = {"A", "B", "A"};
    noteUnknowns(report, 1, unknown);
    unknown.codes = {"2", "1"};
    unknown.words = {"C", "A"};
    noteUnknowns(report, 2, unknown);
    EXPECT_LE(report.words.size() + report.codes.size(), c.limit);
    EXPECT_EQ(report.leftOut, c.leftOut);
    TextEncoding encoding;
    std::string out;
    appendUnknownReport(out, report, encoding, false);
    EXPECT_EQ(out, std::string("kind,text,count,first\r\n") + c.rows);
  }
}

}  // namespace
