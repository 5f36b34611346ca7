// Tests of record decoding.
#include "records/source_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "fixtures.h"
#include "io/counted_field.h"
#include "io/input_file.h"
#include "records/listing_writer.h"

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
};

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
      // Zero bytes and line feeds deep in a slot, and at its last copied byte.
      {"zero at 8", fixtures::kDetail3, 18, std::string("abcdefgh\0j", 11), "abcdefgh"},
      {"zero at 9", fixtures::kDetail3, 12, std::string("abcdefghi\0", 10), "abcdefghi"},
      {"zero at 16", fixtures::kDetail4, 17, std::string(16, 'x') + '\0', std::string(16, 'x')},
      {"count 9 of 18", fixtures::kDetail3, 9, std::string(18, 'y'),
       std::string(9, 'y') + std::string(9, ' ')},
      {"full 18", fixtures::kDetail4, 18, std::string(18, 'z'), std::string(18, 'z')},
      {"line feed at 8", fixtures::kDetail3, 9, "abcdefgh\n", "abcdefgh\n         "},
      {"line feed after a zero", fixtures::kDetail3, 9, std::string("ab\0\n", 4), "ab"},
      {"line feed past the count", fixtures::kDetail5, 2, "ab\n", "ab        "},
      {"line feed in a long slot", fixtures::kNote, 121, std::string(120, 'n') + '\n',
       std::string(120, 'n') + '\n' + std::string(134, ' ')},
      {"zero at 100", fixtures::kWordText, 120, std::string(100, 'w') + '\0',
       std::string(100, 'w')},
      {"blanks within the count", fixtures::kNote, 8, "ab      x", "ab" + std::string(253, ' ')},
      {"negative count, long slot", fixtures::kWordText, 0x90, "abc", std::string(255, ' ')},
  };
  for (const DecodeCase& c : cases) {
    Record r;
    r.setCounted(c.field, c.count, c.slot);
    const RecordBytes bytes = toBytes(r);
    std::string got = "left over";
    decodeField(bytes.data(), c.field.countOffset, c.field.capacity, got);
    EXPECT_EQ(got, c.want) << c.what;
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
  // Decoded into a record that held another record's values, as the run does.
  SourceRecord s;
  decodeSourceRecord(toBytes(Record().set(fixtures::kNote, "old").set(fixtures::kNameCode1, "9")),
                     s);
  s.note = "trimmed";  // the record path trims the note in place
  decodeSourceRecord(toBytes(r), s);
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
}

}  // namespace
