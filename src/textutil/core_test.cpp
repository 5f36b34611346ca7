// Tests of the tokenizer, trimming, upper-casing and replace-all.
#include "textutil/core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "replace_comparison.h"
#include "replace_reference.h"

namespace {

struct TokenizeCase {
  std::string text;
  TextList tokens;
};

TEST(Tokenize, SplitsQuotesAndStopsAtNewline) {
  const TokenizeCase cases[] = {
      {"", {}},
      {"    ", {}},
      {"  a   b  ", {"a", "b"}},
      {"a\tb", {"a\tb"}},
      {"a b\r", {"a", "b\r"}},
      {"a b\nc d", {"a", "b"}},
      {"\na b", {}},
      {"a \n b", {"a"}},
      {"x \"New York\" y", {"x", "\"New York\"", "y"}},
      {"x \"New   York\" y", {"x", "\"New York\"", "y"}},
      {"\"abc\"", {"\"abc\""}},
      {"a\" b", {"b"}},
      {"\" a \"", {"\" a \""}},
      {"x \"open ended", {"x"}},
      {"\"a \"b c\"", {"\"a \"b c\""}},
      {"\"", {}},
      {"\"\"", {"\"\""}},
      {"\" x", {}},
      {std::string("a\0b c", 5), {std::string("a\0b", 3), "c"}},
      {"\x80\xff \x81", {"\x80\xff", "\x81"}},
  };
  for (const TokenizeCase& c : cases) {
    EXPECT_EQ(tokenize(c.text), c.tokens) << "text: '" << c.text << "'";
  }
}

TEST(TrimTrailingBlanks, RemovesOnlyTrailingBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {"  a b  ", "  a b"}, {"   ", ""}, {"", ""}, {"a \n", "a \n"}, {"a\t", "a\t"},
  };
  for (const auto& [in, want] : cases) {
    std::string text = in;
    trimTrailingBlanks(text);
    EXPECT_EQ(text, want);
  }
}

TEST(ToUpperCase, MapsOnlyAsciiLetters) {
  std::string text = "(no) ab";
  toUpperCase(text);
  EXPECT_EQ(text, "(NO) AB");

  std::string all;
  for (int c = 0; c < 256; ++c) {
    all += static_cast<char>(c);
  }
  std::string upper = all;
  toUpperCase(upper);
  for (int c = 0; c < 256; ++c) {
    const int want = c >= 'a' && c <= 'z' ? c - 32 : c;
    EXPECT_EQ(static_cast<unsigned char>(upper[c]), want) << c;
  }
}

TEST(ReplaceAll, ReplacesUntilNoOccurrenceIsLeft) {
  const std::vector<ReplaceCase> cases = {
      {"a     b", "  ", " ", 2, "a b"},
      {" a b ", " ", "", 1, "ab"},
      {"a ,b ,c", " ,", ", ", 2, "a, b, c"},
      {"aabb", "ab", "a", 2, "aa"},
      {"x   ,", " ,", ", ", 2, "x,   "},
      {"ab...cd......", "...", "", 3, "abcd"},
      {"abc", "ab", "xaby", 2, "abc"},  // the replacement holds the search
      {"abc", "", "x", 0, "abc"},       // an empty search changes nothing
      {"abcabc", "b", "", 1, "acac"},
      {"abcd", "b", "X", 2, "aXd"},   // a longer length takes more bytes
      {"ab", "b", "X", 5, "aX"},      // ... but never past the end
      {"abcb", "bc", "X", 1, "aXb"},  // a shorter length counts as the search's
      {std::string("a\0\0b", 4), std::string("\0", 1), "-", 1, "a--b"},
  };
  expectReplacements(cases, replaceAll);
}

TEST(ReplaceAll, EndsWhenReplacementsKeepFeedingThemselves) {
  // Each replacement forms a new occurrence with what follows it, for ever.
  expectSelfFeedingCallEnds("aab", "ab", "bbaa", replaceAll, replaceAllByRestarting);
}

TEST(ReplaceAll, EqualsSearchingAgainFromTheStart) {
  expectSameAsReference(12345, "ab ,.", replaceAll, replaceAllByRestarting);
}

TEST(ReplaceAll, RunsOfOneByteShrinkAsReplacingAgainAndAgainLeaves) {
  // Every run length up to 12, at the start, inside and at the end, for
  // searches and replacements of one byte repeated, and longer lengths.
  for (const char* search : {"  ", "...", "xxxx"}) {
    const char c = search[0];
    const size_t m = std::strlen(search);
    for (size_t r = 0; r < m; ++r) {
      for (size_t run = 0; run <= 12; ++run) {
        for (const int32_t extra : {0, 1}) {
          const std::string runText(run, c);
          const std::string text = runText + "a" + runText + "b" + runText;
          std::string got = text;
          replaceAll(got, search, std::string(r, c), static_cast<int32_t>(m) + extra);
          std::string want = text;
          replaceAllByRestarting(want, search, std::string(r, c), static_cast<int32_t>(m) + extra);
          ASSERT_EQ(got, want) << "'" << text << "' '" << search << "' " << r << " " << extra;
        }
      }
    }
  }
}

}  // namespace
