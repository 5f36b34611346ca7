// Tests of the name key and of the rendering of a record's words.
#include <gtest/gtest.h>

#include <random>

#include "records/field_assembly.h"
#include "render_reference.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

// Kanji codes 600 and 601 stand for P and Q; the dictionary has GH (no
// kanji), AB (X Y) and CD (Z), in that order.
class RenderWordText : public ::testing::Test {
 protected:
  void SetUp() override {
    KanjiTable.assign(602, "");
    KanjiTable[600] = "P";
    KanjiTable[601] = "Q";
    addWordEntry(dictionary, WordEntry{"GH", "gh", {}});
    addWordEntry(dictionary, WordEntry{"AB", "ab", {"X", "Y"}});
    addWordEntry(dictionary, WordEntry{"CD", "cd", {"Z"}});
  }
  void TearDown() override { KanjiTable.clear(); }

  RenderedWords render(const std::string& text, const std::string& nameKey = "EF",
                       const std::string& kanji2 = "N2") {
    return renderWordText(text, nameKey, "N1", kanji2, "N3", dictionary);
  }

  Dictionary dictionary;
};

TEST_F(RenderWordText, RendersEachWordByItsFirstSource) {
  const struct {
    std::string text, wordLine, kanjiLine;
  } cases[] = {
      {"ab cd,", "AB CD, ", "X Y Z,"},
      {"ab, cd", "AB, CD ", "X Y, Z"},
      {"zz", "ZZ ", "?"},
      {"gh ab", "GH AB ", "X Y"},
      {"(no) ab", "(NO) AB ", "X Y"},
      {"ab...", "AB ", "X Y"},
      {"ab,cd", "AB CD ", "?"},
      {"ab[600,601]", "AB ", " P Q"},
      {"ab[600],", "AB, ", " P,"},
      {"[600] ab", "[600] AB ", "? X Y"},
      {"ab[] cd", "AB CD ", "X Y Z"},
      {"cd ab[601]", "CD AB ", "Z  Q"},
      {"ef", "EF ", "N1 N2 N3"},
      {"cd ab[601] ef", "CD AB EF ", "Z Q N1 N2 N3"},  // the name collapses earlier double blanks
      {"ef,", "EF, ", "N1 N2 N3,"},
      {"  ab    cd  ", "AB CD ", "X Y Z"},
      {"", "", ""},
      {"     ", "", ""},
      {"a\" x \"c d\" e", "X \"C D\" E ", "? ? ?"},
      {"a\"b", "A\"B ", "?"},
      {"ab,,", "AB, ", "X Y,"},
      {",", ", ", "?,"},
      {"ab[600]x cd", "AB CD ", " P Z"},
      {"ab[ 600 , 601 ]", "AB 600 , 601 ] ", "X Y ? ?, ? ?"},  // blanks split words first
      {"ab[0,x] cd", "AB CD ", "  Z"},  // codes without kanji still make a bracket rendering
      {"(NO)", "(NO) ", ""},
  };
  for (const auto& c : cases) {
    const RenderedWords r = render(c.text);
    EXPECT_EQ(r.wordLine, c.wordLine) << "text '" << c.text << "'";
    EXPECT_EQ(r.kanjiLine, c.kanjiLine) << "text '" << c.text << "'";
  }
}

TEST_F(RenderWordText, EmptyNameKanjiCollapse) {
  const RenderedWords r = render("ef", "EF", "");
  EXPECT_EQ(r.kanjiLine, "N1 N3");
  const RenderedWords r2 = render("xy ab[600] ef", "EF", "");
  EXPECT_EQ(r2.wordLine, "XY AB EF ");
  EXPECT_EQ(r2.kanjiLine, "? P N1 N3");
}

TEST_F(RenderWordText, WordsOfEllipsesOnlyAreLeftOut) {
  const struct {
    std::string text, wordLine, kanjiLine;
  } cases[] = {
      {"...", "", ""},     {"ab ...... cd", "AB CD ", "X Y Z"}, {"... ab", "AB ", "X Y"},
      {"....", ". ", "?"}, {"...,", ", ", "N1 N2 N3,"},  // an empty word with a comma is a word
  };
  for (const auto& c : cases) {
    const RenderedWords r = render(c.text, "");
    EXPECT_EQ(r.wordLine, c.wordLine) << "text '" << c.text << "'";
    EXPECT_EQ(r.kanjiLine, c.kanjiLine) << "text '" << c.text << "'";
  }
}

// Kanji texts and name kanji made of blanks and commas stress the rules that
// rework the whole kanji line.
TEST(RenderWordTextFast, EqualsTheStepByStepRendering) {
  KanjiTable.assign(605, "");
  KanjiTable[600] = "P";
  KanjiTable[601] = " ,";
  KanjiTable[602] = "    ";
  KanjiTable[603] = ",";
  KanjiTable[604] = "a  b";
  Dictionary dictionary;
  addWordEntry(dictionary, WordEntry{"AB", "", {"X", " ,"}});
  addWordEntry(dictionary, WordEntry{"CD", "", {"", "  ", ","}});
  addWordEntry(dictionary, WordEntry{"GH", "", {}});
  addWordEntry(dictionary, WordEntry{"AB CD", "", {"Y"}});
  addWordEntry(dictionary, WordEntry{"\"AB CD\"", "", {"Q"}});
  // Keys that fill whole chunks of eight bytes, as words are hashed in them.
  addWordEntry(dictionary, WordEntry{"ABCDEFGH", "", {"P"}});
  addWordEntry(dictionary, WordEntry{"ABCDEFGHIJKLMNOP", "", {"Q", "P"}});
  const char* pieces[] = {"ab", "cd", "gh",  "ef",  "zz",  "(no)",     "...",     ".", ",",
                          "[",  "]",  "600", "601", "602", "603",      "604",     " ", "  ",
                          "\"", "x",  "0",   "\n",  "\t",  "abcdefgh", "ijklmnop",
                          // Whole bracket suffixes, well-formed or nearly so.
                          "[600]", "[601,602]", "[0,604,603]", "[603,,600]", "[,600]", "[600,]"};
  const char* nameKanji[] = {"N", "", " ", " ,", "  ", ",", "M M"};
  std::mt19937 rng(2024);
  RenderedWords fast;
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    for (size_t n = rng() % 14; n > 0; --n) {
      text += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    }
    const std::string nameKey = rng() % 4 == 0 ? "" : "EF";
    const std::string k1 = nameKanji[rng() % 7], k2 = nameKanji[rng() % 7],
                      k3 = nameKanji[rng() % 7];
    renderWordTextInto(text, nameKey, k1, k2, k3, dictionary, fast);
    const RenderedWords slow = reference::renderWordText(text, nameKey, k1, k2, k3, dictionary);
    ASSERT_EQ(fast.wordLine, slow.wordLine) << "text '" << text << "'";
    ASSERT_EQ(fast.kanjiLine, slow.kanjiLine)
        << "text '" << text << "' name kanji '" << k1 << "' '" << k2 << "' '" << k3 << "'";
  }
  KanjiTable.clear();
}

TEST(BuildNameKey, JoinsUpperCasesAndDropsBlanks) {
  EXPECT_EQ(buildNameKey("ab c   ", "       ", "       "), "ABC");
  EXPECT_EQ(buildNameKey("E      ", "f      ", "       "), "EF");
  EXPECT_EQ(buildNameKey("", "", ""), "");
  EXPECT_EQ(buildNameKey("aaaaaaa", "bbbbbbb", "ccccccc"), "AAAAAAABBBBBBBCCCCCCC");
}

}  // namespace
