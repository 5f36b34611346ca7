// The record loop against the record-at-a-time functions: records are
// decoded where they lie in the read blocks and pass through several steps
// at once, and every block must still be the one its fields give.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "fixtures.h"
#include "records/era_annotation.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "run_folder.h"
#include "textutil/file_io.h"
#include "textutil/textutil.h"

namespace {

using fixtures::Field;
using fixtures::Record;

class RunRecords : public RunFolder {};

// Random field bytes, with the bytes the conversion treats specially.
std::string randomSlot(std::mt19937& rng, size_t capacity) {
  static const char kBytes[] = {'a', 'b', 'Z', '1',  '6',  '0',  ' ',    ' ',    ' ', ',', '.',
                                '[', ']', '"', '\n', '\r', '\0', '\xFF', '\x82', 'e', 'f'};
  std::string slot;
  for (size_t n = rng() % (capacity + 1); n > 0; --n) {
    slot += kBytes[rng() % sizeof kBytes];
  }
  return slot;
}

// A word text of dictionary words, names, codes and odd bytes.
std::string randomWordText(std::mt19937& rng) {
  static const char* const kPieces[] = {"ab", "cd",        "abcdefgh", "abcdefghijklmnop",
                                        "ef", "zz",        "(no)",     "...",
                                        ",",  "[600,601]", "[]",       " ",
                                        "  ", "\"",        "ab,",      "cd...",
                                        "\n", "[3867]",    "gh",       "x"};
  std::string text;
  for (size_t n = rng() % 30; n > 0; --n) {
    text += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
    text += rng() % 3 == 0 ? "" : " ";
  }
  return text.substr(0, 255);
}

// One record with every field random; some are not listed.
Record randomRecord(std::mt19937& rng) {
  static const Field kFields[] = {fixtures::kEntryId, fixtures::kName1,   fixtures::kName2,
                                  fixtures::kName3,   fixtures::kDetail1, fixtures::kDetail2,
                                  fixtures::kDetail3, fixtures::kDetail4, fixtures::kDetail5,
                                  fixtures::kDetail6, fixtures::kDetail7, fixtures::kNote};
  static const char* const kCodes[] = {"600", " 601", "0", "", "abc", "3867", "9999", "-5"};
  static const char* const kPeriods[] = {"EDO", "SHOWA", "MEIJI  ", "", "KOTO", "edo"};
  Record r;
  for (const Field& f : kFields) {
    const std::string slot = randomSlot(rng, f.capacity);
    // Counts of every kind: the text's length, larger, zero, negative.
    const unsigned char counts[] = {static_cast<unsigned char>(slot.size()),
                                    static_cast<unsigned char>(f.capacity + 3), 0, 0x90};
    r.setCounted(f, counts[rng() % 4], slot);
  }
  if (rng() % 5 == 0) {
    r.set(fixtures::kEntryId, "        ");
  }
  r.set(fixtures::kNameCode1, kCodes[rng() % 8]).set(fixtures::kNameCode2, kCodes[rng() % 8]);
  r.set(fixtures::kNameCode3, kCodes[rng() % 8]).set(fixtures::kPeriod, kPeriods[rng() % 6]);
  r.set(fixtures::kWordText, randomWordText(rng));
  return r;
}

// The listing of `records`, one record at a time, from the loaded tables.
std::string listingOneByOne(const std::string& records) {
  const std::string path = "expected.txt";
  OutputFile out;
  EXPECT_TRUE(openOutput(out, path.c_str(), true));
  int64_t count = 0;
  for (size_t at = 0; at + fixtures::kRecordSize <= records.size(); at += fixtures::kRecordSize) {
    RecordBytes bytes;
    std::copy(records.begin() + at, records.begin() + at + fixtures::kRecordSize, bytes.begin());
    SourceRecord r = decodeSourceRecord(bytes);
    resolveNameCodes(r);
    trimTrailingBlanks(r.note);
    BlockValues v;
    v.nameKey = buildNameKey(r.name1, r.name2, r.name3);
    const RenderedWords w = renderWordText(r.wordText, v.nameKey, r.nameKanji1, r.nameKanji2,
                                           r.nameKanji3, WordDictionary);
    v.wordLine = w.wordLine;
    v.kanjiLine = w.kanjiLine;
    v.nameKey.resize(std::max(v.nameKey.size(), kNameKeyWidth), ' ');
    v.period = annotateEra(r.period);
    writeListingBlock(out, r, v, count);
  }
  EXPECT_TRUE(closeOutput(out));
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(RunRecords, EveryBlockIsTheOneItsRecordGivesAlone) {
  std::mt19937 rng(7);
  std::string records;
  // Over three read blocks of records, so that several straddle two blocks.
  for (size_t i = 0; i < 3 * kInputBlockSize / fixtures::kRecordSize + 1; ++i) {
    records += std::string(randomRecord(rng));
  }
  std::map<std::string, std::string> files;
  files["kanjis.dat"] = fixtures::kanjiFile(603, {{600, "P"}, {601, " \n"}, {602, "R S"}});
  files["words.txt"] =
      "AB x 600 601\r\nCD y 602\r\nABCDEFGH z 601\r\nABCDEFGHIJKLMNOP w 600 600\r\nGH v\r\n";
  // Whole records, then a cut one whose missing bytes read as 0xFF.
  for (const size_t cut : {size_t{0}, size_t{300}}) {
    SCOPED_TRACE(cut);
    files["list.rec"] = records + std::string(randomRecord(rng)).substr(0, cut);
    put(files);
    loadKanjiTable();
    loadWordDictionary();
    std::string padded = files["list.rec"];
    padded.resize(padded.size() + fixtures::kRecordSize - 1, '\xFF');  // the read at the end
    const std::string want = listingOneByOne(padded);
    const Outcome got = run();
    EXPECT_EQ(got.status, 0);
    ASSERT_EQ(got.listing.size(), want.size());
    EXPECT_TRUE(got.listing == want);
  }
}

}  // namespace
