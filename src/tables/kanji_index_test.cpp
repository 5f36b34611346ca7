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
