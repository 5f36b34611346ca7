// End-to-end tests of listconv-import's records: an import changes only the
// bytes its rows change, refuses what the listing would not show as meant,
// and lists what it will change.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "export_e2e.h"
#include "record_layout.h"

namespace e2e {
namespace {

using fixtures::kRecordSize;

const char kRecordHeader[] =
    "record,reserved,entryId,name1,name2,name3,nameCode1,nameCode2,nameCode3,detail1,detail2,"
    "period,detail3,detail4,detail5,detail6,detail7,wordText,note\r\n";

// `n` records of every oddity a list.rec written by other programs holds:
// non-blank bytes after each count, counts above the capacity, negative
// counts, zero bytes inside a value, name codes that are no codes; every
// entryId is listed. Record 3's note is "NOTE-3", with bytes after it.
// With `raw`, the bytes are any bytes; else ASCII, for a UTF-8 export.
std::string oddRecords(size_t n, bool raw = true) {
  std::string file;
  for (size_t i = 0; i < n; ++i) {
    std::string r(kRecordSize, '\0');
    for (size_t j = 0; j < kRecordSize; ++j) {
      r[j] = static_cast<char>(
          "abcdefghijklmnopqrstuvwxyz\xFF\x00\x81"[(i * 7 + j * 3) % (raw ? 29 : 26)]);
    }
    r[0] = static_cast<char>(i);
    for (size_t f = 0; f < 17; ++f) {
      const fixtures::Field& field = fixtures::kAllFields[f];
      char& count = r[field.countOffset];
      char* slot = &r[field.countOffset + 1];
      switch ((i + f) % 4) {
        case 0:
          count = 3;
          break;
        case 1:
          count = static_cast<char>(std::min<size_t>(field.capacity + 5, 127));
          break;
        case 2:
          count = static_cast<char>(0x90);
          break;
        default:
          count = 2;
          slot[0] = 'z';
          slot[1] = '\0';
      }
    }
    r.replace(fixtures::kEntryId.countOffset, 4,
              "\x03"
              "E-" +
                  std::string(1, 'a' + i));
    if (i == 2) {
      r.replace(fixtures::kNote.countOffset, 7, "\x06NOTE-3");
    }
    file += r;
  }
  return file;
}

// The records export of the folder: CSV in CP932 as stored, or JSON Lines
// (in UTF-8).
std::string exportRecords(const Workdir& w, const std::string& format) {
  const RunResult r = runExport(w, "--format records -o out." + format +
                                       (format == "jsonl" ? " --as jsonl" : " --encoding cp932"));
  EXPECT_EQ(r.status, 0) << r.err;
  return readFile(w.path("out." + format));
}

// The import's options for an export of `format` as exportRecords writes it.
std::string importOptions(const std::string& format) {
  return format == "jsonl" ? "in.jsonl" : "--encoding cp932 in.csv";
}

// `text` with its one `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The lines of a JSON Lines file.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at + 1));
    at = end + 1;
  }
  return lines;
}

// A row of a records export: `values` by column, every other one empty.
std::string recordRow(const std::map<std::string, std::string>& values) {
  std::string row;
  const std::string header(kRecordHeader, sizeof kRecordHeader - 3);
  for (size_t at = 0; at <= header.size();) {
    const size_t end = std::min(header.find(',', at), header.size());
    const auto value = values.find(header.substr(at, end - at));
    row += (at == 0 ? "" : ",") + (value == values.end() ? std::string() : value->second);
    at = end + 1;
  }
  return row + "\r\n";
}

// Record `n` (from 1) of a list.rec.
std::string recordOf(const std::string& file, size_t n) {
  return file.substr((n - 1) * kRecordSize, kRecordSize);
}

}  // namespace

TEST(ImportRecords, AnUnchangedExportWritesNothingAndKeepsEveryByte) {
  struct Case {
    const char* what;
    std::string records;
    const char* counts;
  };
  const Case cases[] = {
      {"the sample", sampleFile("list.rec"), "14 records (12 listed)"},
      {"odd records", oddRecords(6), "6 records (6 listed)"},
      {"odd ASCII records", oddRecords(6, false), "6 records (6 listed)"},
      {"a last record cut short", oddRecords(6) + oddRecords(1).substr(0, 100),
       "7 records (7 listed)"},
      {"no records", "", "0 records (0 listed)"},
  };
  for (const Case& c : cases) {
    for (const std::string format : {"csv", "jsonl"}) {
      if (format == "jsonl" &&
          (c.records.empty() || c.records.find_first_of("\x81\xFF") != std::string::npos)) {
        continue;  // JSON Lines holds UTF-8 only, and an empty one has no header
      }
      SCOPED_TRACE(std::string(c.what) + " " + format);
      Workdir w;
      putSample(w);
      w.put("list.rec", c.records);
      const std::string exported = exportRecords(w, format);
      w.put("in." + format, exported);
      RunResult r = runImport(w, importOptions(format));
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out, std::string(c.counts) + " in list.rec unchanged: nothing written\n");
      EXPECT_EQ(readFile(w.path("list.rec")), c.records);
      EXPECT_FALSE(exists(w.path("list.rec.~1~")));
      r = runImport(w, "--check " + importOptions(format));
      EXPECT_EQ(r.out,
                std::string(c.counts) + " in list.rec unchanged: nothing would be written\n");
    }
  }
}

TEST(ImportRecords, OneEditedFieldRewritesOnlyItsCountAndSlot) {
  Workdir w;
  putSample(w);
  const std::string old = oddRecords(5);
  w.put("list.rec", old);
  w.put("in.csv", replaced(exportRecords(w, "csv"), ",NOTE-3\r\n", ",NEW NOTE\r\n"));

  RunResult r = runImport(w, "--check --encoding cp932 in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "list.rec: record 3: note: \"NOTE-3\" \xE2\x86\x92 \"NEW NOTE\"\n"
            "5 records (5 listed) would be written to list.rec: 1 changed, 0 added, 0 removed, "
            "4 unchanged\n");
  EXPECT_EQ(readFile(w.path("list.rec")), old);

  r = runImport(w, "--encoding cp932 in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "5 records (5 listed) written to list.rec: 1 changed, 0 added, 0 removed, "
            "4 unchanged\n"
            "list.rec kept as list.rec.~1~\n");
  const std::string now = readFile(w.path("list.rec"));
  ASSERT_EQ(now.size(), old.size());
  const size_t count = 2 * kRecordSize + fixtures::kNote.countOffset;
  for (size_t i = 0; i < old.size(); ++i) {
    if (i < count || i > count + fixtures::kNote.capacity) {
      ASSERT_EQ(now[i], old[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(now.substr(count, 1 + fixtures::kNote.capacity),
            "\x08NEW NOTE" + std::string(fixtures::kNote.capacity - 8, ' '));
  EXPECT_EQ(readFile(w.path("list.rec.~1~")), old);
}

TEST(ImportRecords, RowsAddRemoveAndReorderRecords) {
  Workdir w;
  putSample(w);
  const std::string old = sampleFile("list.rec");
  const std::vector<std::string> rows = linesOf(exportRecords(w, "jsonl"));
  ASSERT_EQ(rows.size(), 14u);
  // Records 5, 1, a new one made of record 2's values, 3, 6 to 14; 2 and 4 go.
  std::string file =
      rows[4] + rows[0] + replaced(rows[1], "{\"record\":2,", "{\"record\":\"\",") + rows[2];
  for (size_t i = 5; i < rows.size(); ++i) {
    file += rows[i];
  }
  w.put("in.jsonl", file);
  RunResult r = runImport(w, "--check in.jsonl");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "list.rec: record 15: added\n"
            "list.rec: record 2: removed\n"
            "list.rec: record 4: removed\n"
            "13 records (11 listed) would be written to list.rec: 0 changed, 1 added, 2 removed, "
            "12 unchanged, 2 moved\n");

  r = runImport(w, "in.jsonl");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string now = readFile(w.path("list.rec"));
  ASSERT_EQ(now.size(), 13 * kRecordSize);
  EXPECT_EQ(recordOf(now, 1), recordOf(old, 5));
  EXPECT_EQ(recordOf(now, 2), recordOf(old, 1));
  EXPECT_EQ(recordOf(now, 4), recordOf(old, 3));
  EXPECT_EQ(now.substr(4 * kRecordSize), old.substr(5 * kRecordSize));
  // The new record holds record 2's values, encoded afresh.
  EXPECT_EQ(linesOf(exportRecords(w, "jsonl"))[2],
            replaced(rows[1], "{\"record\":2,", "{\"record\":3,"));
}

TEST(ImportRecords, RowsWithoutNumbersAreNewRecordsAndALongListIsCut) {
  Workdir w;
  putSample(w);
  // No record column: every row is a new record, every old one goes.
  std::string file = std::string(kRecordHeader).substr(std::string("record,reserved,").size());
  for (int i = 0; i < 10005; ++i) {
    file += "E,,,,,,,,,,,,,,,,\r\n";
  }
  w.put("in.csv", file);
  const RunResult r = runImport(w, "--check in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string counts =
      "list.rec: and 19 more changes\n"
      "10005 records (10005 listed) would be written to list.rec: 0 changed, 10005 added, "
      "14 removed, 0 unchanged\n";
  EXPECT_EQ(r.out.rfind("list.rec: record 15: added\nlist.rec: record 16: added\n", 0), 0u);
  ASSERT_GE(r.out.size(), counts.size());
  EXPECT_EQ(r.out.substr(r.out.size() - counts.size()), counts);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10002);
}

TEST(ImportRecords, RecordNumbersThatNameNoOldRecordOrOneGivenBeforeAreRefused) {
  struct Case {
    std::vector<const char*> numbers;  // of the rows, from line 2
    const char* message;
  };
  const Case cases[] = {
      {{"3", "4", "3"},
       "in.csv:4: record: \"3\": record 3 is given a second time (first on line 2)"},
      {{"15"},
       "in.csv:2: record: \"15\": a record number from 1 to 14 (the records of list.rec), "
       "or nothing for a new record"},
      {{"0"}, "in.csv:2: record: \"0\": a record number from 1 to 14"},
      {{"-1"}, "in.csv:2: record: \"-1\": a record number from 1 to 14"},
      {{"2.0"}, "in.csv:2: record: \"2.0\": a record number from 1 to 14"},
      {{"x"}, "in.csv:2: record: \"x\": a record number from 1 to 14"},
      {{"99999999999999999999"}, "in.csv:2: record: \"99999999999999999999\": a record number"},
  };
  const std::string header = kRecordHeader;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Workdir w;
    putSample(w);
    std::string file = header;
    for (const char* n : c.numbers) {
      file += std::string(n) + ",00000000,E,,,,,,,,,,,,,,,,\r\n";
    }
    w.put("in.csv", file);
    const RunResult r = runImport(w, "in.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
  }
  // An empty or missing list.rec has no record to name.
  Workdir w;
  w.put("in.csv", header + "1,,E,,,,,,,,,,,,,,,,\r\n");
  const RunResult r = runImport(w, "in.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("in.csv:2: record: \"1\": a record number, but list.rec has no records: "
                       "leave it empty for a new record"),
            std::string::npos)
      << r.err;
}

TEST(ImportRecords, ValuesTheListingWouldNotShowAsMeantAreRefused) {
  struct Case {
    const char* column;
    std::string value;
    std::string reason;
  };
  const Case cases[] = {
      {"nameCode1", "12ab",
       "not a kanji code: digits of a code of kanjis.dat, or blank for no kanji"},
      {"nameCode2", "-7", "not a kanji code"},
      {"nameCode3", "9999", "code 9999 names no kanji of kanjis.dat, whose codes run from 525 to "},
      {"nameCode1", "524", "code 524 names no kanji of kanjis.dat"},
      {"nameCode2", "3867",
       "code 3867 shows as \"1037\" in the listing, whatever kanjis.dat holds"},
      {"note", std::string("a\0b", 3), "a zero byte, where the reader would end the value"},
      {"nameCode1", std::string("5\0", 2), "a zero byte, where the reader would end the value"},
  };
  for (const Case& c : cases) {
    // As a change of record 1 and as a new record.
    for (const char* number : {"1", ""}) {
      SCOPED_TRACE(std::string(c.column) + " record '" + number + "'");
      Workdir w;
      putSample(w);
      w.put("in.csv", kRecordHeader + recordRow({{"record", number}, {c.column, c.value}}));
      const RunResult r = runImport(w, "--encoding cp932 in.csv");
      EXPECT_EQ(r.status, 1);
      const std::string shown = c.value.find('\0') == std::string::npos ? c.value : "";
      EXPECT_NE(r.err.find("listconv-import: in.csv:2: " + std::string(c.column) + ": \"" + shown),
                std::string::npos)
          << r.err;
      // A value with a zero byte is shown as shownValue shows it.
      if (shown == c.value) {
        EXPECT_NE(r.err.find("\": " + c.reason), std::string::npos) << r.err;
      }
      EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
    }
  }
}

TEST(ImportRecords, BlankCodesPassAndWithoutKanjisDatOnlyThey) {
  Workdir w;
  putSample(w);
  const std::string rows = recordRow({{"entryId", "A"}, {"nameCode1", "5 39"}}) +
                           recordRow({{"entryId", "B"}, {"nameCode2", "    "}, {"nameCode3", "0"}});
  w.put("in.csv", kRecordHeader + rows);
  RunResult r = runImport(w, "--check in.csv");
  EXPECT_EQ(r.status, 0) << r.err;

  ASSERT_EQ(std::remove(w.path("kanjis.dat").c_str()), 0);
  r = runImport(w, "--check in.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "listconv-import: in.csv:2: nameCode1: \"5 39\": code 539 cannot be checked: "
            "kanjis.dat is missing\n"
            "listconv-import: nothing was written\n");
}

TEST(ImportRecords, AnOddValueThatStaysIsKeptWhateverItHolds) {
  // Record 1 of the sample with a name code that is no code and a note cut
  // by a zero byte; a change of its entryId keeps both.
  std::string old = sampleFile("list.rec");
  old.replace(fixtures::kNameCode1.countOffset, 5,
              "\x04"
              "12ab");
  old.replace(fixtures::kNote.countOffset, 5,
              std::string("\x04"
                          "ab\0c",
                          5));
  Workdir w;
  putSample(w);
  w.put("list.rec", old);
  w.put("in.csv", replaced(exportRecords(w, "csv"), "1,00000000,A-0001,", "1,00000000,A-0009,"));
  const RunResult r = runImport(w, "--encoding cp932 in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  // Only the entryId is rewritten, blank-padded.
  std::string want = old;
  want.replace(fixtures::kEntryId.countOffset, 9,
               "\x06"
               "A-0009  ");
  EXPECT_TRUE(readFile(w.path("list.rec")) == want);
}

}  // namespace e2e
