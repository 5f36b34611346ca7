#include "records/record_rules.h"

#include <gtest/gtest.h>

#include <cstring>

#include "records/source_record.h"

namespace {

size_t fieldIndex(const char* name) {
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    if (std::strcmp(kStoredFields[i].name, name) == 0) {
      return i;
    }
  }
  ADD_FAILURE() << "no field " << name;
  return 0;
}

// A table as loaded from a kanjis.dat of 602 whole records, record 601
// blank: codes 525 to 600 show a kanji, 601 and 602 (the read that met the
// end) show none.
KanjiTable smallTable() {
  KanjiTable table(603);
  for (size_t code = kFirstKanjiCode; code <= 600; ++code) {
    table[code] = "\x93\xFA  ";
  }
  table[601] = "    ";
  table[602] = "    ";
  return table;
}

}  // namespace

TEST(RecordValueTrap, NameCodesMustNameAKanjiOrBeBlank) {
  const KanjiTable table = smallTable();
  struct Case {
    const char* code;
    const char* trap;  // the start of the reason, "" for none
  };
  const Case cases[] = {
      {"", ""},
      {"    ", ""},
      {"600", ""},
      {" 5 2", "code 52 names no kanji of kanjis.dat, whose codes run from 525 to 600"},
      {"5 25", ""},  // the reader removes every blank
      {"0600", ""},
      {"0", ""},
      {"0000", ""},
      {"3867", "code 3867 shows as \"1037\" in the listing, whatever kanjis.dat holds"},
      {"601", "code 601 names no kanji"},  // a blank record
      {"602", "code 602 names no kanji"},  // the read that met the end
      {"9999", "code 9999 names no kanji"},
      {"524", "code 524 names no kanji"},
      {"12ab", "not a kanji code"},
      {"-7", "not a kanji code"},
      {"+600", "not a kanji code"},
      {"\x82\x4F", "not a kanji code"},  // a full-width digit
  };
  for (const char* name : {"nameCode1", "nameCode2", "nameCode3"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(name) + " '" + c.code + "'");
      const std::string trap = recordValueTrap(fieldIndex(name), c.code, table);
      EXPECT_EQ(trap.substr(0, std::strlen(c.trap)), c.trap) << trap;
      EXPECT_EQ(trap.empty(), *c.trap == '\0') << trap;
    }
  }
}

TEST(RecordValueTrap, WithoutKanjisDatOnlyBlankCodesPass) {
  const KanjiTable none;
  const size_t code = fieldIndex("nameCode2");
  EXPECT_EQ(recordValueTrap(code, "    ", none), "");
  EXPECT_EQ(recordValueTrap(code, "0", none), "");
  EXPECT_EQ(recordValueTrap(code, "600", none),
            "code 600 cannot be checked: kanjis.dat is missing");
  EXPECT_EQ(recordValueTrap(code, "x", none).substr(0, 16), "not a kanji code");
}

TEST(RecordValueTrap, AZeroByteIsRefusedInEveryFieldOtherValuesPass) {
  const KanjiTable table = smallTable();
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    SCOPED_TRACE(kStoredFields[i].name);
    EXPECT_EQ(recordValueTrap(i, std::string("60\0", 3), table),
              "a zero byte, where the reader would end the value");
    EXPECT_EQ(isNameCodeField(i), std::strncmp(kStoredFields[i].name, "nameCode", 8) == 0);
    if (!isNameCodeField(i)) {
      EXPECT_EQ(recordValueTrap(i, "ab[9999] \xFF\x81", table), "");
    }
  }
}
