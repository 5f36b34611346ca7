// Tests of the kanji table and the word dictionary.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

#include "fixtures.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

// Writes `bytes` to a scratch file that is removed again at the end of scope.
struct ScratchFile {
  std::string path;
  explicit ScratchFile(const std::string& bytes, const char* suffix = "tmp")
      : path(fixtures::scratchName(suffix)) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  ~ScratchFile() { std::remove(path.c_str()); }
};

// The kanji table that `bytes`, read as a kanji file, give.
KanjiTable loadKanji(const std::string& bytes) {
  ScratchFile f(bytes);
  KanjiTable table;
  EXPECT_FALSE(failed(loadKanjiTableFrom(f.path.c_str(), table)));
  return table;
}

std::string lookup(const KanjiTable& table, std::string code) {
  lookupKanjiCode(table, code);
  return code;
}

TEST(KanjiTable, SizeFollowsTheRecordsRead) {
  const struct {
    std::string bytes;
    size_t entries;
  } cases[] = {
      {"", 526},
      {fixtures::kanjiFile(100, {}), 526},
      {fixtures::kanjiFile(525, {}), 526},
      {fixtures::kanjiFile(600, {}), 601},
      {fixtures::kanjiFile(600, {}) + "abc", 601},
  };
  for (const auto& c : cases) {
    const KanjiTable table = loadKanji(c.bytes);
    EXPECT_EQ(table.size(), c.entries) << c.bytes.size();
    for (size_t i = 0; i < 525 && i < table.size(); ++i) {
      ASSERT_EQ(table[i], "");
    }
  }
}

TEST(KanjiTable, MissingFileLeavesTheTableEmpty) {
  KanjiTable table{"left from before"};
  EXPECT_FALSE(failed(loadKanjiTableFrom("no-such-kanji-file.dat", table)));
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(lookup(table, "600"), "?");
  EXPECT_EQ(lookup(table, "3867"), "1037");
  EXPECT_EQ(lookup(table, "0"), "");
}

TEST(KanjiTable, KanjiFieldFollowsTheCountByte) {
  std::string bytes = fixtures::kanjiFile(
      606, {{525, "AB"}, {526, "ABCDEFG"}, {527, std::string("A\0CD", 4)}, {528, "A"}});
  bytes[529 * 166 + 123] = static_cast<char>(0x85);  // negative count
  bytes.replace(529 * 166 + 124, 4, "WXYZ");
  bytes.replace(0, 166, std::string(166, '\x05'));  // the first records are never looked at
  const KanjiTable table = loadKanji(bytes);
  EXPECT_EQ(table[525], "AB  ");
  EXPECT_EQ(table[526], "ABCD");
  EXPECT_EQ(table[527], "A");
  EXPECT_EQ(table[528], "A   ");
  EXPECT_EQ(table[529], "    ");
  EXPECT_EQ(table[606], "    ");  // the read that met the end
}

TEST(KanjiTable, PartialLastRecordKeepsWhatIsThere) {
  std::string bytes = fixtures::kanjiFile(601, {{600, "KJ"}});
  bytes.resize(600 * 166 + 126);  // count byte and two slot bytes of record 600
  bytes[600 * 166 + 123] = 4;
  const KanjiTable table = loadKanji(bytes);
  ASSERT_EQ(table.size(), 601u);
  EXPECT_EQ(table[600], "KJ\xff\xff");
}

TEST(LookupKanjiCode, ReadsTheCodeAsADecimalNumber) {
  const KanjiTable table = loadKanji(
      fixtures::kanjiFile(600, {{525, "k525"}, {526, "k526"}, {599, "k599"}, {3867, "nope"}}));
  const std::pair<std::string, std::string> cases[] = {
      {"599", "k599"},
      {"600", "    "},
      {"601", "?"},
      {" 5 2 6", "k526"},
      {"0525", "k525"},
      {"524", "?"},
      {"-7", "?"},
      {"0000", ""},
      {"", ""},
      {"    ", ""},
      {"abcd", ""},
      {"12ab", "?"},
      {"3867", "1037"},
      {"+526", "k526"},
      {"\t526", "k526"},
      {"-0", ""},
      {"+-5", ""},
      {"526x600", "k526"},
      {"99999999999", "?"},
      {"2147483647", "?"},
      {"-2147483648", "?"},
      {"-99999999999", "?"},
      {"00000000000000000000526", "k526"},
  };
  for (const auto& [code, want] : cases) {
    EXPECT_EQ(lookup(table, code), want) << "code '" << code << "'";
  }
}

TEST(LookupKanjiCode, AgreesWithReadingTheNumberAfterTheBlanksAreRemoved) {
  // Every kanji names its own code in its four bytes, so that the number
  // read shows.
  std::map<size_t, std::string> kanji;
  for (size_t code = 525; code < 10000; ++code) {
    kanji[code] = std::to_string(code);
    kanji[code].resize(4, ' ');
  }
  const KanjiTable table = loadKanji(fixtures::kanjiFile(10000, kanji));
  std::mt19937 rng(5);
  const char alphabet[] = "0123456789012345678901234567890123456789      +-x\t";
  for (int i = 0; i < 50000; ++i) {
    std::string code(rng() % 11, ' ');
    for (char& c : code) {
      c = alphabet[rng() % (sizeof alphabet - 1)];
    }
    std::string digits;
    for (const char c : code) {
      if (c != ' ') {
        digits += c;
      }
    }
    char* end = nullptr;
    const long long n = std::strtoll(digits.c_str(), &end, 10);
    std::string want = n == 3867 ? "1037" : n == 0 ? "" : n >= 525 && n < 10000 ? kanji[n] : "?";
    ASSERT_EQ(lookup(table, code), want) << "code '" << code << "'";
  }
}

// Loads `text` as words.txt through the kanji table `kanji`.
Dictionary loadWords(const std::string& text, const KanjiTable& kanji = KanjiTable()) {
  ScratchFile f(text, "words.tmp");
  Dictionary d;
  EXPECT_FALSE(failed(loadWordDictionaryFrom(f.path.c_str(), kanji, d)));
  return d;
}

// The entries the lines of `text`, read as words.txt through `kanji`, give.
std::vector<WordEntry> entriesOf(const std::string& text, const KanjiTable& kanji = KanjiTable()) {
  ScratchFile f(text, "words.tmp");
  std::vector<WordEntry> entries;
  EXPECT_FALSE(failed(
      readWordEntries(f.path.c_str(), kanji, [&](const WordEntry& e) { entries.push_back(e); })));
  return entries;
}

// The kanji text a lookup of `key` gives, or "(none)".
std::string kanjiOf(const Dictionary& d, std::string_view key) {
  std::string_view kanjiText;
  return findWordKanji(d, key, kanjiText) ? std::string(kanjiText) : "(none)";
}

// The kanji texts of an entry as a lookup gives them: each followed by a blank.
std::string kanjiTextOf(const WordEntry& e) {
  std::string text;
  for (const std::string& kanji : e.kanji) {
    text += kanji + " ";
  }
  return text;
}

TEST(WordDictionary, EntriesCarryWordAndKanjiOver) {
  const KanjiTable kanji =
      loadKanji(fixtures::kanjiFile(701, {{600, "P"}, {601, "Q"}, {700, "R"}}));
  const std::string text =
      "AAA X 600 601\r\nBBB Y 700\r\nCCC\r\nDDD Z\n\n   \r\n  EEE   W   600  \nFFF V 12 3867 x\n";
  const std::vector<WordEntry> entries = entriesOf(text, kanji);
  ASSERT_EQ(entries.size(), 6u);
  const struct {
    std::string key, word;
    TextList kanji;
  } want[] = {
      {"AAA", "X", {"P   ", "Q   "}}, {"BBB", "Y", {"R   "}}, {"CCC", "Y", {"R   "}},
      {"DDD", "Z", {"R   "}},         {"EEE", "W", {"P   "}}, {"FFF", "V", {"?", "1037", ""}},
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].key, want[i].key) << i;
    EXPECT_EQ(entries[i].word, want[i].word) << i;
    EXPECT_EQ(entries[i].kanji, want[i].kanji) << i;
  }
  // The loaded dictionary finds every key with the kanji of its entry.
  const Dictionary d = loadWords(text, kanji);
  EXPECT_EQ(d.entries, 6u);
  EXPECT_EQ(kanjiOf(d, "CCC"), "R    ");
  EXPECT_EQ(kanjiOf(d, "FFF"), "? 1037  ");
}

TEST(WordDictionary, ReadsWindowsTextInPiecesOf79) {
  const std::string longLine(100, 'L');
  const std::vector<WordEntry> e = entriesOf("A1 \"New York\" 0\r\nA2\rx y\r\n" + longLine +
                                             "\nLAST w 0\x1a"
                                             "AFTER z 0\n");
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].word, "\"New York\"");
  EXPECT_EQ(e[0].kanji, TextList({""}));
  EXPECT_EQ(e[1].key, "A2\rx");  // a lone CR is data
  EXPECT_EQ(e[2].key, longLine.substr(0, 79));
  EXPECT_EQ(e[3].key, longLine.substr(79));
  EXPECT_EQ(e[4].key, "LAST");  // 0x1A ends the data, no line feed needed
}

TEST(WordDictionary, LineOf79AndLineFeedAddsAnEmptyPiece) {
  const std::vector<WordEntry> e =
      entriesOf(std::string(78, 'a') + "\r\n" + std::string(79, 'b') + "\r\nc\n");
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].key.size(), 78u);
  EXPECT_EQ(e[1].key.size(), 79u);
  EXPECT_EQ(e[2].key, "c");
}

TEST(WordDictionary, ZeroByteEndsTheLinePiece) {
  const KanjiTable kanji = loadKanji(fixtures::kanjiFile(602, {{600, "P"}, {601, "Q"}}));
  const std::vector<WordEntry> e =
      entriesOf(std::string("A X 600\0 601\r\nB\0C Y\nD Z 601\n", 28), kanji);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].kanji, TextList({"P   "}));
  EXPECT_EQ(e[1].key, "B");
  EXPECT_EQ(e[2].key, "D");
}

TEST(WordDictionary, FirstEntryWinsAndKeysAreCaseSensitive) {
  Dictionary d;
  addWordEntry(d, WordEntry{"KEY", "one", {"1"}});
  addWordEntry(d, WordEntry{"KEY", "two", {"2"}});
  addWordEntry(d, WordEntry{"key", "three", {"3", "33"}});
  EXPECT_EQ(d.entries, 3u);
  EXPECT_EQ(d.keys, 2u);
  EXPECT_EQ(kanjiOf(d, "KEY"), "1 ");
  EXPECT_EQ(kanjiOf(d, "key"), "3 33 ");
  EXPECT_EQ(kanjiOf(d, "KE"), "(none)");
  EXPECT_EQ(kanjiOf(Dictionary(), "KEY"), "(none)");
}

TEST(WordDictionary, IndexFindsTheFirstEntryOfEveryKey) {
  std::mt19937 rng(7);
  Dictionary d;
  std::vector<WordEntry> added;
  for (int i = 0; i < 5000; ++i) {
    std::string key(1 + rng() % 6, 'A');
    for (char& c : key) {
      c = static_cast<char>("AB\0\xff"[rng() % 4]);
    }
    WordEntry e{key, std::to_string(i), {std::to_string(i), std::string(rng() % 3, ' ')}};
    addWordEntry(d, e);
    added.push_back(e);
  }
  for (int i = 0; i < 3000; ++i) {
    std::string key(1 + rng() % 7, 'A');
    for (char& c : key) {
      c = static_cast<char>("AB\0\xff"[rng() % 4]);
    }
    const WordEntry* first = nullptr;
    for (const WordEntry& e : added) {
      if (e.key == key) {
        first = &e;
        break;
      }
    }
    ASSERT_EQ(kanjiOf(d, key), first == nullptr ? "(none)" : kanjiTextOf(*first));
  }
}

TEST(WordDictionary, LoadedFileIndexesTheFirstEntryOfEveryKey) {
  // Every code names a kanji of its own, so that the entries of a repeated
  // key differ and only the first one's kanji may be found.
  std::map<size_t, std::string> kanji;
  for (size_t code = 525; code < 534; ++code) {
    kanji[code] = "k" + std::to_string(code - 525);
  }
  const KanjiTable table = loadKanji(fixtures::kanjiFile(534, kanji));
  // Many lines, repeated keys, with and without lines of blanks between them.
  for (const size_t padding : {0, 200}) {
    std::mt19937 rng(11);
    std::string text;
    for (int i = 0; i < 4000; ++i) {
      std::string key(1 + rng() % 5, 'A');
      for (char& c : key) {
        c = "ABC"[rng() % 3];
      }
      text += key + " w" + std::to_string(i) + " " + std::to_string(525 + rng() % 9) + "\n";
      text += std::string(padding % 79, ' ') + "\n";
    }
    const Dictionary d = loadWords(text, table);
    const std::vector<WordEntry> entries = entriesOf(text, table);
    ASSERT_EQ(d.entries, 4000u);
    ASSERT_EQ(entries.size(), 4000u);
    for (const WordEntry& e : entries) {
      const WordEntry* first = &e;
      for (const WordEntry& earlier : entries) {
        if (earlier.key == e.key) {
          first = &earlier;
          break;
        }
      }
      ASSERT_NE(kanjiTextOf(e).find('k'), std::string::npos);
      ASSERT_EQ(kanjiOf(d, e.key), kanjiTextOf(*first)) << e.key;
    }
  }
}

TEST(WordDictionary, EveryDictionaryHashesUnderAKeyOfItsOwn) {
  // Keys that collide under one dictionary's hash do not under the next one's.
  Dictionary a;
  Dictionary b;
  addWordEntry(a, WordEntry{"A", "", {}});
  addWordEntry(b, WordEntry{"A", "", {}});
  EXPECT_TRUE(a.hashKey[0] != b.hashKey[0] || a.hashKey[1] != b.hashKey[1]);
  EXPECT_NE(sipHash13(a.hashKey[0], a.hashKey[1], "KEY"),
            sipHash13(b.hashKey[0], b.hashKey[1], "KEY"));
}

TEST(SipHash13, GivesThePublishedValues) {
  // SipHash-1-3 under the key 00 01 .. 0f of the messages 00 01 .. (n - 1),
  // from an independent implementation that gives the published SipHash-2-4
  // values with two and four rounds.
  const uint64_t k0 = 0x0706050403020100ull;
  const uint64_t k1 = 0x0f0e0d0c0b0a0908ull;
  std::string message;
  for (int i = 0; i < 16; ++i) {
    message += static_cast<char>(i);
  }
  EXPECT_EQ(sipHash13(k0, k1, ""), 0xabac0158050fc4dcull);
  EXPECT_EQ(sipHash13(k0, k1, message.substr(0, 1)), 0xc9f49bf37d57ca93ull);
  EXPECT_EQ(sipHash13(k0, k1, message.substr(0, 8)), 0x369095118d299a8eull);
  EXPECT_EQ(sipHash13(k0, k1, message.substr(0, 15)), 0xd320d86d2a519956ull);
}

TEST(WordDictionary, QuotedGroupsKeepTheirTextAndFirstLineCarriesNothing) {
  const KanjiTable kanji = loadKanji(fixtures::kanjiFile(602, {{600, "P"}, {601, "Q,"}}));
  const std::string text = "ONLY\n\"A B\" \"w x\" \"600 \" 601\nK2 \"y z\"\n\"C D\" v 600\n";
  const std::vector<WordEntry> entries = entriesOf(text, kanji);
  const Dictionary d = loadWords(text, kanji);
  ASSERT_EQ(entries.size(), 4u);
  const struct {
    std::string key, word;
    TextList kanji;
  } want[] = {
      {"ONLY", "", {}},
      // The later group reuses the tokenizer's buffer; the quote makes its
      // code no number.
      {"\"A B\"", "\"w x\"", {"", "Q,  "}},
      {"K2", "\"y z\"", {"", "Q,  "}},
      {"\"C D\"", "v", {"P   "}},
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].key, want[i].key) << i;
    EXPECT_EQ(entries[i].word, want[i].word) << i;
    EXPECT_EQ(entries[i].kanji, want[i].kanji) << i;
  }
  std::string_view kanjiText;
  ASSERT_TRUE(findWordKanji(d, "\"A B\"", kanjiText));
  EXPECT_EQ(kanjiText, " Q,   ");
  ASSERT_TRUE(findWordKanji(d, "ONLY", kanjiText));
  EXPECT_EQ(kanjiText, "");
}

TEST(WordDictionary, KeysOfEveryLengthAreFound) {
  // Keys that differ in one byte only, at every place of every length up to
  // 20, and the empty key; many enough for the index to grow a few times.
  Dictionary d;
  std::vector<std::string> keys{""};
  for (size_t length = 1; length <= 20; ++length) {
    for (size_t at = 0; at < length; ++at) {
      std::string key(length, 'a');
      key[at] = '\xff';
      keys.push_back(key);
    }
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    addWordEntry(d, WordEntry{keys[i], std::to_string(i), {std::to_string(i)}});
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(kanjiOf(d, keys[i]), std::to_string(i) + " ") << i;
  }
  EXPECT_EQ(kanjiOf(d, std::string(21, 'a')), "(none)");
  EXPECT_EQ(kanjiOf(d, std::string(8, 'a')), "(none)");
}

TEST(WordDictionary, EmptyAndMissingFilesGiveNoEntries) {
  EXPECT_EQ(loadWords("").entries, 0u);
  EXPECT_EQ(loadWords("\r\n   \n\x1a"
                      "A b\n")
                .entries,
            0u);
  Dictionary d;
  EXPECT_FALSE(failed(loadWordDictionaryFrom("no-such-words-file.txt", KanjiTable(), d)));
  EXPECT_EQ(d.entries, 0u);
  EXPECT_EQ(kanjiOf(d, "A"), "(none)");
}

}  // namespace
