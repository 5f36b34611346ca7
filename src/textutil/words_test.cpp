// Tests of the word cursor and the word queries.
#include "textutil/words.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "textutil/markup.h"

namespace {

const char* const kAny = "dontcare";

TEST(NextWord, ReadsTheCountthWordAndMovesTheCursor) {
  struct Step {
    int32_t count;
    std::string word;  // "(unset)" while nothing has written it
    int32_t cursor;
  };
  struct Case {
    std::string text;
    int32_t cursor;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"alpha beta", 0, {{1, "alpha", 5}, {1, "beta", 10}, {1, "", -1}, {1, "", -1}}},
      {"alpha beta", 0, {{2, "beta", 10}}},
      {"alpha beta", 0, {{3, "", -1}}},  // the words run out first
      {"alpha beta", 0, {{0, "(unset)", 0}, {-3, "(unset)", 0}}},
      {"alpha beta", 0, {{INT32_MAX, "", -1}}},  // ends once the words are used up
      {"alpha beta", 5, {{1, "beta", 10}}},
      {"alpha beta", 2, {{1, "pha", 5}}},
      {"  x", 0, {{1, "x", 3}}},
      {"a\nb", 0, {{1, "a", 1}, {1, "", -1}}},  // a newline ends the words
      {"\nb", 0, {{1, "", -1}}},
      {"a\tb c\r", 0, {{1, "a\tb", 3}, {1, "c\r", 6}}},
      {"", 0, {{1, "", -1}}},
      {"   ", 0, {{1, "", -1}}},
      {"a b", 99, {{1, "", -1}}},
      {"a b", -7, {{1, "", -1}}},  // any negative cursor reads no word
      {std::string("\0\xFF x", 4), 0, {{1, std::string("\0\xFF", 2), 2}, {1, "x", 4}}},
  };
  for (const Case& c : cases) {
    int32_t cursor = c.cursor;
    std::string word = "(unset)";
    for (size_t i = 0; i < c.steps.size(); ++i) {
      nextWord(c.steps[i].count, c.text, cursor, word);
      EXPECT_EQ(word, c.steps[i].word) << "'" << c.text << "' step " << i;
      EXPECT_EQ(cursor, c.steps[i].cursor) << "'" << c.text << "' step " << i;
    }
  }
}

TEST(RestOfText, TakesEverythingFromTheNextNonBlank) {
  struct Case {
    std::string text;
    int32_t cursor;
    std::string rest;
    int32_t cursorAfter;
  };
  const Case cases[] = {
      {"go  to the end\n", 2, "to the end\n", 15},
      {"go  to the end\n", 0, "go  to the end\n", 15},
      {"ab   ", 2, "", -1},
      {"a\n b ", 1, "\n b ", 5},  // a newline is kept in the rest
      {"", 0, "", -1},
      {"ab", 9, "", -1},
      {"ab", -3, "", -3},  // a negative cursor is left alone
  };
  for (const Case& c : cases) {
    int32_t cursor = c.cursor;
    std::string rest = "old";
    restOfText(c.text, cursor, rest);
    EXPECT_EQ(rest, c.rest) << "'" << c.text << "' " << c.cursor;
    EXPECT_EQ(cursor, c.cursorAfter) << "'" << c.text << "' " << c.cursor;
  }
}

TEST(CountWords, CountsTheWordsBeforeTheFirstNewline) {
  const std::pair<std::string, int32_t> cases[] = {
      {"", 0}, {"   ", 0}, {" a  b ", 2}, {"a b\nc d", 2}, {"\na", 0}, {"a\tb\rc", 1},
  };
  for (const auto& [text, count] : cases) {
    EXPECT_EQ(countWords(text), count) << "'" << text << "'";
  }
}

TEST(WordBeforeAndAfter, FindTheNeighboursOfTheFirstKey) {
  struct Case {
    std::string text;
    std::string key;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"one two three", "three", "two", ""},
      {"one two three", "one", "", "two"},
      {"one two three", "two", "one", "three"},
      {"one two three", "four", "", ""},
      {"one\ntwo\nthree", "two", "one", "three"},  // every line is read
      {"a k b k c", "k", "a", "b"},                // the first key counts
      {"one two", "", "", ""},                     // an empty key is never found
      {"one two", "tw", "", ""},                   // only whole words
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wordBefore(c.text, c.key), c.before) << "'" << c.text << "' '" << c.key << "'";
    EXPECT_EQ(wordAfter(c.text, c.key), c.after) << "'" << c.text << "' '" << c.key << "'";
  }
}

TEST(ReverseWords, ReversesTheWordsOfTheFirstLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"a b c", "c b a "}, {"a b\nc", "b a "}, {"  x  ", "x "}, {"", ""}, {"\nx", ""},
  };
  for (const auto& [in, want] : cases) {
    std::string text = in;
    reverseWords(text);
    EXPECT_EQ(text, want) << "'" << in << "'";
  }
}

TEST(RemoveWords, KeepsTheWordsNotInTheStopList) {
  struct Case {
    std::string text;
    std::string stopList;
    std::string result;
  };
  const Case cases[] = {
      {"the cat and the dog", "the and", " cat   dog  "},
      {"the cat and the dog", "", " the   cat   and   the   dog  "},
      {"cat", "ca", " cat  "},             // only whole words are removed
      {"The cat", "the", " The   cat  "},  // letter case counts
      {"a b c", "  c    a ", " b  "},      // runs of blanks in the stop list
      {"a b", "x\na", " a   b  "},         // 'x\na' is one piece of the stop list
      {"a b\nc", "z", " a   b  "},         // words after a newline are lost
      {"", "a", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(removeWords(c.text, c.stopList), c.result)
        << "'" << c.text << "' '" << c.stopList << "'";
  }
}

TEST(WordsAtDistance, TestsTheWordDistanceWordsAfterTheFirst) {
  struct Case {
    std::string text;
    std::string first;
    std::string second;
    int32_t distance;
    bool result;
  };
  const Case cases[] = {
      {"a x y b", "a", "b", 2, true},
      {"a x y b", "a", "b", 1, false},
      {"a b", "a", "b", 0, true},
      {"a x b a y z b", "a", "b", 2, true},  // found at a later first word
      {"a x b", "b", "a", 1, false},
      {"a b", "a", "b", -1, false},  // a negative distance names no word
      {"a b", "a", "b", INT32_MAX, false},
      {"a", "a", "", 0, true},  // past the last word stands the empty text
      {"a b\nc", "b", "c", 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wordsAtDistance(c.text, c.first, c.second, c.distance), c.result)
        << "'" << c.text << "' " << c.distance;
  }
}

TEST(FindWordSequence, FindsFourMatchingWords) {
  struct Case {
    int32_t start;
    std::string text;
    std::string p1, p2, p3, p4;
    int32_t found;
  };
  const std::string ball = "the red big ball";
  const Case cases[] = {
      {0, ball, "red", kAny, "ball", kAny, 3},  // the cursor from which 'red' is read
      {0, ball, "red", "ball", kAny, kAny, -1},
      {0, ball, kAny, kAny, kAny, kAny, 0},
      {0, ball, "the", "red", "big", "ball", 0},
      {5, ball, "red", kAny, kAny, kAny, -1},  // starts inside 'red'
      {3, ball, "red", kAny, kAny, kAny, 3},
      {-1, ball, kAny, kAny, kAny, kAny, -1},
      {0, ball, "Dontcare", kAny, kAny, kAny, -1},  // the wildcard is exact
      {0, "a b", "b", kAny, kAny, kAny, 1},         // wildcards match past the end
      {0, "a b", "b", "", "", "", 1},               // ... and so does the empty text
      {0, "a b", "b", "c", kAny, kAny, -1},
      {0, "", kAny, kAny, kAny, kAny, -1},  // a run starts at a word
      {0, "a b\nc d", "b", "c", kAny, kAny, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findWordSequence(c.start, c.text, c.p1, c.p2, c.p3, c.p4), c.found)
        << c.start << " '" << c.text << "' " << c.p1 << " " << c.p2 << " " << c.p3 << " " << c.p4;
  }
  EXPECT_TRUE(hasWordSequence("a b", "b", kAny, kAny, kAny));
  EXPECT_TRUE(hasWordSequence("x the red big ball", "red", kAny, "ball", kAny));
  EXPECT_FALSE(hasWordSequence("the red big ball", "red", "ball", kAny, kAny));
  EXPECT_FALSE(hasWordSequence("", kAny, kAny, kAny, kAny));
}

TEST(JoinFrom, JoinsTheElementsFromStart) {
  const TextList list = {"a", "b ", "c  "};
  const std::pair<int32_t, std::string> cases[] = {
      {0, "a b  c"}, {1, "b  c"}, {2, "c"}, {3, ""}, {-1, ""}, {INT32_MAX, ""}, {INT32_MIN, ""},
  };
  for (const auto& [start, want] : cases) {
    EXPECT_EQ(joinFrom(list, start), want) << start;
  }
  EXPECT_EQ(joinFrom({"  ", "", " "}, 0), "");
  EXPECT_EQ(joinFrom({}, 0), "");
}

// A cursor holds positions up to 2^31 - 1; reading stops before a word that
// ends beyond it, and an element whose opening tag starts beyond it is out of
// reach. Uses a text of about 2 GiB, handed over without copies.
TEST(WordCursor, StopsAtTheEndOfTheCursorRange) {
  if (sizeof(size_t) < 8) {
    GTEST_SKIP() << "a text longer than a 32-bit cursor does not fit in this address space";
  }
  const size_t kMax = INT32_MAX;
  std::string text;
  text.reserve(kMax + 11);
  text.assign(kMax - 20, ' ');
  text += "<b>y</b>";  // at kMax - 20
  text += std::string(10, ' ');
  text += "ab";           // ends at kMax
  text += " cd<b>x</b>";  // the blank at kMax, the rest beyond it
  ASSERT_EQ(text.size(), kMax + 11);

  EXPECT_EQ(countWords(text), 2);  // '<b>y</b>' and 'ab'

  int32_t cursor = INT32_MAX - 30;
  EXPECT_EQ(nextTagContent("b", text, cursor), "y");
  EXPECT_EQ(cursor, INT32_MAX - 19);
  EXPECT_EQ(nextTagContent("b", text, cursor), "");
  EXPECT_EQ(cursor, -1);
  EXPECT_EQ(tagContent(1, "b", text), "x");  // no cursor here, so no such limit

  cursor = INT32_MAX - 10;
  std::string rest;
  restOfText(std::move(text), cursor, rest);
  EXPECT_EQ(rest, "ab cd<b>x</b>");
  EXPECT_EQ(cursor, -1);  // the text's length does not fit in the cursor
}

}  // namespace
