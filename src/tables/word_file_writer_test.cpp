#include "tables/word_file_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

#include "fixtures.h"

namespace {

WordLine entry(std::string key, std::string word, TextList codes) {
  return WordLine{std::move(key), std::move(word), std::move(codes)};
}

}  // namespace

TEST(WordFileWriter, WritesOneLineThatReadsBackAsTheEntry) {
  WordFileWriter writer;
  std::string line;
  ASSERT_EQ(writeWordLine(writer, entry("KATANA", "katana", {"600", "0601"}), line).reason,
            nullptr);
  EXPECT_EQ(line, "KATANA katana 600 0601");
  EXPECT_EQ(writeWordLine(writer, entry("X", "\"two words\"", {"700"}), line).reason, nullptr);
  EXPECT_EQ(line, "X \"two words\" 700");
}

TEST(WordFileWriter, RefusesWhatNoLineCanHold) {
  struct Case {
    WordLine entry;
    const char* reason;
  };
  const Case cases[] = {
      {entry("", "w", {"600"}), "an entry needs a key"},
      {entry("TWO KEYS", "w", {"600"}), "a key that the reader would split or change"},
      {entry("\"OPEN", "w", {"600"}), "a key that the reader would split or change"},
      {entry("K", "two words", {"600"}), "a word that the reader would split or change"},
      {entry("K", "w", {"6 00"}), "codes that the reader would split or change"},
      {entry("K", "w", {""}), "codes that the reader would split or change"},
      {entry("K", "", {"600"}), "an entry with codes needs a word"},
      {entry("K", "w\n", {"600"}), "a line feed, which ends the reader's line"},
      {entry("K", std::string("w\0", 2), {"600"}), "a zero byte, where the reader's line ends"},
      {entry("K", "w\x1A", {"600"}), "the byte 0x1A, where the reader's file ends"},
      {entry(std::string(71, 'K'), "word", {"600", "601"}),
       "a line longer than the 79 bytes the reader takes at a time"},
  };
  for (const Case& c : cases) {
    WordFileWriter writer;
    std::string line;
    const char* reason = writeWordLine(writer, c.entry, line).reason;
    ASSERT_NE(reason, nullptr) << c.entry.key << " " << c.entry.word;
    EXPECT_STREQ(reason, c.reason) << c.entry.key << " " << c.entry.word;
  }
}

TEST(WordFileWriter, WhatTheReaderTakesOverIsLeftOutOnlyFromALineTooLongOtherwise) {
  WordFileWriter writer;
  std::string line;
  const TextList codes = {"540", "538", "0541", "0542", "0543", "0544", "0545", "0546"};
  ASSERT_EQ(writeWordLine(writer, entry("NAGAMITSU", "nagamitsu", codes), line).reason, nullptr);
  ASSERT_EQ(writeWordLine(writer, entry("HOLDER", "nagamitsu", codes), line).reason, nullptr);
  EXPECT_EQ(line, "HOLDER nagamitsu 540 538 0541 0542 0543 0544 0545 0546") << "it fits whole";
  const std::string longKey(40, 'K');
  ASSERT_EQ(writeWordLine(writer, entry(longKey, "nagamitsu", codes), line).reason, nullptr);
  EXPECT_EQ(line, longKey);
  ASSERT_EQ(writeWordLine(writer, entry(longKey + "2", "owner", codes), line).reason, nullptr);
  EXPECT_EQ(line, longKey + "2 owner");
  ASSERT_EQ(writeWordLine(writer, entry("KEEPER", "owner", {"541"}), line).reason, nullptr);
  EXPECT_EQ(line, "KEEPER owner 541");
}

TEST(WordFileWriter, AnEntryMayLackAWordOrCodesOnlyWhereNoLineBeforeHadThem) {
  WordFileWriter writer;
  std::string line;
  EXPECT_EQ(writeWordLine(writer, entry("ALONE", "", {}), line).reason, nullptr);
  EXPECT_EQ(line, "ALONE");
  EXPECT_EQ(writeWordLine(writer, entry("PLAIN", "plain", {}), line).reason, nullptr);
  EXPECT_STREQ(writeWordLine(writer, entry("BARE", "", {}), line).reason,
               "an entry without a word would take the word of the line before");
  EXPECT_EQ(writeWordLine(writer, entry("CODED", "coded", {"600"}), line).reason, nullptr);
  EXPECT_STREQ(writeWordLine(writer, entry("UNCODED", "uncoded", {}), line).reason,
               "an entry without codes would take the codes of the line before");
  // A refused entry leaves the writer as it was.
  EXPECT_EQ(writeWordLine(writer, entry("NEXT", "next", {"601"}), line).reason, nullptr);
  EXPECT_EQ(line, "NEXT next 601");
}

TEST(WordFileWriter, TheLongestLineIsOneWhoseLineFeedTheReaderTakesAlone) {
  WordFileWriter writer;
  std::string line;
  const WordLine longest = entry(std::string(70, 'K'), "word", {"600"});  // 79 bytes
  ASSERT_EQ(writeWordLine(writer, longest, line).reason, nullptr);
  EXPECT_EQ(line.size(), 79u);
  // As the loader reads it: the line in one piece, then its line feed alone.
  WordLine read;
  std::string group;
  EXPECT_EQ(takeWordLine(line, read, group), 3u);
  EXPECT_EQ(read.key, longest.key);
  EXPECT_EQ(takeWordLine("\n", read, group), 0u);
  EXPECT_STREQ(writeWordLine(writer, entry(std::string(71, 'K'), "word", {"601"}), line).reason,
               "a line longer than the 79 bytes the reader takes at a time");
}

namespace {

// The entries a stored words.txt gives, line by line, as the import reads
// it: its lines split, each read in pieces.
std::vector<std::pair<int64_t, WordLine>> entriesBySplit(const std::string& bytes) {
  StoredWordFile file;
  splitWordFile(bytes, file);
  std::vector<std::pair<int64_t, WordLine>> entries;
  WordLine working;
  std::string group;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    readStoredWordLine(file.lines[i], working, group, [&](const WordLine& e) {
      entries.emplace_back(static_cast<int64_t>(i + 1), e);
    });
  }
  return entries;
}

// The same as the dictionary's reader gives them.
std::vector<std::pair<int64_t, WordLine>> entriesByReader(const std::string& bytes) {
  const std::string path = fixtures::scratchName("words.tmp");
  std::ofstream(path, std::ios::binary) << bytes;
  std::vector<std::pair<int64_t, WordLine>> entries;
  const KanjiTable none;
  EXPECT_FALSE(failed(listWordEntries(path.c_str(), none, [&](const ListedWordEntry& e) {
    entries.emplace_back(e.line, *e.values);
  })));
  std::remove(path.c_str());
  return entries;
}

bool operator==(const WordLine& a, const WordLine& b) {
  return a.key == b.key && a.word == b.word && a.codes == b.codes;
}

}  // namespace

TEST(WordFileWriter, StoredLinesReadAsTheDictionarysReaderReadsThem) {
  const std::string cases[] = {
      "",
      "A a 530\r\nB b 531",
      "A a 530\r\n\r\n   \r\nB\r\nC c\n",
      std::string(100, 'L') + "\r\nM\r\n",
      std::string(79, 'E') + "\r\nF\r\n",
      std::string(78, 'E') + "\r\r\nF\rG\r\n",
      "A a 530\r\nB b\x1A"
      "C c 531\r\n",
      "\x1A"
      "A a 530\r\n",
      std::string("A a\0 530\r\nB\r\n", 14),
      "X \"two words\" 530\r\n  Y   y   531 532  \r\n",
      "A a 530\r\x1A",
      "A a 530\r",
      "A a 530\n\r\n\r\r\nB\r\n",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    const auto split = entriesBySplit(bytes);
    const auto read = entriesByReader(bytes);
    ASSERT_EQ(split.size(), read.size());
    for (size_t i = 0; i < split.size(); ++i) {
      EXPECT_EQ(split[i].first, read[i].first) << i;
      EXPECT_TRUE(split[i].second == read[i].second) << i << ": " << split[i].second.key;
    }
  }
}

TEST(WordFileWriter, SplitsAStoredFileIntoItsLinesAndWhatFollows0x1A) {
  StoredWordFile file;
  splitWordFile(
      "A\r\n\nB\rC\x1A"
      "D\r\n",
      file);
  EXPECT_EQ(file.lines, (std::vector<std::string>{"A\r\n", "\n", "B\rC"}));
  EXPECT_EQ(file.tail,
            "\x1A"
            "D\r\n");
  splitWordFile("A\r\nB", file);
  EXPECT_EQ(file.lines, (std::vector<std::string>{"A\r\n", "B"}));
  EXPECT_EQ(file.tail, "");
}

TEST(WordFileWriter, KeepsAStoredLineOnlyWhereItReadsAsTheEntriesMeant) {
  WordFileWriter writer;
  std::string line;
  ASSERT_EQ(writeWordLine(writer, entry("B", "b", {"531"}), line).reason, nullptr);
  // "C" takes the word and codes of the line before.
  EXPECT_TRUE(keepWordLine(writer, "C\r\n", {entry("C", "b", {"531"})}));
  EXPECT_EQ(writer.working.key, "C");
  EXPECT_FALSE(keepWordLine(writer, "D\r\n", {entry("D", "d", {"531"})}));
  EXPECT_EQ(writer.working.key, "C") << "nothing taken";
  // Both pieces of a cut line are its entries.
  const std::string cut = std::string(79, 'K') + "LL\r\n";
  EXPECT_FALSE(keepWordLine(writer, cut, {entry(std::string(79, 'K'), "b", {"531"})}));
  EXPECT_TRUE(keepWordLine(writer, cut,
                           {entry(std::string(79, 'K'), "b", {"531"}), entry("LL", "b", {"531"})}));
  EXPECT_TRUE(keepWordLine(writer, "  \r\n", {}));
  EXPECT_EQ(writer.working.key, "");
}
