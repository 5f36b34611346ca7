// Tests of the case-insensitive helpers, white space removal and ordered joining.
#include "textutil/case.h"

#include <gtest/gtest.h>

#include <random>

#include "replace_comparison.h"
#include "replace_reference.h"
#include "textutil/core.h"

namespace {

TEST(CharEqualsIgnoreCase, MapsOnlyAsciiLetters) {
  struct Case {
    char a;
    char b;
    bool equal;
  };
  const Case cases[] = {
      {'a', 'A', true},       {'A', 'a', true},        {'z', 'Z', true},     {'a', 'b', false},
      {'@', '`', false},      {'[', '{', false},       {'1', '1', true},     {'\0', '\0', true},
      {'\xE9', '\xE9', true}, {'\xE9', '\xC9', false}, {'\xC1', 'A', false}, {'\xE1', 'a', false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(charEqualsIgnoreCase(c.a, c.b), c.equal)
        << static_cast<int>(c.a) << " " << static_cast<int>(c.b);
  }
  for (int high = 0x80; high < 0x100; ++high) {
    for (char letter : {'a', 'z', 'A', 'Z'}) {
      EXPECT_FALSE(charEqualsIgnoreCase(static_cast<char>(high), letter)) << high;
    }
  }
}

TEST(LacksIgnoreCase, SearchesWithoutRegardToCase) {
  struct Case {
    std::string text;
    std::string pattern;
    bool lacks;
  };
  const Case cases[] = {
      {"Hello World", "WORLD", false},
      {"Hello World", "word", true},
      {"Hello", "Hello World", true},  // longer than the text
      {"Hello", "hELLO", false},
      {"aaab", "AAB", false},  // a partial match before the real one
      {"abc", "", false},      // an empty pattern is found at the start
      {"", "", true},          // ... but nothing is found in an empty text
      {"", "a", true},
      {"caf\xC9", "\xE9", true},  // bytes from 0x80 up keep their case
      {std::string("x\0Y", 3), std::string("\0y", 2), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lacksIgnoreCase(c.text, c.pattern), c.lacks)
        << "'" << c.text << "' '" << c.pattern << "'";
  }
}

TEST(ToLowerCase, MapsOnlyAsciiCapitals) {
  std::string text = "ABC-Def 12";
  toLowerCase(text);
  EXPECT_EQ(text, "abc-def 12");

  std::string all;
  for (int c = 0; c < 256; ++c) {
    all += static_cast<char>(c);
  }
  toLowerCase(all);
  for (int c = 0; c < 256; ++c) {
    const int want = c >= 'A' && c <= 'Z' ? c + 32 : c;
    EXPECT_EQ(static_cast<unsigned char>(all[c]), want) << c;
  }
}

TEST(RemoveWhitespace, RemovesBlankNewlineTabReturnAndFormFeedOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"a b\tc\r\nd", "abcd"},
      {"  \f\f x \n", "x"},
      {"a\x0b b",
       "a\x0b"
       "b"},  // vertical tab stays
      {std::string("a\0 \x85", 4), std::string("a\0\x85", 3)},
      {"", ""},
  };
  for (const auto& [in, want] : cases) {
    std::string text = in;
    removeWhitespace(text);
    EXPECT_EQ(text, want);
  }
}

TEST(ReplaceAllIgnoreCase, ReplacesEveryOccurrenceWhateverItsCase) {
  const std::vector<ReplaceCase> cases = {
      {"Cat and CAT", "cat", "dog", 3, "dog and dog"},
      {"cAt", "CAT", "dog", 3, "dog"},
      {"abc ABC aBc", "abc", "xAbcx", 3, "xAbcx xAbcx xAbcx"},  // 'xAbcx' holds no 'ABC'
      {"abc ABC", "abc", "xabcx", 3, "abc ABC"},  // refused: the replacement holds the search
      {"abc", "", "x", 0, "abc"},                 // an empty search changes nothing
      // An occurrence that a replacement forms with the text after it is
      // replaced too, but the replacement's own letters are compared as they
      // are: the inserted 'a' does not stand for 'A'.
      {"abb", "ab", "A", 2, "A"},
      {"abb", "ab", "a", 2, "ab"},
      // Lengths other than the search's, as replaceAll takes them.
      {"abcd", "B", "X", 2, "aXd"},
      {"ab", "B", "X", 5, "aX"},
      {"abcb", "BC", "X", 1, "aXb"},
      {"abcb", "BC", "X", -7, "aXb"},
      {"abc", "abc", "", 0, ""},
      {std::string("a\0\xE9"
                   "B\xC9"
                   "b",
                   6),
       "\xE9"
       "b",
       "-", 2,
       std::string("a\0-\xC9"
                   "b",
                   5)},
  };
  expectReplacements(cases, replaceAllIgnoreCase);
}

// A replacement holding the upper-cased search would be found again after
// every replacement, for ever; it is refused like one holding the search.
TEST(ReplaceAllIgnoreCase, RefusesAReplacementHoldingTheUpperCasedSearch) {
  const std::vector<ReplaceCase> cases = {
      {"abc ABC", "abc", "xABCx", 3, "abc ABC"},
      {"Cat cat", "cat", "CAT", 3, "Cat cat"},  // would never end, even without growing
      {"no match", "abc", "xABCx", 3, "no match"},
      {"abc", "abc", "ABC", 100, "abc"},
  };
  expectReplacements(cases, replaceAllIgnoreCase);
}

TEST(ReplaceAllIgnoreCase, EndsWhenReplacementsKeepFeedingThemselves) {
  expectSelfFeedingCallEnds("aAB", "ab", "bbaa", replaceAllIgnoreCase,
                            replaceIgnoringCaseByRestarting);
}

TEST(ReplaceAllIgnoreCase, EqualsSearchingTheShadowAgainFromTheStart) {
  expectSameAsReference(4242, "aAbB ,", replaceAllIgnoreCase, replaceIgnoringCaseByRestarting);
}

TEST(ContainsButNot, WantsOneAndRejectsTheOther) {
  struct Case {
    std::string text;
    std::string wanted;
    std::string unwanted;
    bool result;
  };
  const Case cases[] = {
      {"red green", "red", "blue", true},
      {"red green", "red", "green", false},
      {"red green", "Red", "blue", false},  // letter case counts
      {"red green", "", "blue", true},      // an empty wanted pattern is always there
      {"red green", "red", "", false},      // ... and so is an empty unwanted one
      {"", "", "x", true},
      {std::string("a\0b", 3), std::string("\0", 1), "c", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(containsButNot(c.text, c.wanted, c.unwanted), c.result)
        << "'" << c.text << "' '" << c.wanted << "' '" << c.unwanted << "'";
  }
}

TEST(JoinOrdered, PutsTheSmallerTextFirst) {
  struct Case {
    std::string first;
    std::string second;
    std::string joined;
  };
  const Case cases[] = {
      {"b", "a", "ab"},
      {"a", "b", "ab"},
      {"ab", "a", "aab"},
      {"a", "ab", "aab"},
      {"x", "x", "xx"},
      {"", "a", "a"},
      {"\x80", "a", "a\x80"},  // bytes compare as unsigned values
      {"a", "\xFF", "a\xFF"},
      {"B", "a", "Ba"},  // capitals sort before small letters
      {std::string("a\0", 2), "a", std::string("aa\0", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(joinOrdered(c.first, c.second), c.joined)
        << "'" << c.first << "' '" << c.second << "'";
  }
}

}  // namespace
