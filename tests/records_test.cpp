// Tests of record decoding and listing blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "fixtures.h"
#include "records/counted_field.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "textutil/file_io.h"

namespace {

using fixtures::Record;

RecordBytes toBytes(const std::string& s) {
  RecordBytes b;
  std::copy(s.begin(), s.end(), b.begin());
  return b;
}

struct DecodeCase {
  const char* what;
  fixtures::Field field;
  unsigned char count;
  std::string slot;
  std::string want;
  bool lineFeed = false;  // the decoded text holds a line feed
};

// The record field whose count byte is at `countOffset`.
RecordField fieldAt(size_t countOffset) {
  size_t i = 0;
  while (fixtures::kAllFields[i].countOffset != countOffset) {
    ++i;
  }
  return static_cast<RecordField>(i);
}

TEST(DecodeField, FollowsTheCountByte) {
  const std::string abc127(127, 'w');
  const DecodeCase cases[] = {
      {"count 3", fixtures::kEntryId, 3, "ABC", "ABC     "},
      {"count 0", fixtures::kEntryId, 0, "ABC", "        "},
      {"negative count", fixtures::kNote, 0x90, std::string(144, 'n'), std::string(255, ' ')},
      {"count 0xFF", fixtures::kName1, 0xFF, "abcdefg", "       "},
      {"127 in a 255 slot", fixtures::kWordText, 127, std::string(200, 'w'),
       abc127 + std::string(128, ' ')},
      {"over capacity", fixtures::kName1, 20, "abcdefghij", "abcdefg"},
      {"zero byte inside", fixtures::kDetail1, 8, std::string("ab\0defgh", 8), "ab"},
      {"zero byte first", fixtures::kEntryId, 4, std::string("\0bcd", 4), ""},
      {"zero past the count", fixtures::kDetail1, 2, std::string("ab\0d", 4), "ab      "},
      {"high bytes copied", fixtures::kName2, 3, "\x82\xa0\xff", "\x82\xa0\xff    "},
      // Fields are searched eight bytes at a time: zero bytes and line feeds
      // at the edges of those chunks.
      {"zero at 8", fixtures::kDetail3, 18, std::string("abcdefgh\0j", 11), "abcdefgh"},
      {"zero at 9", fixtures::kDetail3, 12, std::string("abcdefghi\0", 10), "abcdefghi"},
      {"zero at 16", fixtures::kDetail4, 17, std::string(16, 'x') + '\0', std::string(16, 'x')},
      {"count 9 of 18", fixtures::kDetail3, 9, std::string(18, 'y'),
       std::string(9, 'y') + std::string(9, ' ')},
      {"full 18", fixtures::kDetail4, 18, std::string(18, 'z'), std::string(18, 'z')},
      {"line feed at 8", fixtures::kDetail3, 9, "abcdefgh\n", "abcdefgh\n         ", true},
      {"line feed after a zero", fixtures::kDetail3, 9, std::string("ab\0\n", 4), "ab"},
      {"line feed past the count", fixtures::kDetail5, 2, "ab\n", "ab        "},
      {"line feed in a long slot", fixtures::kNote, 121, std::string(120, 'n') + '\n',
       std::string(120, 'n') + '\n' + std::string(134, ' '), true},
      {"zero at 100", fixtures::kWordText, 120, std::string(100, 'w') + '\0',
       std::string(100, 'w')},
      {"blanks within the count", fixtures::kNote, 8, "ab      x", "ab" + std::string(253, ' ')},
      {"negative count, long slot", fixtures::kWordText, 0x90, "abc", std::string(255, ' ')},
  };
  for (const DecodeCase& c : cases) {
    Record r;
    r.setCounted(c.field, c.count, c.slot);
    const RecordBytes bytes = toBytes(r);
    EXPECT_EQ(decodeField(bytes.data(), c.field.countOffset, c.field.capacity), c.want) << c.what;
    RecordView view;
    decodeRecordView(bytes, view);
    EXPECT_EQ(view.field[fieldAt(c.field.countOffset)], c.want) << c.what;
    EXPECT_EQ(view.lineFeeds, c.lineFeed) << c.what;
    EXPECT_EQ(trimmedField(view, fieldAt(c.field.countOffset)), withoutTrailingBlanks(c.want))
        << c.what;
  }
}

TEST(DecodeSourceRecord, PutsEveryFieldInItsPlace) {
  Record r;
  r.set(fixtures::kEntryId, "ID").set(fixtures::kName1, "n1").set(fixtures::kName2, "n2");
  r.set(fixtures::kName3, "n3").set(fixtures::kNameCode1, "600").set(fixtures::kNameCode2, "6");
  r.set(fixtures::kNameCode3, "7").set(fixtures::kDetail1, "d1").set(fixtures::kDetail2, "d2");
  r.set(fixtures::kPeriod, "EDO").set(fixtures::kDetail3, "d3").set(fixtures::kDetail4, "d4");
  r.set(fixtures::kDetail5, "d5").set(fixtures::kDetail6, "d6").set(fixtures::kDetail7, "d7");
  r.set(fixtures::kWordText, "words").set(fixtures::kNote, "note");
  const SourceRecord s = decodeSourceRecord(toBytes(r));
  EXPECT_EQ(s.entryId, "ID      ");
  EXPECT_EQ(s.name1, "n1     ");
  EXPECT_EQ(s.name2, "n2     ");
  EXPECT_EQ(s.name3, "n3     ");
  EXPECT_EQ(s.nameCode1, "600 ");
  EXPECT_EQ(s.nameCode2, "6   ");
  EXPECT_EQ(s.nameCode3, "7   ");
  EXPECT_EQ(s.detail1, "d1      ");
  EXPECT_EQ(s.detail2, "d2      ");
  EXPECT_EQ(s.period, "EDO         ");
  EXPECT_EQ(s.detail3, "d3" + std::string(16, ' '));
  EXPECT_EQ(s.detail4, "d4" + std::string(16, ' '));
  EXPECT_EQ(s.detail5, "d5        ");
  EXPECT_EQ(s.detail6, "d6        ");
  EXPECT_EQ(s.detail7, "d7        ");
  EXPECT_EQ(s.wordText, "words" + std::string(250, ' '));
  EXPECT_EQ(s.note, "note" + std::string(251, ' '));
  EXPECT_EQ(s.nameKanji1, "600 ");
  EXPECT_EQ(s.nameKanji2, "6   ");
  EXPECT_EQ(s.nameKanji3, "7   ");
}

// Writes one block through a real file and returns the file's bytes.
std::string blockBytes(const SourceRecord& record, const BlockValues& values, int64_t& count) {
  const std::string name = fixtures::scratchName("block.txt");
  const char* path = name.c_str();
  OutputFile out;
  EXPECT_TRUE(openOutput(out, path, true));
  writeListingBlock(out, record, values, count);
  EXPECT_TRUE(closeOutput(out));
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path);
  return bytes;
}

TEST(WriteListingBlock, WritesTheSevenLinesWithCrLf) {
  SourceRecord r = decodeSourceRecord(toBytes(Record().set(fixtures::kEntryId, "A1")));
  r.nameKanji1 = "X";
  r.nameKanji2 = "Y";
  r.nameKanji3 = "Z";
  r.note = "see list";
  BlockValues v;
  v.nameKey = "ABCD" + std::string(17, ' ');
  v.period = "EDO(1600-1867)";
  v.wordLine = "AB CD ";
  v.kanjiLine = "X Y";
  int64_t count = 0;
  const std::string want =
      "00001 A1      , ABCD                  (X Y Z)\r\n"
      "        ,         , EDO(1600-1867),                   ,                   \r\n"
      "          ,           ,           \r\n"
      "AB CD \r\n"
      "X Y\r\n"
      "see list\r\n"
      "\r\n"
      "----------\r\n";
  EXPECT_EQ(blockBytes(r, v, count), want);
  EXPECT_EQ(count, 1);
}

TEST(WriteListingBlock, EmptyValuesAndLineFeedsInsideValues) {
  SourceRecord r = decodeSourceRecord(toBytes(Record().set(fixtures::kEntryId, "\n")));
  r.nameKanji1 = r.nameKanji2 = r.nameKanji3 = "";
  r.note = "";
  BlockValues v;
  v.nameKey = std::string(21, ' ');
  int64_t count = 99999;
  const std::string bytes = blockBytes(r, v, count);
  EXPECT_EQ(bytes.substr(0, 46), "100000 \r\n       , " + std::string(21, ' ') + " (  )\r\n");
  EXPECT_NE(bytes.find("\r\n\r\n\r\n\r\n\r\n----------\r\n"), std::string::npos);
  EXPECT_EQ(count, 100000);
}

TEST(WriteListingBlock, BlankIdIsNotListedAndZeroEndedIdIs) {
  int64_t count = 0;
  SourceRecord blank = decodeSourceRecord(toBytes(Record()));
  EXPECT_EQ(blockBytes(blank, BlockValues(), count), "");
  EXPECT_EQ(count, 0);

  SourceRecord empty =
      decodeSourceRecord(toBytes(Record().setCounted(fixtures::kEntryId, 8, std::string(8, '\0'))));
  EXPECT_EQ(blockBytes(empty, BlockValues(), count).substr(0, 8), "00001 , ");
  EXPECT_EQ(count, 1);
}

TEST(FormatBlockNumber, PadsToFiveDigits) {
  EXPECT_EQ(formatBlockNumber(1), "00001");
  EXPECT_EQ(formatBlockNumber(12345), "12345");
  EXPECT_EQ(formatBlockNumber(100000), "100000");
  EXPECT_EQ(formatBlockNumber(4294967296LL), "4294967296");
}

}  // namespace
