#include "import_words.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tables/word_rules.h"

namespace {

KanjiTable smallTable() {
  KanjiTable table(600);
  table[530] = "\x93\x81  ";
  table[531] = "\x8E\x52  ";
  return table;
}

WordRow row(int64_t line, std::string key, std::string word, TextList codes) {
  WordRow r;
  r.line = line;
  r.entry = WordLine{std::move(key), std::move(word), std::move(codes)};
  for (const char*& column : r.column) {
    column = "c";
  }
  return r;
}

// The words.txt that `rows` laid over `old` give; "" and the problems in
// `problems` when refused.
std::string merged(const std::string& old, const std::vector<WordRow>& rows, WordChanges& changes,
                   Problems& problems, bool byLine = true) {
  std::string out;
  mergeWords(rows, byLine, old, smallTable(), "in.csv", "words.txt", out, changes, problems);
  return problems.count == 0 ? out : "";
}

}  // namespace

TEST(ImportWords, RowsLaidOverTheStoredFileChangeOnlyTheirLines) {
  const struct {
    const char* what;
    std::string old;
    std::vector<WordRow> rows;
    std::string want;
  } cases[] = {
      {"a lone CR stays, and what follows 0x1A stays after the new entry",
       "A a 530\r\n B\rB 531\r\nC c 530\x1A"
       "D d 531\r\n",
       {row(1, "A", "a", {"530"}), row(2, "B\rB", "531", {"530"}), row(3, "C", "c", {"530"}),
        row(0, "N", "n", {"531"})},
       "A a 530\r\n B\rB 531\r\nC c 530\r\nN n 531\r\n\x1A"
       "D d 531\r\n"},
      {"a cut line whose second piece changed is written as two lines",
       std::string(79, 'K') + "LL\r\nM\r\n",
       {row(1, std::string(79, 'K'), "", {}), row(1, "LX", "", {}), row(2, "M", "", {})},
       std::string(79, 'K') + "\r\nLX\r\nM\r\n"},
      {"a cut line removed with its two entries",
       std::string(79, 'K') + "LL\r\nM m 530\r\n",
       {row(2, "M", "m", {"530"})},
       "M m 530\r\n"},
      {"the line a carry chain starts on removed",
       "A a 530\r\nB\r\nC\r\n",
       {row(2, "B", "a", {"530"}), row(3, "C", "a", {"530"})},
       "B a 530\r\nC\r\n"},
      {"LF alone kept, CR LF for the new line",
       "A a 530\nB b 531\n",
       {row(1, "A", "a", {"530"}), row(2, "B", "b", {"530"})},
       "A a 530\nB b 530\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WordChanges changes;
    Problems problems;
    EXPECT_EQ(merged(c.old, c.rows, changes, problems), c.want)
        << (problems.shown.empty() ? "" : problems.shown[0]);
  }
}

TEST(ImportWords, CountsEveryChangeAndListsItOnce) {
  WordChanges changes;
  Problems problems;
  merged("A a 530\r\nB\r\nC c 531\r\nD d 531\r\n",
         {row(1, "A", "x", {"530"}), row(2, "B", "a", {"530"}), row(4, "D", "d", {"531"}),
          row(0, "E", "e", {"530"})},
         changes, problems);
  ASSERT_EQ(problems.count, 0u) << problems.shown[0];
  EXPECT_EQ(changes.entries, 4);
  EXPECT_EQ(changes.changed, 1);
  EXPECT_EQ(changes.rewritten, 1);
  EXPECT_EQ(changes.removed, 1);
  EXPECT_EQ(changes.added, 1);
  EXPECT_EQ(changes.unchanged, 1);
  EXPECT_EQ(changes.listed,
            (std::vector<std::string>{
                "words.txt: line 1: \"A\": word: \"a\" \xE2\x86\x92 \"x\"",
                "words.txt: line 2: \"B\": written anew: it took its word or codes from a line "
                "that changed",
                "words.txt: line 3: \"C\": removed", "words.txt: new entry \"E\": added"}));
}

TEST(ImportWords, OnlyChangedAndAddedEntriesAreHeldToTheRules) {
  const std::string old = "low 1 999\r\nA a 530\r\nA again 530\r\n";
  WordChanges changes;
  Problems problems;
  const std::vector<WordRow> same = {row(1, "low", "1", {"999"}), row(2, "A", "a", {"530"}),
                                     row(3, "A", "again", {"530"})};
  EXPECT_EQ(merged(old, same, changes, problems), old);

  std::vector<WordRow> edited = same;
  edited[2].entry.word = "other";
  EXPECT_EQ(merged(old, edited, changes, problems), "");
  ASSERT_EQ(problems.shown.size(), 1u);
  EXPECT_NE(problems.shown[0].find(kRepeatedKey), std::string::npos) << problems.shown[0];
}

TEST(ImportWords, TheWrittenFileIsReadBackAgainstTheEntriesMeant) {
  const std::string path = "import_words_test.tmp";
  std::ofstream(path, std::ios::binary) << "A a 530\r\nB\r\n";
  WordChanges changes;
  changes.entries = 2;
  changes.digest =
      digestWordEntry(digestWordEntry(0, WordLine{"A", "a", {"530"}}), WordLine{"B", "a", {"530"}});
  EXPECT_TRUE(wordsReadBack(path, "words.txt", changes));
  changes.digest =
      digestWordEntry(digestWordEntry(0, WordLine{"A", "a", {"530"}}), WordLine{"B", "b", {"530"}});
  EXPECT_FALSE(wordsReadBack(path, "words.txt", changes));
  changes.entries = 3;
  EXPECT_FALSE(wordsReadBack(path, "words.txt", changes));
  std::remove(path.c_str());
  EXPECT_FALSE(wordsReadBack(path, "words.txt", changes)) << "a file that is gone";
}
