// Tests of what a typed or exported text becomes as stored bytes, and of
// the reasons a text is refused: characters by their code point, an
// invisible one by its number alone, a look-alike with its stand-in.
#include "tables/typed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TypedText, UTF8IsStoredAsCP932AndStoredBytesStayAsTheyStand) {
  std::string out = "left over";
  std::string reason;
  // 漢, a blank and the half-width katakana ｱ.
  ASSERT_TRUE(storedBytes("\xE6\xBC\xA2 \xEF\xBD\xB1", true, out, reason));
  EXPECT_EQ(out, "\x8A\xBF \xB1");
  // Bytes of the data files are taken as they are, even where they are no UTF-8.
  ASSERT_TRUE(storedBytes("\x8A\xBF\xFF", false, out, reason));
  EXPECT_EQ(out, "\x8A\xBF\xFF");
  ASSERT_TRUE(storedBytes("", true, out, reason));
  EXPECT_EQ(out, "");
}

TEST(TypedText, RefusedTextsSayWhyWithTheCharacterByCodePoint) {
  struct Case {
    const char* what;
    std::string value;
    std::string reason;
  };
  const Case cases[] = {
      {"a letter CP932 lacks", "caf\xC3\xA9",
       "a character that CP932 cannot hold: U+00E9 \xC3\xA9"},
      {"an invisible character, by its number alone", "A\xE2\x80\x8B-1",
       "a character that CP932 cannot hold: U+200B"},
      {"an override, which would turn the line around", "\xE2\x80\xAEtxt.exe",
       "a character that CP932 cannot hold: U+202E"},
      {"a C1 control", "x\xC2\x9B", "a character that CP932 cannot hold: U+009B"},
      {"a look-alike, with its advice",
       "\xC2\xA5"
       "100",
       "a character that CP932 cannot hold: U+00A5 \xC2\xA5 (use \"\\\" (0x5C, which Japanese "
       "fonts show as \xC2\xA5) or \"\xEF\xBF\xA5\" (U+FFE5))"},
      {"beyond U+FFFF", "\xF0\xA0\xAE\xB7",
       "a character that CP932 cannot hold: U+20BB7 \xF0\xA0\xAE\xB7"},
      {"bytes that are no UTF-8, with no advice", "\x8A\xBF", "bytes that are not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string stored = "left over";
    std::string reason;
    ASSERT_FALSE(storedBytes(c.value, true, stored, reason));
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(stored, "") << "nothing of a refused text is stored";
  }
}

TEST(TypedText, TheAdviceStandsInBracketsOnlyWhereThereIsOne) {
  EXPECT_EQ(adviceInBrackets(0x301C), " (use \"\xEF\xBD\x9E\" (U+FF5E))");
  EXPECT_EQ(adviceInBrackets(0xE9), "");
  EXPECT_EQ(adviceInBrackets(0), "");
}

}  // namespace
