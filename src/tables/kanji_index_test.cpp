#include "tables/kanji_index.h"

#include <gtest/gtest.h>

#include "tables/kanji_table.h"

TEST(KanjiIndex, FindsTheFirstCodeThatShowsAKanji) {
  KanjiTable table(3870, "");
  table[524] = "\x8A\xBF  ";  // below the first code: never shown
  table[600] = "\x8E\x9A  ";
  table[700] = "\x8E\x9A  ";  // the same kanji again: 600 is found
  table[701] = "\x93\xFA\x96\x7B";
  table[3867] = "\x8A\xBF  ";  // shows "1037", not its entry
  table[3869] = "    ";
  const KanjiIndex index = indexKanjiTable(table);
  EXPECT_EQ(findKanjiCode(index, "\x8E\x9A"), 600);
  EXPECT_EQ(findKanjiCode(index, "\x93\xFA\x96\x7B"), 701);
  EXPECT_EQ(findKanjiCode(index, "\x8A\xBF"), -1);
  EXPECT_EQ(findKanjiCode(index, ""), -1);
}

TEST(KanjiIndex, CodesOfAKanjiTextStopAtTheFirstKanjiWithoutOne) {
  KanjiTable table(700, "");
  table[600] = "\x8E\x52  ";  // 山
  table[601] = "\x90\xEC  ";  // 川
  table[602] = "\xB1   ";     // half-width katakana: one byte
  const KanjiIndex index = indexKanjiTable(table);
  const struct {
    const char* kanji;
    TextList codes;
    const char* missing;
  } cases[] = {
      {"\x8E\x52\xB1\x90\xEC", {"600", "602", "601"}, ""},
      {"\x8E\x52\x8A\xBF\x90\xEC", {"600"}, "\x8A\xBF"},
      {"\x90\xEC\x8E", {"601"}, "\x8E"},  // a lead byte that ends the text
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kanji);
    TextList codes = {"1"};  // appended to
    const std::string_view missing = codesOfKanji(index, c.kanji, codes);
    EXPECT_EQ(missing, c.missing);
    codes.erase(codes.begin());
    EXPECT_EQ(codes, c.codes);
  }
}
