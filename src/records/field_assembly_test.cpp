// Tests of the name key and of the rendering of a record's words.
#include "records/field_assembly.h"

#include <gtest/gtest.h>

#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

// Kanji codes 600 and 601 stand for P and Q; the dictionary has GH (no
// kanji), AB (X Y) and CD (Z), in that order.
class RenderWordText : public ::testing::Test {
 protected:
  void SetUp() override {
    kanji.assign(602, "");
    kanji[600] = "P";
    kanji[601] = "Q";
    addWordEntry(dictionary, WordEntry{"GH", "gh", {}});
    addWordEntry(dictionary, WordEntry{"AB", "ab", {"X", "Y"}});
    addWordEntry(dictionary, WordEntry{"CD", "cd", {"Z"}});
  }

  // The word line and the kanji line of `text`.
  struct Lines {
    std::string wordLine;
    std::string kanjiLine;
  };
  Lines render(const std::string& text, const std::string& nameKey = "EF",
               const std::string& kanji2 = "N2", UnknownWords* unknown = nullptr) {
    Lines out;
    const WordRendering rendering{dictionary, kanji, {nameKey, "N1", kanji2, "N3"}, unknown};
    renderWordText(text, rendering, scratch, out.wordLine, out.kanjiLine);
    return out;
  }

  RenderScratch scratch;  // shared by every call, as in the run
  Dictionary dictionary;
  KanjiTable kanji;
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
    const Lines r = render(c.text);
    EXPECT_EQ(r.wordLine, c.wordLine) << "text '" << c.text << "'";
    EXPECT_EQ(r.kanjiLine, c.kanjiLine) << "text '" << c.text << "'";
  }
}

TEST_F(RenderWordText, EmptyNameKanjiCollapse) {
  const Lines r = render("ef", "EF", "");
  EXPECT_EQ(r.kanjiLine, "N1 N3");
  const Lines r2 = render("xy ab[600] ef", "EF", "");
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
    const Lines r = render(c.text, "");
    EXPECT_EQ(r.wordLine, c.wordLine) << "text '" << c.text << "'";
    EXPECT_EQ(r.kanjiLine, c.kanjiLine) << "text '" << c.text << "'";
  }
}

TEST_F(RenderWordText, CommasMoveInFrontOfTheBlanksOfTheWholeLine) {
  // Kanji texts of blanks and commas, and a name that collapses the line.
  kanji[600] = "P  ";
  kanji[601] = " ,";
  addWordEntry(dictionary, WordEntry{"KK", "", {" ,", "  "}});
  const struct {
    std::string text, kanjiLine;
  } cases[] = {
      {"ab[600] cd,", " P  Z,"}, {"ab[600], cd", " P,  Z"}, {"kk cd", ",     Z"},
      {"kk, cd", ",,     Z"},    {"ab[601] cd", ",  Z"},    {"ab[600] ef", " P N1 N2 N3"},
      {"kk ef,", ", N1 N2 N3,"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(render(c.text).kanjiLine, c.kanjiLine) << "text '" << c.text << "'";
  }
}

TEST_F(RenderWordText, NotesWhatGaveAQuestionMark) {
  UnknownWords unknown;
  const Lines r =
      render("zz ab[600,9999] \"q r\" ef cd[0,12,abc] zz (no) ab[] x,y", "EF", "N2", &unknown);
  EXPECT_EQ(r.kanjiLine, "? P ? ? N1 N2 N3  ?  ? X Y ?");
  EXPECT_EQ(unknown.words, TextList({"ZZ", "\"Q R\"", "ZZ", "X Y"}));
  EXPECT_EQ(unknown.codes, TextList({"9999", "12"}));
}

TEST_F(RenderWordText, AKanjiStoredAsAQuestionMarkIsFoundNotUnknown) {
  // Code 601 names a kanji whose text is "?": shown as it is, not noted.
  kanji[601] = "?";
  UnknownWords unknown;
  const Lines r = render("ab[601,602]", "EF", "N2", &unknown);
  EXPECT_EQ(r.kanjiLine, " ? ?");
  EXPECT_EQ(unknown.codes, TextList({"602"}));
}

TEST_F(RenderWordText, NameCodesThatNameNoKanjiAreNotedOncePerFieldWithoutBlanks) {
  kanji[601] = "?";
  SourceRecord record;
  record.nameCode1 = " 9 9";
  record.nameCode2 = "601 ";
  record.nameCode3 = "99  ";
  NameKanji name = {"left", "from", "before"};
  UnknownWords unknown;
  resolveNameCodes(record, kanji, name, &unknown);
  EXPECT_EQ(name, NameKanji({"?", "?", "?"}));
  EXPECT_EQ(unknown.codes, TextList({"99", "99"}));
  EXPECT_TRUE(unknown.words.empty());
  // The codes stay as they were decoded.
  EXPECT_EQ(record.nameCode1, " 9 9");
  EXPECT_EQ(record.nameCode2, "601 ");

  // Found or not, the text shown is the same without a list to note in.
  record.nameCode1 = "600";
  record.nameCode2 = "0";
  resolveNameCodes(record, kanji, name);
  EXPECT_EQ(name, NameKanji({"P", "", "?"}));
}

TEST_F(RenderWordText, TheCodeOnePastTheLastRecordShowsItsBlanksAndIsNotUnknown) {
  // A table loaded from 601 whole records ends with the four blanks of the
  // read that met the end of the file: code 601 shows them, 602 shows "?".
  kanji.assign(602, "");
  kanji[600] = "P   ";
  kanji[601] = "    ";
  SourceRecord record;
  record.nameCode1 = "600 ";
  record.nameCode2 = "601 ";
  record.nameCode3 = "602 ";
  NameKanji name;
  UnknownWords unknown;
  resolveNameCodes(record, kanji, name, &unknown);
  EXPECT_EQ(name, NameKanji({"P   ", "    ", "?"}));
  const Lines r = render("ab[601] cd[602]", "EF", "N2", &unknown);
  EXPECT_EQ(r.kanjiLine, "   ?");  // blanks for 601, "?" for 602
  EXPECT_EQ(unknown.codes, TextList({"602", "602"}));
}

TEST(BuildNameKey, JoinsUpperCasesAndDropsBlanks) {
  EXPECT_EQ(buildNameKey("ab c   ", "       ", "       "), "ABC");
  EXPECT_EQ(buildNameKey("E      ", "f      ", "       "), "EF");
  EXPECT_EQ(buildNameKey("", "", ""), "");
  EXPECT_EQ(buildNameKey("aaaaaaa", "bbbbbbb", "ccccccc"), "AAAAAAABBBBBBBCCCCCCC");
}

}  // namespace
