// Tests of percent-decoding and of the <tag>...</tag> helpers.
#include "textutil/markup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

// Removes elements by searching the whole text again from its start after
// every removal; removeTagElements must give exactly its results.
void removeTagElementsByRestarting(const std::string& tag, std::string& text) {
  const std::string open = "<" + tag + ">";
  const std::string close = "</" + tag + ">";
  while (true) {
    const size_t a = text.find(open);
    const size_t b = text.find(close);
    if (a == std::string::npos || b == std::string::npos || b <= a) {
      return;
    }
    text = text.substr(0, a) + text.substr(b + close.size());
  }
}

TEST(PercentDecode, DecodesPlusThenTheEscapesInCodeOrder) {
  const std::pair<std::string, std::string> cases[] = {
      {"a+b%21%3F", "a b!?"},
      {"%2B", "+"},  // decoded after the plus signs, so it stays a plus
      {"1+%2B+2", "1 + 2"},
      {"%20 %2a %41 %30", "%20 %2a %41 %30"},  // blank, small hex digits, letters, digits
      {"%2526", "&"},                          // the inner escape comes after '%25'
      {"%2521", "%21"},                        // ... here it came before
      {"%252525", "%"},
      {"%", "%"},
      {"%2", "%2"},
      {"%21%22%23%24%25%26%27%28%29%2A%2B%2C%2D%2E%2F%3A%3B%3C%3D%3E%3F%40%5B%5C%5D%5E%5F%60%7B%7C%"
       "7D%7E",
       "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
      {std::string("\0%3D\xFF", 5), std::string("\0=\xFF", 3)},
  };
  for (const auto& [in, want] : cases) {
    std::string text = in;
    percentDecode(text);
    EXPECT_EQ(text, want) << "'" << in << "'";
  }
}

TEST(TagContent, GivesElementNumberIndex) {
  struct Case {
    int32_t index;
    std::string tag;
    std::string text;
    std::string content;
  };
  const std::string two = "<b>one</b><b>two</b>";
  const Case cases[] = {
      {0, "b", two, "one"},
      {1, "b", two, "two"},
      {2, "b", two, ""},
      {-1, "b", two, ""},
      {INT32_MAX, "b", two, ""},     // ends at once
      {0, "b", "</b><b>x</b>", ""},  // the first closing tag comes first
      {1, "b", "</b><b>x</b>", ""},
      {0, "b", "<b>x<b>y</b>z</b>", "x<b>y"},
      {1, "b", "<b>x<b>y</b>z</b>", ""},
      {0, "b", "<b></b>", ""},
      {0, "B", "<b>x</b>", ""},  // tags are matched exactly
      {0, "", "a<>b</>c", "b"},
      {0, "></", "<></></>", ""},  // the closing tag starts inside the opening one
      {0, "b", std::string("<b>\0\xFF</b>", 9), std::string("\0\xFF", 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tagContent(c.index, c.tag, c.text), c.content)
        << c.index << " '" << c.tag << "' '" << c.text << "'";
  }
}

TEST(NextTagContent, StepsOneBytePastEachOpeningTag) {
  struct Step {
    std::string content;
    int32_t cursor;
  };
  struct Case {
    std::string tag;
    std::string text;
    int32_t cursor;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"b", "<b>one</b><b>two</b>", 0, {{"one", 1}, {"two", 11}, {"", -1}, {"", -1}}},
      {"b", "<b>open", 0, {{"", 0}, {"", 0}}},  // an unclosed element holds the cursor
      {"b", "x<b>y</b><b>open", 0, {{"y", 2}, {"", 9}}},
      {"b", "<b>x<b>y</b>z</b>", 0, {{"x<b>y", 1}, {"y", 5}, {"", -1}}},  // nested ones too
      {"b", "</b><b>x</b>", 0, {{"x", 5}, {"", -1}}},
      {"b", "<b>one</b>", 1, {{"", -1}}},
      {"b", "<b>one</b>", 99, {{"", -1}}},
      {"b", "<b>one</b>", -5, {{"", -1}}},
      {"></", "<></></>", 0, {{"", 1}}},  // the closing tag starts inside the opening one
  };
  for (const Case& c : cases) {
    int32_t cursor = c.cursor;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      EXPECT_EQ(nextTagContent(c.tag, c.text, cursor), c.steps[i].content)
          << "'" << c.text << "' call " << i;
      EXPECT_EQ(cursor, c.steps[i].cursor) << "'" << c.text << "' call " << i;
    }
  }
}

TEST(RemoveTagElements, RemovesFromFirstOpeningToFirstClosingTag) {
  struct Case {
    std::string tag;
    std::string text;
    std::string want;
  };
  const Case cases[] = {
      {"i", "a<i>b</i>c<i>d</i>e", "ace"},
      {"b", "<b>x<b>y</b>z</b>", "z</b>"},      // nested: the first closing tag ends it
      {"b", "</b>x<b>y</b>", "</b>x<b>y</b>"},  // a closing tag first stops everything
      {"b", "<b>x", "<b>x"},
      {"b", "<<b></b>b>x</b>", ""},       // the joined parts form a new element
      {"b", "a</<b>x</b>b>c", "a</b>c"},  // a lone closing tag formed stays
      {"b", "", ""},
      {"></", "<></></>x", "x"},
      {"b", std::string("\0<b>\xFF</b>\0", 10), std::string("\0\0", 2)},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    removeTagElements(c.tag, text);
    EXPECT_EQ(text, c.want) << "'" << c.tag << "' '" << c.text << "'";
  }
}

TEST(RemoveTagElements, EqualsSearchingAgainFromTheStart) {
  std::mt19937 rng(777);
  const std::string alphabet = "<>/bx";
  const std::string tags[] = {"b", "", "/", "bb"};
  for (int i = 0; i < 20000; ++i) {
    std::string text(rng() % 25, ' ');
    for (char& c : text) {
      c = alphabet[rng() % alphabet.size()];
    }
    const std::string& tag = tags[rng() % 4];
    std::string fast = text;
    std::string slow = text;
    removeTagElements(tag, fast);
    removeTagElementsByRestarting(tag, slow);
    ASSERT_EQ(fast, slow) << "'" << tag << "' '" << text << "'";
  }
}

}  // namespace
