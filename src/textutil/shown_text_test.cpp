// Tests of how a user's text is shown in a message: what a terminal would
// act on or hide is escaped, and every escape reads back one way.
#include "textutil/shown_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(ShownText, EscapesWhatATerminalWouldActOnOrHide) {
  struct Case {
    const char* what;
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"plain ASCII and kanji", "A-1 \xE6\xBC\xA2\xE5\xAD\x97", "A-1 \xE6\xBC\xA2\xE5\xAD\x97"},
      {"an escape sequence", "\x1B[31mred", "\\x1B[31mred"},
      {"NUL, tab, CR, LF and DEL", "a\0b\tc\rd\ne\x7F"s, "a\\x00b\\x09c\\x0Dd\\x0Ae\\x7F"},
      {"a backslash, so that escapes are unambiguous", "\\x1B", "\\\\x1B"},
      {"a C1 control (NEL)", "a\xC2\x85z", "a\\u0085z"},
      {"a right-to-left override",
       "abc\xE2\x80\xAE"
       "def",
       "abc\\u202Edef"},
      {"isolates and marks", "\xE2\x81\xA6\xE2\x80\x8F\xD8\x9C", "\\u2066\\u200F\\u061C"},
      {"zero-width characters and a BOM", "\xE2\x80\x8B\xE2\x80\x8D\xEF\xBB\xBF",
       "\\u200B\\u200D\\uFEFF"},
      {"a tag beyond U+FFFF", "\xF3\xA0\x80\x81", "\\U000E0001"},
      {"an emoji beyond U+FFFF stays", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"a stray byte", "caf\xE9!", "caf\\xE9!"},
      {"a sequence cut short, then ASCII",
       "\xE6\xBC"
       "A",
       "\\xE6\\xBCA"},
      {"a sequence cut short at the end", "x\xE6\xBC", "x\\xE6\\xBC"},
      {"a surrogate in UTF-8", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"the empty text", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(shownText(c.text), c.shown);
  }
}

TEST(ShownText, ACharacterIsNamedByItsCodePoint) {
  EXPECT_EQ(shownCharacter("\xC3\xA9"), "U+00E9 \xC3\xA9");
  EXPECT_EQ(shownCharacter("\xF0\xA0\xAE\xB7"), "U+20BB7 \xF0\xA0\xAE\xB7");
  EXPECT_EQ(shownCharacter("A"), "U+0041 A");
  // Hidden characters by their number alone.
  EXPECT_EQ(shownCharacter("\xE2\x80\x8B"), "U+200B");
  EXPECT_EQ(shownCharacter("\xC2\x85"), "U+0085");
  EXPECT_EQ(shownCharacter("\x1B"), "U+001B");
  EXPECT_EQ(shownCharacter("\xF3\xA0\x80\x81"), "U+E0001");
  // Bytes that are not one character are escaped as in a text.
  EXPECT_EQ(shownCharacter("\xE9"), "\\xE9");
  EXPECT_EQ(shownCharacter("ab"), "ab");
}

}  // namespace
