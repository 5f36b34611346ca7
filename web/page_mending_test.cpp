// Tests of the page's mending, run natively: an entry added to words.txt as
// its own line after whatever the file ends with, the entries the page
// refuses and why, and the advice for each unknown word and code.
#include "page_mending.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fixtures.h"
#include "formats/table_rows.h"

namespace {

// 山 and 川 in UTF-8, as the person types them, and their codes.
const char kMountain[] = "\xE5\xB1\xB1";
const char kRiver[] = "\xE5\xB7\x9D";

// A folder of data files of its own, removed with everything in it.
struct DataFolder {
  std::string dir;

  DataFolder() {
    std::string name = ::testing::TempDir() + "listconv-mending-XXXXXX";
    dir = mkdtemp(name.data()) != nullptr ? name : "";
  }
  ~DataFolder() { std::filesystem::remove_all(dir); }
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  std::string path(const std::string& name) const { return dir + "/" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool has(const std::string& name) const { return std::filesystem::exists(path(name)); }
  // A kanjis.dat whose code 530 shows 山 and 531 川, its last record 599.
  void putKanji() const {
    put("kanjis.dat", fixtures::kanjiFile(600, {{530, "\x8E\x52"}, {531, "\x90\xEC"}}));
  }
};

TEST(PageMending, AnAddedEntryIsALineOfItsOwnAfterWhatTheFileHolds) {
  const std::string cut(85, 'C');  // longer than the reader takes: read as two lines
  const struct {
    const char* what;
    const char* words;  // nullptr: no words.txt
    std::string before;
  } cases[] = {
      {"a last line without a line end", "", "A a 530"},
      {"a last line with CR LF", "", "A a 530\r\n"},
      {"LF alone kept as it is", "", "A a 530\nB b 531\n"},
      {"blank lines and a cut line kept", "", "\r\nA a 530\r\n\r\n" + cut + "\r\n\r\n"},
      {"a cut last line without a line end", "", "A a 530\r\n" + cut},
      {"an empty words.txt", "", ""},
      {"no words.txt", nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    folder.putKanji();
    if (c.words != nullptr) {
      folder.put("words.txt", c.before);
    }
    const std::string answer = addWordJson(folder.dir, "NEW", "reading",
                                           std::string(kMountain) + kRiver, folder.path("out"));
    EXPECT_EQ(answer, "{\"line\":\"NEW reading 530 531\"}");
    const std::string end = c.before.empty() || c.before.back() == '\n' ? "" : "\r\n";
    EXPECT_EQ(fixtures::hex(folder.read("out")),
              fixtures::hex(c.before + end + "NEW reading 530 531\r\n"));
    if (c.words != nullptr) {
      EXPECT_EQ(folder.read("words.txt"), c.before) << "the page's own words.txt stays";
    }
  }
}

TEST(PageMending, AnEntryTheDictionaryWouldNotGiveBackIsRefusedAndNothingWritten) {
  const std::string mountain = kMountain;
  const struct {
    const char* what;
    std::string words;
    std::string key, word, kanji;
    std::string refused;
  } cases[] = {
      {"a key words.txt has already", "A a 530\r\nK k 531\r\n", "K", "other", mountain,
       "words.txt has this word already; only its first entry is ever found"},
      {"a zero byte in the key", "", std::string("K\0X", 3), "w", mountain,
       "the line: a zero byte, where the reader's line ends"},
      {"a key the look-up never finds", "", "Kx", "w", mountain,
       "the word as the records show it: a key with small letters, which the look-up never "
       "finds: words are looked up upper-cased"},
      {"a blank in the reading", "", "K", "two words", mountain,
       "the reading: a word that the reader would split or change"},
      {"a reading Shift-JIS cannot hold", "", "K", "caf\xC3\xA9", mountain,
       "the reading holds \xC3\xA9, which Shift-JIS cannot hold"},
      {"a look-alike, with what to type instead", "", "K\xE3\x80\x9C", "w", mountain,
       "the word holds \xE3\x80\x9C, which Shift-JIS cannot hold (use \"\xEF\xBD\x9E\" "
       "(U+FF5E))"},
      {"bytes that are no text", "", "K", "\xFF", mountain,
       "the reading holds bytes that are not text"},
      {"no kanji typed", "", "K", "w", "", "type the kanji of the word"},
      {"a kanji kanjis.dat lacks, after one it has", "", "K", "w",
       mountain + "\xE6\xB5\xB7" + kRiver, "\xE6\xB5\xB7: kanjis.dat has no such kanji"},
      {"a kanji Shift-JIS lacks", "", "K", "w", mountain + "\xF0\xA0\xAE\xB7",
       "\xF0\xA0\xAE\xB7: not a character of Shift-JIS"},
      {"a line the reader would never reach", "A a 530\r\n\x1A", "K", "w", mountain,
       "words.txt holds the byte 0x1A, where its reader stops: a line after it would never be "
       "read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    folder.putKanji();
    folder.put("words.txt", c.words);
    std::string want = "{\"refused\":";
    appendJsonString(want, c.refused);
    want += '}';
    EXPECT_EQ(addWordJson(folder.dir, c.key, c.word, c.kanji, folder.path("out")), want);
    EXPECT_FALSE(folder.has("out"));
  }
}

// The rows of unknownListJson for a report of the words and codes `unknown`
// (each shown as ? once, in block 1), in a folder with `kanji` as its
// kanjis.dat (none for nullptr).
std::string unknownList(const UnknownWords& unknown, const std::string* kanji) {
  DataFolder folder;
  if (kanji != nullptr) {
    folder.put("kanjis.dat", *kanji);
  }
  UnknownReport report;
  noteUnknowns(report, 1, unknown);
  return unknownListJson(report, folder.dir);
}

TEST(PageMending, EachUnknownRowSaysHowItIsMended) {
  UnknownWords unknown;
  unknown.words = {"BLADE IRON", "[5]X", "MISSING", "\x8E\x52\x8E\x52"};
  unknown.words.push_back("MISSING");
  unknown.codes = {"650", "12", "+700"};
  const std::string kanji = fixtures::kanjiFile(600, {{530, "\x8E\x52"}});
  const std::string list = unknownList(unknown, &kanji);
  // In the report's order: by count, then by text; the texts as UTF-8.
  const std::string first =
      "{\"rows\":[{\"kind\":\"word\",\"text\":\"MISSING\",\"count\":2,\"first\":1,\"mend\":"
      "\"dictionary\"";
  EXPECT_EQ(list.substr(0, first.size()), first);
  const char* const rows[] = {
      "{\"kind\":\"code\",\"text\":\"+700\",\"count\":1,\"first\":1,\"mend\":\"record\",\"advice\":"
      "\"a code past the end of kanjis.dat, whose last kanji has the code 599: ",
      "{\"kind\":\"code\",\"text\":\"12\",\"count\":1,\"first\":1,\"mend\":\"record\",\"advice\":"
      "\"a code that never names a kanji (kanji codes start at 525): ",
      "{\"kind\":\"code\",\"text\":\"650\",\"count\":1,\"first\":1,\"mend\":\"record\",\"advice\":"
      "\"a code past the end of kanjis.dat, whose last kanji has the code 599: ",
      "{\"kind\":\"word\",\"text\":\"BLADE IRON\",\"count\":1,\"first\":1,\"mend\":\"record\","
      "\"advice\":\"a word group: ",
      "{\"kind\":\"word\",\"text\":\"[5]X\",\"count\":1,\"first\":1,\"mend\":\"either\","
      "\"advice\":\"a word that starts with a bracket: ",
      "{\"kind\":\"word\",\"text\":\"\xE5\xB1\xB1\xE5\xB1\xB1\",\"count\":1,\"first\":1,"
      "\"mend\":\"dictionary\",\"advice\":\"a word that words.txt lacks: ",
  };
  size_t at = 0;
  for (const char* row : rows) {
    SCOPED_TRACE(row);
    const size_t found = list.find(row);
    ASSERT_NE(found, std::string::npos) << list;
    EXPECT_GT(found, at) << "in the report's order";
    at = found;
  }
  EXPECT_NE(list.find("(BLADE, IRON: two words"), std::string::npos) << list;
}

TEST(PageMending, ACodeWithoutAKanjiTableSaysTheTableIsMissing) {
  UnknownWords unknown;
  unknown.codes = {"600"};
  const std::string missing = unknownList(unknown, nullptr);
  EXPECT_NE(missing.find("the page has no kanji table: without kanjis.dat no code names a kanji"),
            std::string::npos)
      << missing;
  EXPECT_EQ(missing.find("-2"), std::string::npos) << missing;

  // A kanjis.dat too short to reach the first kanji code holds no kanji.
  const std::string noKanji = fixtures::kanjiFile(100, {});
  const std::string none = unknownList(unknown, &noKanji);
  EXPECT_NE(none.find("a code past the end of kanjis.dat, which holds no kanji: its records end "
                      "before code 525"),
            std::string::npos)
      << none;
  EXPECT_EQ(unknownListJson(UnknownReport(), "/nonexistent"), "{\"rows\":[]}");
}

TEST(PageMending, KanjiAreLookedUpByCodeAndCodesByKanji) {
  DataFolder folder;
  folder.putKanji();
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"530, 12 531",
       "{\"byCode\":true,\"items\":[{\"code\":\"530\",\"kanji\":\"\xE5\xB1\xB1  \"},{\"code\":"
       "\"12\",\"kanji\":null},{\"code\":\"531\",\"kanji\":\"\xE5\xB7\x9D  \"}]}"},
      {std::string(kRiver) + "x\xC3\xA9",
       "{\"byCode\":false,\"items\":[{\"kanji\":\"\xE5\xB7\x9D\",\"code\":531,\"why\":\"\"},"
       "{\"kanji\":\"x\",\"code\":null,\"why\":\"kanjis.dat has no such kanji\"},"
       "{\"kanji\":\"\xC3\xA9\",\"code\":null,\"why\":\"not a character of Shift-JIS\"}]}"},
      {"", "{\"byCode\":false,\"items\":[]}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(kanjiLookupJson(folder.dir, c.text), c.json);
  }
}

}  // namespace
