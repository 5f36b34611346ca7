// End-to-end tests of data files whose names are in another letter case, as
// DOS and Windows write them: found by every program where the exact name is
// absent, and an error where two could be meant.
#include <gtest/gtest.h>

#include <string>

#include "export_e2e.h"

namespace e2e {
namespace {

const char* const kUpperNames[][2] = {
    {"kanjis.dat", "KANJIS.DAT"}, {"words.txt", "Words.Txt"}, {"list.rec", "LIST.REC"}};

// The sample's data files under the names of DOS: KANJIS.DAT and so on.
void putUpperCaseSample(const Workdir& w, const std::string& folder = "") {
  for (const auto& name : kUpperNames) {
    w.put(folder + name[1], sampleFile(name[0]));
  }
}

// Runs on Windows too (under Wine), which finds such names by itself.
TEST(LetterCase, UpperCaseDataFilesAreConvertedAndExportedAsLowerCaseOnes) {
  Workdir w;
  putUpperCaseSample(w);
  runExport(w, "--version", "mkdir lower");
  putSample(w, "lower/");

  const RunResult r = w.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, sampleFile("console.txt"));
  EXPECT_EQ(r.listing, sampleFile("list.txt")) << "written as list.txt, its own name";

  for (const char* format : {"csv", "unknown", "records", "dictionary"}) {
    SCOPED_TRACE(format);
    const RunResult upper = runExport(w, std::string("--format ") + format);
    EXPECT_EQ(upper.status, 0);
    EXPECT_EQ(upper.err, "");
    EXPECT_EQ(upper.out, runExport(w, std::string("-C lower --format ") + format).out);
  }
  const RunResult listing = runExport(w, "-C . --format listing --encoding cp932");
  EXPECT_EQ(listing.status, 0);
  EXPECT_EQ(listing.out, sampleFile("list.txt"));
}

TEST(LetterCase, TheImportWritesTheFileByTheNameItHas) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putUpperCaseSample(w);
  ASSERT_EQ(runExport(w, "--format records -o records.csv").status, 0);
  // A change the listing does not show, so that there is something to write.
  std::string records = readFile(w.path("records.csv"));
  ASSERT_EQ(records.find("\r\n1,00000000,"), records.find("\r\n"));
  w.put("records.csv", records.replace(records.find("\r\n1,00000000,") + 10, 1, "1"));
  const RunResult r = runImport(w, "records.csv");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "14 records (12 listed) written to LIST.REC: 1 changed, 0 added, 0 removed, "
            "13 unchanged\n"
            "LIST.REC kept as LIST.REC.~1~\n");
  EXPECT_TRUE(exists(w.path("LIST.REC.~1~")));
  EXPECT_FALSE(exists(w.path("list.rec")));
  EXPECT_EQ(w.run().listing, sampleFile("list.txt"));
}

TEST(LetterCase, TwoNamesForOneDataFileAreAnErrorThatNamesBoth) {
  SKIP_UNDER_RUNNER();  // on Windows one name cannot stand twice
  Workdir w;
  putSample(w);
  runExport(w, "--version", "mkdir sub");
  putSample(w, "sub/");
  const std::string prepare =
      "for d in . sub; do mv $d/list.rec $d/LIST.REC && cp $d/LIST.REC $d/List.rec; done";
  runExport(w, "--version", prepare);

  // listconv takes list.rec as missing, as a file that does not open.
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "listconv: two files could be list.rec: LIST.REC and List.rec\n");
  EXPECT_EQ(r.out, "\n");
  EXPECT_TRUE(r.listingIsFile);
  EXPECT_EQ(r.listing, "");

  RunResult e = runExport(w, "");
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.err, "listconv-export: two files could be list.rec: LIST.REC and List.rec\n");
  EXPECT_EQ(e.out, "");
  e = runExport(w, "-C sub -o out.csv");
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.err, "listconv-export: two files could be list.rec in sub: LIST.REC and List.rec\n");
  EXPECT_FALSE(exists(w.path("out.csv")));
  // A format that does not read list.rec has no use for its name.
  EXPECT_EQ(runExport(w, "--format kanji").status, 0);
  // The check tells of it among the rest, as information.
  e = runExport(w, "--format check");
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.err, "");
  EXPECT_NE(e.out.find("\nlist.rec: not read: two files could be list.rec: LIST.REC and "
                       "List.rec\n"),
            std::string::npos)
      << e.out;

  // The records of sub, where list.rec now has its own name.
  runExport(w, "--version", "mv sub/LIST.REC sub/list.rec");
  ASSERT_EQ(runExport(w, "-C sub --format records -o records.csv").status, 0);
  const RunResult i = runImport(w, "records.csv");
  EXPECT_EQ(i.status, 1);
  EXPECT_EQ(i.err, "listconv-import: two files could be list.rec: LIST.REC and List.rec\n");
  EXPECT_EQ(readFile(w.path("LIST.REC")), sampleFile("list.rec"));
  EXPECT_FALSE(exists(w.path("list.rec")));
}

}  // namespace
}  // namespace e2e
