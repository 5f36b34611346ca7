// Tests of the table reader: CSV and JSON Lines read back as the export
// writes them, every malformed input with its line and reason, and memory
// that does not grow with the number of rows.
#include "table_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cp932/cp932.h"
#include "formats/export_formats.h"

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// A file holding `bytes`, private to the running test; removed by the next
// call or at the end of the test program.
struct TableFile {
  std::string path;
  explicit TableFile(const std::string& bytes) {
    // In the test's own folder, not the machine's shared temporary one, where
    // another build's tests of the same name may be writing at the same time.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::string(info->test_suite_name()) + "." + info->name() + ".table";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  ~TableFile() { std::remove(path.c_str()); }
};

// Everything a reading of a table gave: the header, each row's cells (only
// the rows read without a problem), and the statuses in order.
struct Reading {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<int64_t> rowLines;
  std::vector<TableStatus> statuses;
  std::vector<TableProblem> problems;  // of every read, in order
};

Reading readAll(const std::string& bytes, TableOptions options = TableOptions()) {
  TableFile file(bytes);
  Reading got;
  TableReader r;
  TableStatus status = openTable(r, file.path.c_str(), options);
  got.header = r.header;
  while (true) {
    got.statuses.push_back(status);
    got.problems.insert(got.problems.end(), r.problems.begin(), r.problems.end());
    if (status == TableStatus::end || status == TableStatus::stopped) {
      break;
    }
    status = readTableRow(r);
    if (status == TableStatus::ok) {
      got.rows.push_back(r.cells);
      got.rowLines.push_back(r.rowLine);
    }
  }
  closeTable(r);
  return got;
}

using Rows = std::vector<std::vector<std::string>>;
const TableStatus kOk = TableStatus::ok;
const TableStatus kProblems = TableStatus::problems;
const TableStatus kEnd = TableStatus::end;
const TableStatus kStopped = TableStatus::stopped;

TEST(TableReader, CsvValuesComeBackWithTheirQuotingUndone) {
  // A byte-order mark, both line ends, quoted commas, quotes, CR LF and LF,
  // an empty last value and a last row without its line end.
  const Reading got = readAll(
      "\xEF\xBB\xBF"
      "b,\"a\"\r\n"
      "1,\"x,y\"\r\n"
      "\"say \"\"hi\"\"\",\"two\r\nlines\"\n"
      "\"\",\n"
      "\"lf\nand\rcr\",\xE6\xBC\xA2\x00z"s);
  EXPECT_EQ(got.header, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(got.rows, (Rows{{"1", "x,y"},
                            {"say \"hi\"", "two\r\nlines"},
                            {"", ""},
                            {"lf\nand\rcr", "\xE6\xBC\xA2\0z"s}}));
  EXPECT_EQ(got.rowLines, (std::vector<int64_t>{2, 3, 5, 6}));
  EXPECT_EQ(got.statuses, (std::vector<TableStatus>{kOk, kOk, kOk, kOk, kOk, kEnd}));
}

TEST(TableReader, CsvInCp932TakesEveryByteAsItStands) {
  TableOptions cp932;
  cp932.utf8 = false;
  // 0x95 0x5C is one character; 0xFF and a lone lead byte are kept too.
  const Reading got = readAll("k,v\r\n\x95\x5C,\"\xFF\x81\"\",\r\n\"\r\n"s, cp932);
  EXPECT_EQ(got.rows, (Rows{{"\x95\x5C", "\xFF\x81\",\r\n"}}));
  EXPECT_EQ(got.statuses.back(), kEnd);
}

TEST(TableReader, JsonLinesAreMatchedByKeyWhateverTheirOrder) {
  const Reading got = readAll(
      "\xEF\xBB\xBF{\"record\":1,\"text\":\"a\\\"b\\\\c\\/\"}\r\n"
      "{ \"text\" : \"\\u0000\\n\\r\\t\\b\\f\\u00e9\\ud83d\\ude00\xE6\xBC\xA2\" , \"record\" : -20 "
      "}\n"
      "{\"text\":\"\",\"record\":0}");
  EXPECT_EQ(got.header, (std::vector<std::string>{"record", "text"}));
  EXPECT_EQ(got.rows, (Rows{{"1", "a\"b\\c/"},
                            {"-20", "\0\n\r\t\b\f\xC3\xA9\xF0\x9F\x98\x80\xE6\xBC\xA2"s},
                            {"0", ""}}));
  EXPECT_EQ(got.rowLines, (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(got.statuses.back(), kEnd);
}

TEST(TableReader, JsonLinesInCp932UnescapeByteByByte) {
  TableOptions cp932;
  cp932.utf8 = false;
  // A writer that escapes bytes doubles a trail byte 0x5C like any backslash.
  const Reading got = readAll("{\"k\":\"\x95\\\\\\u0041\xFF\"}\n", cp932);
  EXPECT_EQ(got.rows, (Rows{{"\x95\\A\xFF"}}));
}

TEST(TableReader, ALineWithAProblemLeavesTheNextJsonLinesReadable) {
  TableOptions small;
  small.maxRowBytes = 16;
  const Reading got = readAll(
      "{\"a\":\"1\"}\n{\"a\":\"" + std::string(40, 'x') + "\"}\nnot json\n{\"a\":\"2\"}\n", small);
  EXPECT_EQ(got.rows, (Rows{{"1"}, {"2"}}));
  EXPECT_EQ(got.statuses, (std::vector<TableStatus>{kOk, kOk, kProblems, kProblems, kOk, kEnd}));
  ASSERT_EQ(got.problems.size(), 2u);
  EXPECT_EQ(got.problems[0].line, 2);
  EXPECT_EQ(got.problems[1].line, 3);
  EXPECT_EQ(got.rowLines, (std::vector<int64_t>{1, 4}));
}

// The first problem a reading meets: the status of the read that met it, and
// the problem.
struct Malformed {
  const char* what;
  std::string bytes;
  TableStatus status;
  int64_t line;
  size_t column;
  const char* columnName;
  std::string reason;
  bool utf8 = true;
  size_t maxRowBytes = 1u << 20;
};

std::string manyRows(size_t n) {
  std::string rows;
  for (size_t i = 0; i < n; ++i) {
    rows += "1,2\r\n";
  }
  return rows;
}

TEST(TableReader, MalformedInputsNameTheirLineAndReason) {
  const std::string notUtf8 = "a byte that is not UTF-8: 0x";
  const std::string cp932Hint = "; the file reads as CP932: try --encoding cp932";
  const std::string neither = "a value that is neither a string nor an integer";
  const Malformed cases[] = {
      {"empty file", "", kStopped, 1, 0, "", "an empty file, without a header row"},
      {"mark alone", "\xEF\xBB\xBF", kStopped, 1, 0, "", "an empty file, without a header row"},
      {"mark in CP932",
       "\xEF\xBB\xBF"
       "a\r\n",
       kStopped, 1, 0, "", "a UTF-8 byte-order mark in a file read as CP932", false},
      // CSV: what the reader cannot get past.
      {"unterminated quote", "a,b\r\n1,\"x\r\ny\r\n", kStopped, 2, 2, "b",
       "a quoted value that does not end"},
      {"unterminated quote, found within the row limit", "a,b\r\n1,\"x\r\n" + manyRows(100),
       kStopped, 2, 2, "b", "a quoted value that does not end within 64 bytes", true, 64},
      {"quote in an unquoted value", "a,b\n1,x\"y\n", kStopped, 2, 2, "b",
       "a quote inside a value that is not quoted"},
      {"text after a closing quote", "a,b\n1,\"x\"y\n", kStopped, 2, 2, "b",
       "a value that goes on after its closing quote"},
      {"CR after a closing quote", "a,b\n\"1\"\r,2\n", kStopped, 2, 1, "a",
       "a value that goes on after its closing quote"},
      {"row over the limit", "a,b\n1,2\n123456789,1234567\n", kStopped, 3, 0, "",
       "a row longer than 16 bytes", true, 16},
      {"quoted value of many lines over the limit", "a,b\n\"1\n2\n3\n4\n5\n6\n7\n8\",9\n", kStopped,
       2, 1, "a", "a quoted value that does not end within 16 bytes", true, 16},
      // CSV: rows that are read, with a problem.
      {"too many values", "a,b\n1,2,3\n", kProblems, 2, 3, "",
       "a row of 3 values; the header has 2"},
      {"too few values", "a,b\n1\n", kProblems, 2, 2, "b", "a row of 1 value; the header has 2"},
      {"blank line", "a,b\n1,2\n\n", kProblems, 3, 2, "b", "a row of 1 value; the header has 2"},
      {"width of a row of two lines", "a,b\n\"x\ny\",2,3\n", kProblems, 2, 3, "",
       "a row of 3 values; the header has 2"},
      {"not UTF-8", "a,b\n1,x\xC3(\n", kProblems, 2, 2, "b", notUtf8 + "C3"},
      {"not UTF-8 on a value's second line", "a,b\n1,\"x\ny\xFF\"\n", kProblems, 3, 2, "b",
       notUtf8 + "FF"},
      {"overlong UTF-8", "a\n\xC0\xAF\n", kProblems, 2, 1, "a", notUtf8 + "C0"},
      {"UTF-8 of a surrogate", "a\nx\xED\xA0\x80\n", kProblems, 2, 1, "a", notUtf8 + "ED"},
      {"UTF-8 beyond U+10FFFF", "a\n\xF4\x90\x80\x80\n", kProblems, 2, 1, "a", notUtf8 + "F4"},
      {"cut UTF-8 at a row's end", "a\n\xE6\xBC\n", kProblems, 2, 1, "a",
       notUtf8 + "E6" + cp932Hint},
      {"not UTF-8 in the header", "a,\x82\xA0\n", kStopped, 1, 2, "", notUtf8 + "82" + cp932Hint},
      {"CR inside an unquoted value", "a,b\n1\r2,3\n", kProblems, 2, 1, "a",
       "a CR that does not end a line"},
      // JSON Lines.
      {"first line not well formed", "{\"a\" \"1\"}\n", kStopped, 1, 0, "",
       "JSON that is not well formed (at byte 6 of the line)"},
      {"first line over the limit", "{\"a\":\"123456789012\"}\n", kStopped, 1, 0, "",
       "a line longer than 16 bytes", true, 16},
      {"not an object", "{\"a\":\"1\"}\n[\"1\"]\n", kProblems, 2, 0, "",
       "a line that is not a JSON object"},
      {"blank line", "{\"a\":\"1\"}\n\n", kProblems, 2, 0, "", "a line that is not a JSON object"},
      {"no colon", "{\"a\":\"1\"}\n{\"a\" \"1\"}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 6 of the line)"},
      {"text after the object", "{\"a\":\"1\"}\n{\"a\":\"1\"} x\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 11 of the line)"},
      {"two objects", "{\"a\":\"1\"}\n{\"a\":\"1\"}{\"a\":\"1\"}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 10 of the line)"},
      {"string without its end", "{\"a\":\"1\"}\n{\"a\":\"1\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 8 of the line)"},
      {"object without its end", "{\"a\":\"1\"}\n{\"a\":\"1\",\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 10 of the line)"},
      {"raw tab in a string", "{\"a\":\"1\"}\n{\"a\":\"x\ty\"}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 8 of the line)"},
      {"unknown escape", "{\"a\":\"1\"}\n{\"a\":\"\\x\"}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 8 of the line)"},
      {"short \\u escape", "{\"a\":\"1\"}\n{\"a\":\"\\u12\"}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 9 of the line)"},
      {"leading zero", "{\"a\":\"1\"}\n{\"a\":01}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 7 of the line)"},
      {"a lone minus", "{\"a\":\"1\"}\n{\"a\":-}\n", kProblems, 2, 0, "",
       "JSON that is not well formed (at byte 7 of the line)"},
      {"null", "{\"a\":\"1\"}\n{\"a\":null}\n", kProblems, 2, 1, "a", neither},
      {"true", "{\"a\":\"1\"}\n{\"a\":true}\n", kProblems, 2, 1, "a", neither},
      {"fraction", "{\"a\":\"1\"}\n{\"a\":1.5}\n", kProblems, 2, 1, "a", neither},
      {"exponent", "{\"a\":\"1\"}\n{\"a\":1e3}\n", kProblems, 2, 1, "a", neither},
      {"array", "{\"a\":\"1\"}\n{\"a\":[\"1\"]}\n", kProblems, 2, 1, "a", neither},
      {"object", "{\"a\":\"1\"}\n{\"a\":{}}\n", kProblems, 2, 1, "a", neither},
      {"object in the first line", "{\"a\":{}}\n", kStopped, 1, 1, "a", neither},
      {"missing key", "{\"a\":\"1\",\"b\":\"2\"}\n{\"b\":\"2\"}\n", kProblems, 2, 1, "a",
       "a missing key: a"},
      {"unknown key", "{\"a\":\"1\"}\n{\"a\":\"1\",\"c\":\"3\"}\n", kProblems, 2, 0, "c",
       "a key that the first line does not have: c"},
      {"key twice", "{\"a\":\"1\",\"b\":\"2\"}\n{\"b\":\"2\",\"a\":\"1\",\"b\":\"3\"}\n", kProblems,
       2, 2, "b", "a key that stands twice: b"},
      {"key twice on the first line", "{\"a\":\"1\",\"a\":\"2\"}\n", kProblems, 1, 1, "a",
       "a key that stands twice: a"},
      {"not UTF-8 in a value", "{\"a\":\"1\",\"b\":\"2\"}\n{\"a\":\"1\",\"b\":\"\xE6\xBC\"}\n",
       kProblems, 2, 2, "b", notUtf8 + "E6" + cp932Hint},
      {"not UTF-8 in a key", "{\"a\":\"1\"}\n{\"\xFF\":\"1\"}\n", kProblems, 2, 0, "",
       notUtf8 + "FF"},
      {"lone high surrogate", "{\"a\":\"1\"}\n{\"a\":\"\\ud83dx\"}\n", kProblems, 2, 1, "a",
       "a \\u escape of half a surrogate pair"},
      {"lone low surrogate", "{\"a\":\"1\"}\n{\"a\":\"\\ude00\"}\n", kProblems, 2, 1, "a",
       "a \\u escape of half a surrogate pair"},
      {"escape beyond ASCII in CP932", "{\"a\":\"1\"}\n{\"a\":\"\\u00e9\"}\n", kProblems, 2, 1, "a",
       "a \\u escape beyond ASCII in a file read as CP932", false},
      {"line over the limit", "{\"a\":\"1\"}\n{\"a\":\"123456789012\"}\n", kProblems, 2, 0, "",
       "a line longer than 16 bytes", true, 16},
  };
  for (const Malformed& c : cases) {
    TableOptions options;
    options.utf8 = c.utf8;
    options.maxRowBytes = c.maxRowBytes;
    const Reading got = readAll(c.bytes, options);
    const auto met = std::find_if(got.statuses.begin(), got.statuses.end(),
                                  [](TableStatus s) { return s != kOk; });
    ASSERT_NE(met, got.statuses.end()) << c.what;
    EXPECT_EQ(*met, c.status) << c.what;
    ASSERT_FALSE(got.problems.empty()) << c.what;
    const TableProblem& p = got.problems[0];
    EXPECT_EQ(p.line, c.line) << c.what;
    EXPECT_EQ(p.column, c.column) << c.what;
    EXPECT_EQ(p.columnName, c.columnName) << c.what;
    EXPECT_EQ(p.reason, c.reason) << c.what;
  }
}

TEST(TableReader, AFileThatDoesNotOpenStopsWithTheSystemsReason) {
  TableReader r;
  EXPECT_EQ(openTable(r, "no-such-folder/no-such-table.csv", TableOptions()), kStopped);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_NE(r.in.error, 0);
  EXPECT_EQ(readTableRow(r), kStopped);
  closeTable(r);
}

// Stored texts with every byte that matters to CSV or JSON, CP932 pairs
// (0x95 0x5C holds a backslash's byte) and bytes that are no character.
const std::string_view kStoredTexts[] = {
    "plain",
    "a,b",
    "say \"hi\"",
    "two\r\nlines",
    "lf\nonly",
    "cr\ronly",
    "\x8A\xBF\x8E\x9A",
    "\x95\x5C",
    "",
    "  padded  ",
    "zero\0byte"sv,
    "\"",
    "\\ and /",
    "\x1F\x7F",
    "=1+2",
    "\xFF\x81",
    "\x82\xA0,\"\n",
};

// A few rows whose texts cycle through kStoredTexts.
std::vector<ExportRow> storedRows() {
  std::vector<ExportRow> rows(4);
  size_t next = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].number = static_cast<int64_t>(i) + 1;
    for (std::string_view& text : rows[i].texts) {
      text = kStoredTexts[next++ % std::size(kStoredTexts)];
    }
  }
  return rows;
}

// A row as the reader should give it back: the number, then each text in
// UTF-8 (as the export transcodes it) or as stored.
std::vector<std::string> expectedCells(const ExportRow& row, bool utf8) {
  std::vector<std::string> cells{std::to_string(row.number)};
  for (const std::string_view text : row.texts) {
    std::string cell;
    size_t undecodable = 0;
    if (utf8) {
      appendCp932AsUtf8(cell, text, undecodable);
    } else {
      cell = std::string(text);
    }
    cells.push_back(cell);
  }
  return cells;
}

TEST(TableReader, WhatTheExportWritesReadsBackValueForValue) {
  const std::vector<ExportRow> rows = storedRows();
  const std::vector<std::string> names(std::begin(kExportFields), std::end(kExportFields));
  for (const bool utf8 : {true, false}) {
    TextEncoding encoding;
    encoding.utf8 = utf8;
    std::string csv = utf8 ? "\xEF\xBB\xBF" : "";
    appendCsvHeader(csv, kExportFields, kExportFieldCount);
    for (const ExportRow& row : rows) {
      appendCsvRow(csv, row, encoding, false);
    }
    TableOptions options;
    options.utf8 = utf8;
    const Reading got = readAll(csv, options);
    EXPECT_EQ(got.header, names);
    ASSERT_EQ(got.rows.size(), rows.size()) << "utf8 " << utf8;
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(got.rows[i], expectedCells(rows[i], utf8)) << "CSV row " << i << " utf8 " << utf8;
    }
    EXPECT_EQ(got.statuses.back(), kEnd);
  }
  // JSON Lines are written in UTF-8 alone.
  TextEncoding encoding;
  std::string jsonl;
  for (const ExportRow& row : rows) {
    appendJsonLine(jsonl, row, encoding);
  }
  const Reading got = readAll(jsonl);
  EXPECT_EQ(got.header, names);
  ASSERT_EQ(got.rows.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(got.rows[i], expectedCells(rows[i], true)) << "JSON row " << i;
  }
  EXPECT_EQ(got.statuses.back(), kEnd);
}

// The bytes a reader holds for its rows and lines.
size_t heldBytes(const TableReader& r) {
  size_t held = r.line.capacity() + r.key.capacity() + r.spare.capacity() + r.in.block.capacity() +
                r.cells.capacity() * sizeof(std::string) + r.problems.capacity();
  for (const std::string& cell : r.cells) {
    held += cell.capacity();
  }
  return held;
}

TEST(TableReader, ItsBuffersDoNotGrowWithTheNumberOfRows) {
  // Rows of 24 values whose lengths repeat every 100 rows, so that every
  // buffer has its full room after the first 100.
  const size_t kRows = 20000;
  std::string csv;
  std::string jsonl;
  const std::vector<ExportRow> texts = storedRows();
  TextEncoding encoding;
  appendCsvHeader(csv, kExportFields, kExportFieldCount);
  std::vector<std::string> values(kExportFieldCount - 1);
  for (size_t i = 0; i < kRows; ++i) {
    ExportRow row = texts[i % texts.size()];
    row.number = static_cast<int64_t>(i) + 1;
    for (size_t f = 0; f < values.size(); ++f) {
      values[f] = std::string((f * 7 + 49 - i % 50) % 40, 'a' + f % 26) + std::string(row.texts[f]);
      row.texts[f] = values[f];
    }
    appendCsvRow(csv, row, encoding, false);
    appendJsonLine(jsonl, row, encoding);
  }
  for (const std::string& bytes : {csv, jsonl}) {
    TableFile file(bytes);
    TableReader r;
    ASSERT_EQ(openTable(r, file.path.c_str(), TableOptions()), kOk);
    size_t rows = 0;
    size_t heldEarly = 0;
    size_t heldMost = 0;
    TableStatus status;
    while ((status = readTableRow(r)) == kOk) {
      ++rows;
      heldMost = std::max(heldMost, heldBytes(r));
      if (rows == 100) {
        heldEarly = heldMost;
      }
    }
    closeTable(r);
    EXPECT_EQ(status, kEnd);
    EXPECT_EQ(rows, kRows);
    EXPECT_EQ(heldMost, heldEarly) << "held after 100 rows and at most";
  }
}

}  // namespace
