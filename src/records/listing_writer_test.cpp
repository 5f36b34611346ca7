// Tests of the listing blocks and of which records are listed.
#include "records/listing_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "fixtures.h"
#include "io/output_file.h"
#include "records/source_record.h"

namespace {

using fixtures::Record;

// A record decoded from `r`.
SourceRecord decoded(const Record& r) {
  RecordBytes bytes;
  std::copy(r.bytes.begin(), r.bytes.end(), bytes.begin());
  SourceRecord s;
  decodeSourceRecord(bytes, s);
  return s;
}

// Writes one block through a real listing file and returns the file's bytes.
std::string blockBytes(const ListingBlock& block) {
  const std::string name = fixtures::scratchName("block.txt");
  const char* path = name.c_str();
  OutputFile out;
  EXPECT_TRUE(openOutput(out, path, kListingLinesEndInCrLf));
  writeListingBlock(out, block);
  EXPECT_TRUE(closeOutput(out));
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path);
  return bytes;
}

TEST(WriteListingBlock, WritesTheSevenLinesWithCrLf) {
  SourceRecord r = decoded(Record().set(fixtures::kEntryId, "A1").set(fixtures::kPeriod, "EDO"));
  r.note = "see list";
  ListingBlock b;
  b.record = &r;
  b.number = 1;
  b.nameKey = "ABCD" + std::string(17, ' ');
  b.nameKanji = {"X", "Y", "Z"};
  b.period = "EDO(1600-1867)";  // the block's period, not the record's
  b.wordLine = "AB CD ";
  b.kanjiLine = "X Y";
  const std::string want =
      "00001 A1      , ABCD                  (X Y Z)\r\n"
      "        ,         , EDO(1600-1867),                   ,                   \r\n"
      "          ,           ,           \r\n"
      "AB CD \r\n"
      "X Y\r\n"
      "see list\r\n"
      "\r\n"
      "----------\r\n";
  EXPECT_EQ(blockBytes(b), want);
  // The block itself holds plain line feeds; the listing file adds the CRs.
  std::string lines = want;
  for (size_t at = lines.find('\r'); at != std::string::npos; at = lines.find('\r', at)) {
    lines.erase(at, 1);
  }
  EXPECT_EQ(formatListingBlock(b), lines);
}

TEST(WriteListingBlock, EmptyValuesLineFeedsInsideValuesAndLongNumbers) {
  SourceRecord r;
  r.entryId = "\n";
  ListingBlock b;
  b.record = &r;
  b.number = 100000;
  b.nameKey = std::string(21, ' ');
  const std::string bytes = blockBytes(b);
  EXPECT_EQ(bytes.substr(0, 39), "100000 \r\n, " + std::string(21, ' ') + " (  )\r\n");
  EXPECT_NE(bytes.find("\r\n\r\n\r\n\r\n\r\n----------\r\n"), std::string::npos);
  b.number = 4294967296LL;
  EXPECT_EQ(formatListingBlock(b).substr(0, 11), "4294967296 ");
  b.number = 12345;
  EXPECT_EQ(formatListingBlock(b).substr(0, 6), "12345 ");
}

TEST(IsListed, OnlyEightBlanksAreNotListed) {
  EXPECT_FALSE(isListed(decoded(Record())));
  EXPECT_FALSE(isListed(decoded(Record().setCounted(fixtures::kEntryId, 0, "ABC"))));
  // An id ended at once by a zero byte is empty, not blank.
  EXPECT_TRUE(isListed(decoded(Record().setCounted(fixtures::kEntryId, 8, std::string(8, '\0')))));
  EXPECT_FALSE(isListed(decoded(Record().set(fixtures::kEntryId, " "))));
  EXPECT_TRUE(isListed(decoded(Record().set(fixtures::kEntryId, "       x"))));
}

}  // namespace
