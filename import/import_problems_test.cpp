// Tests of the import's messages: the place and value of a problem as a
// terminal shows them, the count of the problems not shown, and the notice
// of a column that is ignored.
#include "import_problems.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "table_reader.h"

namespace {

using namespace std::string_literals;

// The messages a table file's reading notes, as the import prints them, the
// file being named in.csv.
std::vector<std::string> readingMessages(const std::string& bytes, bool utf8) {
  // In the test's own folder, not the machine's shared temporary one, where
  // another build's tests of the same name may be writing at the same time.
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string path = std::string("ImportProblems.") + info->name() + ".csv";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  TableOptions options;
  options.utf8 = utf8;
  Problems problems;
  TableReader r;
  TableStatus status = openTable(r, path.c_str(), options);
  while (true) {
    noteTableProblems(problems, "in.csv", r.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      break;
    }
    status = readTableRow(r);
  }
  closeTable(r);
  std::remove(path.c_str());
  return problems.shown;
}

TEST(ImportMessages, AReadingsProblemsAreShownSafelyWithTheirPlace) {
  struct Case {
    const char* what;
    std::string bytes;
    bool utf8;
    std::vector<std::string> messages;
  };
  const std::string hint = "; the file reads as CP932: try --encoding cp932";
  const Case cases[] = {
      {"CP932 read as UTF-8: one hint, the byte in hex",
       "entryId,name1\r\nA-1,\x93\x63\x92\x86\r\nA-2,\x92\x86\r\n",
       true,
       {"in.csv:2: name1: a byte that is not UTF-8: 0x93" + hint,
        "in.csv:3: name1: a byte that is not UTF-8: 0x92"}},
      {"bytes that read as no CP932 either: no hint",
       "a\r\n\xFF\xFE\r\n",
       true,
       {"in.csv:2: a: a byte that is not UTF-8: 0xFF"}},
      {"Latin-1 capitals, which read as half-width katakana alone: no hint",
       "a\r\nM\xDCLLER\r\n",
       true,
       {"in.csv:2: a: a byte that is not UTF-8: 0xDC"}},
      {"CP932 in the first JSON line, which is read twice: the hint once",
       "{\"a\":\"\x93\x63\"}\n{\"a\":\"\x93\x63\"}\n",
       true,
       {"in.csv:1: a: a byte that is not UTF-8: 0x93" + hint,
        "in.csv:2: a: a byte that is not UTF-8: 0x93"}},
      {"a header name with an escape sequence and an override",
       "a\x1B[2J,b\xE2\x80\xAE\r\n1\r\n",
       true,
       {"in.csv:2: b\\u202E: a row of 1 value; the header has 2"}},
      {"JSON keys that the first line lacks",
       "{\"a\":\"1\"}\n{\"a\":\"1\",\"x\\u001b\\\\\":\"2\"}\n",
       true,
       {"in.csv:2: x\\x1B\\\\: a key that the first line does not have: x\\x1B\\\\"}},
      {"a missing JSON key with a zero-width space",
       "{\"a\":\"1\",\"b\\u200b\":\"2\"}\n{\"a\":\"1\"}\n",
       true,
       {"in.csv:2: b\\u200B: a missing key: b\\u200B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(readingMessages(c.bytes, c.utf8), c.messages);
  }
}

TEST(ImportMessages, ShownValuesAreEscapedAndCut) {
  // Controls that CP932 holds reach a message through other reasons.
  EXPECT_EQ(shownValue("\x1B[31mred\\"s, true), "\"\\x1B[31mred\\\\\"");
  EXPECT_EQ(shownValue("a\0b\r\n"s, true), "\"a\\x00b\\x0D\\x0A\"");
  // Invisible characters and overrides, which CP932 refuses, by their number.
  EXPECT_EQ(shownValue("A\xE2\x80\x8B-\xE2\x80\xAEx", true), "\"A\\u200B-\\u202Ex\"");
  // CP932 bytes as their characters; one that is none as U+FFFD.
  EXPECT_EQ(shownValue("\x8A\xBF\x1B\xFF", false), "\"\xE6\xBC\xA2\\x1B\xEF\xBF\xBD\"");
  // Cut after 24 characters, counted before escaping.
  EXPECT_EQ(shownValue(std::string(23, 'x') + "\x1B\x1B", true),
            "\"" + std::string(23, 'x') + "\\x1B\xE2\x80\xA6\"");
}

TEST(ImportMessages, PlacesNameFilesAndColumnsSafely) {
  EXPECT_EQ(shownFileName("-"), "standard input");
  EXPECT_EQ(shownFileName("./-"), "./-");
  EXPECT_EQ(shownFileName("in\x1B]0;x\x07.csv"), "in\\x1B]0;x\\x07.csv");
  EXPECT_EQ(placeOf("in.csv", 3, "name\xE2\x81\xA6"), "in.csv:3: name\\u2066: ");
  EXPECT_EQ(placeOf("in.csv", 3, ""), "in.csv:3: ");
}

// What `print` writes to standard error.
template <typename Print>
std::string printed(Print print) {
  ::testing::internal::CaptureStderr();
  print();
  return ::testing::internal::GetCapturedStderr();
}

TEST(ImportMessages, TheProblemsNotShownAreCountedInTheRightNumber) {
  struct Case {
    size_t count;
    std::string last;  // the last line printed
  };
  const Case cases[] = {{50, "listconv-import: p49\n"},
                        {51, "listconv-import: and 1 more problem\n"},
                        {52, "listconv-import: and 2 more problems\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    Problems problems;
    for (size_t i = 0; i < c.count; ++i) {
      note(problems, "p" + std::to_string(i));
    }
    const std::string err = printed([&] { printProblems(problems); });
    EXPECT_EQ(err.find("p50"), std::string::npos);
    ASSERT_GE(err.size(), c.last.size());
    EXPECT_EQ(err.substr(err.size() - c.last.size()), c.last);
  }
}

TEST(ImportMessages, ColumnsThatAreNoneOfTheFormatsAreNamedAsIgnored) {
  const char* const known[] = {"record", "entryId", "found"};
  const std::vector<std::string> header = {"entryId", "EntryID", "found", "x\xE2\x80\xAE", ""};
  EXPECT_EQ(printed([&] { printIgnoredColumns("in.csv", header, known, 3, "records"); }),
            "listconv-import: in.csv: column \"EntryID\" is not one of the records format's: "
            "ignored\n"
            "listconv-import: in.csv: column \"x\\u202E\" is not one of the records format's: "
            "ignored\n"
            "listconv-import: in.csv: column \"\" is not one of the records format's: ignored\n");
  EXPECT_EQ(printed([&] { printIgnoredColumns("in.csv", {"record"}, known, 3, "records"); }), "");
}

}  // namespace
