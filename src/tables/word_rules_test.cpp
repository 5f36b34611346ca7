#include "tables/word_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A kanji table with a kanji at 530 and a record of blanks at 531.
KanjiTable smallTable() {
  KanjiTable table(600);
  table[530] = "\x93\x81  ";
  table[531] = "    ";
  return table;
}

const char kSmall[] =
    "a key with small letters, which the look-up never finds: words are looked up upper-cased";
const char kSmallSecond[] =
    "a key with a character whose second byte is a small letter, which the look-up "
    "upper-cases: it never finds the key";
const char kNotNumber[] = "a code that is not a number";
const char kNoKanji[] = "a code that names no kanji in kanjis.dat";

}  // namespace

TEST(WordRules, KeysTheLookUpCanNeverFind) {
  const struct {
    std::string key;
    const char* reason;
  } cases[] = {
      {"KATANA", nullptr},
      {"\"KO SHIRAE\"", nullptr},
      {"katana", kSmall},
      {"KATANAs", kSmall},
      // Katakana DI (0x83 0x61): its second byte is 'a', upper-cased by the look-up.
      {"\x83\x61", kSmallSecond},
      // Katakana A (0x83 0x41): its second byte is 'A', which the look-up leaves.
      {"\x83\x41", nullptr},
      // A lead byte before a small letter takes it as its second byte.
      {"AB\x93x", kSmallSecond},
      // A byte from 0xA1 to 0xDF is a character of its own.
      {"\xB1z", kSmall},
      {"A,B",
       "a key with a comma, which the look-up never finds: a comma in a word is made a blank"},
      {"A...", "a key with \"...\", which the look-up never finds: \"...\" is removed from words"},
      {"(NO)", "the key (NO), which the look-up passes over"},
      {"(NO)X", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const char* got = unfindableKey(c.key);
    if (c.reason == nullptr) {
      EXPECT_EQ(got, nullptr) << got;
    } else {
      ASSERT_NE(got, nullptr);
      EXPECT_STREQ(got, c.reason);
    }
  }
}

TEST(WordRules, CodesThatNameNoKanji) {
  const KanjiTable table = smallTable();
  const struct {
    std::string code;
    const char* reason;
  } cases[] = {
      {"530", nullptr},
      {"0530", nullptr},
      {"3867", nullptr},
      {"abc", kNotNumber},
      {"", kNotNumber},
      {"-530", kNotNumber},
      {"530a", kNotNumber},
      {"+530", kNotNumber},
      {"0", kNoKanji},
      {"524", kNoKanji},
      {"531", kNoKanji},
      {"600", kNoKanji},
      {"999", kNoKanji},
      {"99999999999999999999", kNoKanji},
      {"0000000000000000530", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const char* got = codeWithoutKanji(table, c.code);
    if (c.reason == nullptr) {
      EXPECT_EQ(got, nullptr) << got;
    } else {
      ASSERT_NE(got, nullptr);
      EXPECT_STREQ(got, c.reason);
    }
  }
}

TEST(WordRules, AnEntryIsRefusedForItsFirstFault) {
  const KanjiTable table = smallTable();
  WordLine entry{"KATANA", "katana", {"530"}};
  EXPECT_EQ(wordEntryFault(entry, table, false).reason, nullptr);

  WordLineFault fault = wordEntryFault(entry, table, true);
  EXPECT_EQ(fault.part, WordPart::key);
  EXPECT_EQ(fault.reason, kRepeatedKey);

  entry.key = "katana";
  fault = wordEntryFault(entry, table, true);
  EXPECT_EQ(fault.part, WordPart::key);
  EXPECT_STREQ(fault.reason, kSmall);

  entry = WordLine{"KATANA", "katana", {"530", "abc"}};
  fault = wordEntryFault(entry, table, false);
  EXPECT_EQ(fault.part, WordPart::codes);
  EXPECT_STREQ(fault.reason, kNotNumber);
}
