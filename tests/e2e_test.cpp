// End-to-end tests: the real listconv run in a private folder (see workdir.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fixtures.h"
#include "workdir.h"

namespace {

using e2e::readFile;
using e2e::RunResult;
using e2e::Workdir;
using fixtures::Record;

std::string records(std::initializer_list<std::string> list) {
  std::string all;
  for (const std::string& r : list) {
    all += r;
  }
  return all;
}

Record listed(const std::string& id) {
  Record r;
  r.set(fixtures::kEntryId, id);
  return r;
}

// The block of a record that has only an id, with an empty kanji table.
std::string plainBlock(int number, const std::string& id) {
  char head[16];
  std::snprintf(head, sizeof head, "%05d ", number);
  std::string paddedId = id + std::string(8 - id.size(), ' ');
  return head + paddedId + ", " + std::string(21, ' ') + " (  )\r\n" +
         "        ,         , ,                   ,                   \r\n" +
         "          ,           ,           \r\n\r\n\r\n\r\n\r\n----------\r\n";
}

const char kSummaryOf0[] = "\n0 records written to file LIST.TXT\n";

const char kNoRecordFile[] = "listconv: no list.rec in this folder: list.txt left as it was\n";
const char kNoKanjiFile[] =
    "listconv: no kanjis.dat in this folder: the listing shows ? for every kanji code (and 1037 "
    "for code 3867)\n";
const char kNoWordFile[] =
    "listconv: no words.txt in this folder: words get kanji only from codes in brackets and from "
    "the record's own name, the others show ?\n";

// A run in a folder without list.rec (the wrong folder, or one whose list.rec
// is gone) leaves list.txt as it was, which may be the only listing left,
// and fails with a message; the tables are not worth a word then.
TEST(EndToEnd, WithoutRecordFileTheListingIsLeftAsItWas) {
  const std::string listing = "00001 an earlier listing\r\n\x1a\xff";
  for (const bool before : {false, true}) {
    for (const bool tables : {false, true}) {
      SCOPED_TRACE(std::string(before ? "a listing" : "no listing") + (tables ? ", tables" : ""));
      Workdir w;
      if (before) {
        w.put("list.txt", listing);
      }
      if (tables) {
        w.put("kanjis.dat", fixtures::kanjiFile(603, {{600, "P"}}));
        w.put("words.txt", "AB x 600\r\n");
      }
      const RunResult r = w.run();
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "\n");
      EXPECT_EQ(e2e::withoutCr(r.err), kNoRecordFile);  // CR LF on Windows
      EXPECT_EQ(r.listingExists, before);
      EXPECT_EQ(r.listing, before ? listing : "");
    }
  }
}

// A missing table is no failure, but the listing's question marks need a
// reason: one line says what the listing shows instead.
TEST(EndToEnd, AMissingTableIsToldWithWhatTheListingShows) {
  struct Case {
    bool kanji;
    bool words;
    std::string err;
    const char* nameKanji;  // of codes 600 and 3867
    const char* wordKanji;  // of "ab cd[600]", AB being 600 in words.txt
  };
  const Case cases[] = {
      {false, true, kNoKanjiFile, "(? 1037 )", "?  ?"},
      {true, false, kNoWordFile, "(P    1037 )", "?  P"},
      {false, false, std::string(kNoKanjiFile) + kNoWordFile, "(? 1037 )", "?  ?"},
      {true, true, "", "(P    1037 )", "P     P"},
  };
  Record r;
  r.set(fixtures::kEntryId, "A").set(fixtures::kNameCode1, "600").set(fixtures::kNameCode2, "3867");
  r.set(fixtures::kWordText, "ab cd[600]");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    Workdir w;
    w.put("list.txt", "old\r\n");
    w.put("list.rec", r);
    if (c.kanji) {
      w.put("kanjis.dat", fixtures::kanjiFile(603, {{600, "P"}}));
    }
    if (c.words) {
      w.put("words.txt", "AB x 600\r\n");
    }
    const RunResult run = w.run();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\n1 records written to file LIST.TXT\n");
    EXPECT_EQ(e2e::withoutCr(run.err), c.err);
    const std::string head = "00001 A       ,                       " + std::string(c.nameKanji);
    EXPECT_EQ(run.listing.substr(0, head.size()), head);
    EXPECT_NE(run.listing.find("\r\nAB CD \r\n" + std::string(c.wordKanji) + "\r\n"),
              std::string::npos)
        << run.listing;
  }
}

TEST(EndToEnd, EmptyRecordFileGivesZeroRecords) {
  Workdir w;
  w.put("list.rec", "");
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSummaryOf0);
  EXPECT_EQ(r.listing, "");
}

TEST(EndToEnd, ThreeRecordsAndTheExtraPassAtTheBoundary) {
  Workdir w;
  w.put("list.rec", records({listed("A"), listed("B"), listed("C")}));
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n3 records written to file LIST.TXT\n");
  EXPECT_EQ(r.listing, plainBlock(1, "A") + plainBlock(2, "B") + plainBlock(3, "C"));
}

TEST(EndToEnd, BlankIdsLeaveNoGapInTheNumbers) {
  Workdir w;
  w.put("list.rec",
        records({Record(), listed("A"), Record(), Record(), listed("B"), Record(), listed("C")}));
  const RunResult r = w.run();
  EXPECT_EQ(r.out, "\n3 records written to file LIST.TXT\n");
  EXPECT_EQ(r.listing, plainBlock(1, "A") + plainBlock(2, "B") + plainBlock(3, "C"));
}

TEST(EndToEnd, PartialLastRecordReadsMissingBytesAs0xFF) {
  Workdir w;
  const std::string second = std::string(listed("ABCDEFGH")).substr(0, 10);
  w.put("list.rec", std::string(listed("A")) + second);
  const RunResult r = w.run();
  EXPECT_EQ(r.out, "\n2 records written to file LIST.TXT\n");
  const std::string want2 = "00002 ABCDE\xff\xff\xff, ";
  EXPECT_EQ(r.listing.substr(plainBlock(1, "A").size(), want2.size()), want2);
  EXPECT_EQ(r.listing.substr(0, plainBlock(1, "A").size()), plainBlock(1, "A"));
}

TEST(EndToEnd, ArgumentsChangeNothing) {
  Workdir w;
  w.put("list.rec", records({listed("A"), Record(), listed("B")}));
  const RunResult plain = w.run();
  const RunResult withArgs = w.run("-x --help list.rec other");
  EXPECT_EQ(withArgs.status, 0);
  EXPECT_EQ(withArgs.out, plain.out);
  EXPECT_EQ(withArgs.listing, plain.listing);
}

// A first try of --help or --version in a folder of data must not cost its
// listing: the usage or the version is printed and no file is touched.
TEST(EndToEnd, HelpAndVersionAloneTouchNoFile) {
  Workdir w;
  w.put("list.rec", records({listed("A")}));
  const std::string listing = "an earlier listing\r\n";
  w.put("list.txt", listing);
  for (const char* arg : {"--help", "-h", "'/?'", "--version"}) {
    const RunResult r = w.run(arg);
    EXPECT_EQ(r.status, 0) << arg;
    EXPECT_EQ(r.err, "") << arg;
    EXPECT_EQ(r.listing, listing) << arg;
    if (std::string(arg) == "--version") {
      EXPECT_EQ(r.out, std::string("listconv ") + LISTCONV_VERSION + "\n");
    } else {
      EXPECT_EQ(r.out.rfind("Usage: listconv\n", 0), 0u) << arg << ": " << r.out;
    }
  }
  EXPECT_EQ(readFile(w.path("list.rec")), records({listed("A")}));
}

TEST(EndToEnd, AllThreeFilesMakeACompleteBlock) {
  Workdir w;
  w.put("kanjis.dat", fixtures::kanjiFile(603, {{600, "P"}, {601, "Q"}, {602, "R"}}));
  w.put("words.txt", "AB x 600 601\r\nCD y 602\r\n");
  Record r;
  r.set(fixtures::kEntryId, "ID1").set(fixtures::kName1, "e").set(fixtures::kName2, "f");
  r.set(fixtures::kNameCode1, "600").set(fixtures::kNameCode2, "").set(fixtures::kNameCode3, "602");
  r.set(fixtures::kPeriod, "SHOWA").set(fixtures::kWordText, "ab, cd[601] ef zz (no)");
  r.set(fixtures::kNote, "note   ");
  w.put("list.rec", records({Record(), r}));
  const RunResult res = w.run();
  EXPECT_EQ(res.status, 0);
  EXPECT_EQ(res.out, "\n1 records written to file LIST.TXT\n");
  EXPECT_EQ(
      res.listing,
      "00001 ID1     , EF                    (P     R   )\r\n"
      "        ,         , SHOWA(1926-1988)(1312-1316),                   ,                   \r\n"
      "          ,           ,           \r\n"
      "AB, CD EF ZZ (NO) \r\n"
      "P Q, Q P R ?\r\n"
      "note\r\n\r\n----------\r\n");
}

// kanjis.dat and list.rec are binary, so a Ctrl-Z or CR in them is data;
// words.txt drops the CR of CR LF and ends at Ctrl-Z. Both hold on every
// platform the program is built for.
TEST(EndToEnd, BinaryInputsAreReadRawAndTheDictionaryAsWindowsText) {
  const std::string kanji = "\x1a\r\x93\xfa";
  Workdir w;
  w.put("kanjis.dat", fixtures::kanjiFile(601, {{600, kanji}}));
  Record record = listed("A\x1a\rB");
  record.set(fixtures::kNameCode1, "600").set(fixtures::kWordText, "ab ef zz");
  w.put("list.rec", record);
  w.put("words.txt", "AB X 600\r\nEF\r\n\x1a\r\nZZ Y 600\r\n");
  const RunResult windowsText = w.run();
  w.put("words.txt", "AB X 600\nEF\n");
  const RunResult unixText = w.run();

  EXPECT_EQ(windowsText.out, "\n1 records written to file LIST.TXT\n");
  EXPECT_EQ(windowsText.listing, unixText.listing);
  EXPECT_EQ(windowsText.listing.substr(0, 16), "00001 A\x1a\rB    , ");
  EXPECT_NE(windowsText.listing.find(" (" + kanji + "  )\r\n"), std::string::npos);
  // AB and EF (which takes the kanji of the line before it) are found; ZZ,
  // after the Ctrl-Z, is not.
  EXPECT_NE(windowsText.listing.find("\r\n" + kanji + " " + kanji + " ?\r\n"), std::string::npos);
}

// A listing that cannot be created fails the run with status 1.
TEST(EndToEnd, UncreatableListingFailsWithStatus1) {
  Workdir w;
  w.put("list.rec", listed("A"));
  ASSERT_EQ(mkdir(w.path("list.txt").c_str(), 0755), 0);
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "\n");
  EXPECT_NE(r.err.find("listconv: cannot create list.txt"), std::string::npos);
}

TEST(EndToEnd, SampleDataGivesTheExpectedListing) {
  Workdir w;
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    w.put(name, readFile(std::string(LISTCONV_SAMPLE_DIR) + "/" + name));
  }
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, readFile(std::string(LISTCONV_SAMPLE_DIR) + "/console.txt"));
  EXPECT_EQ(r.listing, readFile(std::string(LISTCONV_SAMPLE_DIR) + "/list.txt"));
}

}  // namespace
