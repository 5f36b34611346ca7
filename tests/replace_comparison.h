// A randomised comparison of a replace-all with its plain reference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// One replace-all call and the text it must leave.
struct ReplaceCase {
  std::string text;
  std::string search;
  std::string replacement;
  int32_t length;
  std::string want;
};

// Runs `replace` on every case and checks the text it leaves.
template <typename Replace>
void expectReplacements(const std::vector<ReplaceCase>& cases, Replace replace) {
  for (const ReplaceCase& c : cases) {
    std::string text = c.text;
    replace(text, c.search, c.replacement, c.length);
    EXPECT_EQ(text, c.want) << "'" << c.text << "' '" << c.search << "' '" << c.replacement << "'";
  }
}

// Runs a call whose replacements keep forming new occurrences for ever: it
// must end, leave what the reference (which stops at the same limit) leaves,
// and insert no more than 4 * (n + 1)^2 bytes, plus the piece that crossed.
template <typename Fast, typename Slow>
void expectSelfFeedingCallEnds(const std::string& text, const std::string& search,
                               const std::string& replacement, Fast fast, Slow slow) {
  std::string got = text;
  fast(got, search, replacement, static_cast<int32_t>(search.size()));
  std::string want = text;
  slow(want, search, replacement, static_cast<int32_t>(search.size()));
  EXPECT_EQ(got, want);
  const size_t n = text.size();
  EXPECT_LE(got.size(), n + 4 * (n + 1) * (n + 1) + replacement.size());
}

// Compares a replace-all with its plain reference on many generated cases:
// texts, searches and replacements over `alphabet`, lengths around the
// search's length.
template <typename Fast, typename Slow>
void expectSameAsReference(uint32_t seed, const std::string& alphabet, Fast fast, Slow slow) {
  std::mt19937 rng(seed);
  auto randomText = [&](size_t maxLen) {
    std::string s(rng() % (maxLen + 1), ' ');
    for (char& c : s) {
      c = alphabet[rng() % alphabet.size()];
    }
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string text = randomText(24);
    const std::string search = randomText(3);
    const std::string replacement = randomText(4);
    const int32_t length =
        static_cast<int32_t>(search.size()) + static_cast<int32_t>(rng() % 4) - 1;
    std::string got = text;
    std::string want = text;
    fast(got, search, replacement, length);
    slow(want, search, replacement, length);
    ASSERT_EQ(got, want) << "'" << text << "' '" << search << "' '" << replacement << "' "
                         << length;
  }
}
