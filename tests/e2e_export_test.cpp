// End-to-end tests of listconv-export: the real program run in a private
// folder (see workdir.h). LISTCONV_EXPORT_EXE points them at another build of
// it; tests that provoke faults with Linux facilities are skipped when it
// runs through LISTCONV_RUNNER. The values themselves are checked against
// the model on generated data by export_roundtrip_test.py.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "export_e2e.h"
#include "fixtures.h"
#include "workdir.h"

namespace {

using e2e::readFile;
using e2e::RunResult;
using e2e::Workdir;
using fixtures::Record;

using e2e::cannot;
using e2e::exportExe;
using e2e::putSample;
using e2e::runExport;
using e2e::sampleFile;

const char kCsvHeader[] =
    "number,entryId,name1,name2,name3,nameKey,nameCode1,nameCode2,nameCode3,nameKanji1,"
    "nameKanji2,nameKanji3,detail1,detail2,period,detail3,detail4,detail5,detail6,detail7,"
    "wordText,wordLine,kanjiLine,note\r\n";

TEST(ExportEndToEnd, SampleGivesListTxtAndThePinnedReportOfUnknowns) {
  Workdir w;
  putSample(w);
  const RunResult listing = runExport(w, "--format listing --encoding cp932");
  EXPECT_EQ(listing.status, 0);
  EXPECT_EQ(listing.err, "");
  EXPECT_EQ(listing.out, sampleFile("list.txt"));
  EXPECT_FALSE(listing.listingExists) << "list.txt is never written";

  const RunResult unknown = runExport(w, "--format unknown");
  EXPECT_EQ(unknown.status, 0);
  EXPECT_EQ(unknown.err, "");
  EXPECT_EQ(unknown.out, readFile(std::string(LISTCONV_TEST_DATA_DIR) + "/sample-unknown.csv"));
}

TEST(ExportEndToEnd, AUsageErrorIsItsReasonAndWhereTheHelpIsOnTwoLinesAndStatus2) {
  struct Case {
    const char* args;
    const char* reason;
  };
  const Case cases[] = {
      {"--format xml",
       "--format: xml not in {csv,jsonl,listing,unknown,html,records,dictionary,kanji,check}"},
      {"--encoding latin1", "--encoding: latin1 not in {utf-8,cp932}"},
      {"--format jsonl --encoding cp932", "--format jsonl is written in UTF-8 only, not cp932"},
      {"--format html --encoding cp932", "--format html is written in UTF-8 only, not cp932"},
      {"--bom --encoding cp932",
       "--bom is for a UTF-8 CSV: --format csv or unknown, --encoding utf-8"},
      {"--bom --format listing",
       "--bom is for a UTF-8 CSV: --format csv or unknown, --encoding utf-8"},
      {"--escape-formulas --format jsonl",
       "--escape-formulas is for a CSV: --format csv or unknown"},
      {"--escape-formulas --format html",
       "--escape-formulas is for a CSV: --format csv or unknown"},
      {"--escape-formulas --format listing",
       "--escape-formulas is for a CSV: --format csv or unknown"},
      {"--title T", "--title is for --format html"},
      {"--output ''", "--output needs a file name"},
      {"-C ''", "--dir needs a folder name"},  // an unset variable, not this folder
      {"list.rec", "The following argument was not expected: list.rec"},
      {"--nope", "The following argument was not expected: --nope"},
      {"-o", "--output: 1 required FILE missing"},
      {"--format", "--format: 1 required FORMAT missing"},
      {"a b", "The following arguments were not expected: b a"},
  };
  Workdir w;
  putSample(w);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const RunResult r = runExport(w, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string("listconv-export: ") + c.reason +
                         "\nTry 'listconv-export --help' for more information.\n");
  }
}

TEST(ExportEndToEnd, HelpAndVersionGoToStandardOutput) {
  Workdir w;
  const RunResult help = runExport(w, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  const std::string text = e2e::withoutCr(help.out);
  EXPECT_EQ(text.substr(0, 33), "Usage: listconv-export [OPTIONS]\n");
  for (const char* name : {"--format FORMAT", "-C, --dir DIR", "-o, --output FILE",
                           "--escape-formulas", "--title TEXT", "\nExit status:\n"}) {
    EXPECT_NE(text.find(name), std::string::npos) << name;
  }
  // Every line fits 80 columns; every format has a line of its own.
  size_t formats = 0;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "the help ends with a line end";
    const std::string line = text.substr(at, end - at);
    EXPECT_LE(line.size(), 80u) << line;
    for (const char* format : {"csv", "jsonl", "listing", "unknown", "html"}) {
      formats += line.rfind(std::string("  ") + format + "  ", 0) == 0;
    }
  }
  EXPECT_EQ(formats, 5u);
  EXPECT_EQ(runExport(w, "-h").out, help.out);
  const RunResult version = runExport(w, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(e2e::withoutCr(version.out), std::string("listconv-export ") + LISTCONV_VERSION + "\n");
}

TEST(ExportEndToEnd, HelpAndVersionOnAStandardOutputThatCannotBeWrittenFail) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  for (const char* args : {"--help", "--version"}) {
    SCOPED_TRACE(args);
    const std::string cmd = "cd '" + w.path("") + "' && '" + e2e::exportExe() + "' " + args +
                            " >/dev/full 2>'" + w.path(".stderr") + "' </dev/null";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(readFile(w.path(".stderr")), cannot("write", "", ENOSPC));
  }
}

// Only Windows takes a backslash for a separator: elsewhere it is a
// character of the folder's name like any other.
TEST(ExportEndToEnd, ABackslashEndingTheFolderIsPartOfItsName) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  const RunResult here = runExport(w, "");
  const RunResult r =
      runExport(w, "-C 'd\\'", "mkdir 'd\\' && cp kanjis.dat words.txt list.rec 'd\\'/");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, here.out);
}

TEST(ExportEndToEnd, WithoutDataFilesEveryFormatIsEmptyButWhole) {
  struct Case {
    const char* args;
    std::string out;
  };
  const Case cases[] = {
      {"", kCsvHeader},
      {"--format jsonl", ""},
      {"--format listing", ""},
      {"--format unknown --bom", "\xEF\xBB\xBFkind,text,count,first\r\n"},
  };
  Workdir w;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const RunResult r = runExport(w, c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, c.out);
  }
  const RunResult page = runExport(w, "--format html");
  EXPECT_EQ(page.status, 0);
  EXPECT_NE(page.out.find("</span> &middot; from no data files</p>"), std::string::npos);
  EXPECT_NE(page.out.find("{\"fields\":["), std::string::npos);
}

TEST(ExportEndToEnd, CsvRowsAreNumberedAsTheListingAndMayStartWithAMark) {
  Workdir w;
  w.put("list.rec",
        std::string(Record()) + std::string(Record().set(fixtures::kEntryId, "A")) +
            std::string(Record()) +
            std::string(
                Record().set(fixtures::kEntryId, "B,\"").set(fixtures::kNote, "two\r\nlines  ")));
  const std::string rows =
      "1,A,,,,,,,,,,,,,,,,,,,,,,\r\n"
      "2,\"B,\"\"\",,,,,,,,,,,,,,,,,,,,,,\"two\r\nlines\"\r\n";
  EXPECT_EQ(runExport(w, "").out, kCsvHeader + rows);
  EXPECT_EQ(runExport(w, "--bom").out, "\xEF\xBB\xBF" + std::string(kCsvHeader) + rows);
}

TEST(ExportEndToEnd, EscapedFormulasGetAQuoteMarkInTheCsvAndTheReportOfUnknownsOnly) {
  Workdir w;
  w.put("list.rec", std::string(Record()
                                    .set(fixtures::kEntryId, "=1+2")
                                    .set(fixtures::kName1, "@A,B")
                                    .set(fixtures::kWordText, "-X")
                                    .set(fixtures::kNote, "a=b")));
  const RunResult plain = runExport(w, "");
  const RunResult csv = runExport(w, "--escape-formulas");
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(csv.err, "");
  // entryId, name1, two empty names, nameKey, fourteen empty fields, wordText,
  // wordLine, kanjiLine, note.
  const std::string empty14(14, ',');
  EXPECT_EQ(plain.out,
            kCsvHeader + std::string("1,=1+2,\"@A,B\",,,\"@A,B\",") + empty14 + "-X,-X,?,a=b\r\n");
  EXPECT_EQ(csv.out, kCsvHeader + std::string("1,'=1+2,\"'@A,B\",,,\"'@A,B\",") + empty14 +
                         "'-X,'-X,?,a=b\r\n");
  const RunResult report = runExport(w, "--format unknown --encoding cp932 --escape-formulas");
  EXPECT_EQ(report.status, 0);
  EXPECT_EQ(report.out, "kind,text,count,first\r\nword,'-X,1,1\r\n");
}

TEST(ExportEndToEnd, AnOutputFileHoldsWhatStandardOutputWouldAndNothingElseIsLeft) {
  Workdir w;
  putSample(w);
  w.put("out", "an older export\n");
  for (const char* format : {"csv", "jsonl", "listing", "unknown", "html"}) {
    SCOPED_TRACE(format);
    const std::string args = std::string("--format ") + format;
    const RunResult toConsole = runExport(w, args);
    const RunResult toFile = runExport(w, args + " -o out");
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(toFile.err, "");
    EXPECT_EQ(readFile(w.path("out")), toConsole.out);
    // From another folder, with the data files' folder named.
    const RunResult fromAbove =
        runExport(w, args + " -C data -o data/out",
                  "mkdir -p data && cp kanjis.dat words.txt list.rec data/");
    EXPECT_EQ(fromAbove.status, 0);
    EXPECT_EQ(readFile(w.path("data/out")), toConsole.out);
  }
  runExport(w, "--version", "find . -name '*.part*' -o -name '.lcx-*' >.files");
  EXPECT_EQ(readFile(w.path(".files")), "") << "a temporary file is left";
}

TEST(ExportEndToEnd, AnOutputFileThatIsAnInputIsRefusedAndEveryFileKept) {
  Workdir w;
  putSample(w);
  struct Case {
    const char* prepare;
    const char* output;
    const char* err;
  };
  const Case cases[] = {
      {"true", "list.rec", "will not write over list.rec: it is an input"},
      {"rm -f out && ln -s words.txt out", "out",
       "will not write over out: it is the input words.txt"},
      {"rm -f out && ln kanjis.dat out", "out",
       "will not write over out: it is the input kanjis.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prepare);
    if (e2e::runsThroughRunner() && std::string(c.prepare) != "true") {
      continue;  // links are made with Linux facilities
    }
    const RunResult r = runExport(w, std::string("-o ") + c.output, c.prepare);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("listconv-export: ") + c.err + "\n");
    for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
      EXPECT_EQ(readFile(w.path(name)), sampleFile(name)) << name;
    }
  }
}

TEST(ExportEndToEnd, AFailedExportLeavesTheOutputFileAsItWas) {
  SKIP_UNDER_RUNNER();
  struct Case {
    const char* prepare;
    const char* args;
    std::string err;
  };
  const Case cases[] = {
      {"rm list.rec && mkdir list.rec", "-o out",
       cannot("read", "list.rec", EISDIR) + "listconv-export: cannot write out: the export is "
                                            "incomplete\n"},
      {"true", "-o missing/out", cannot("create", "missing/out", ENOENT)},
      {"mkdir -p dir", "-o dir", cannot("write", "dir", EISDIR)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prepare);
    Workdir w;
    putSample(w);
    w.put("out", "old");
    const RunResult r = runExport(w, c.args, c.prepare);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(readFile(w.path("out")), "old");
    runExport(w, "--version", "find . -name '*.part*' -o -name '.lcx-*' >.files");
    EXPECT_EQ(readFile(w.path(".files")), "") << "a temporary file is left";
  }
}

TEST(ExportEndToEnd, AnInputThatCannotBeOpenedIsNamedWithTheExportsNameAndTakenAsMissing) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  const RunResult missing = runExport(w, "-C sub", "mkdir sub && cp kanjis.dat list.rec sub/");
  const RunResult r = runExport(w, "-C sub", "ln -s words.txt sub/words.txt");  // a loop
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, cannot("open", "sub/words.txt", ELOOP));
  EXPECT_EQ(r.out, missing.out);
}

TEST(ExportEndToEnd, AStandardOutputThatCannotBeWrittenFailsTheExport) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  // A full disk.
  const std::string cmd = "cd '" + w.path("") + "' && '" + exportExe() + "' >/dev/full 2>'" +
                          w.path(".stderr") + "' </dev/null";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(readFile(w.path(".stderr")), cannot("write", "", ENOSPC));

  // A pipe whose reader has gone: a failed write as well, not a silent end.
  const std::string errPath = w.path(".stderr");
  const int status = e2e::runIntoClosedPipe(exportExe(), w.path(""), errPath);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(readFile(errPath), cannot("write", "", EPIPE));
}

TEST(ExportEndToEnd, BytesThatAreNoCp932AreCountedOnStandardError) {
  Workdir w;
  w.put("kanjis.dat",
        fixtures::kanjiFile(601, {{600, "\x88\x9F\x82"}}));  // a lead byte alone at its end
  w.put("list.rec", std::string(Record()
                                    .set(fixtures::kEntryId, "A")
                                    .set(fixtures::kNameCode1, "600")
                                    .set(fixtures::kNote, "\xFF\xFF ok")));
  const std::string notice =
      "listconv-export: 3 bytes could not be decoded as CP932 and were written as U+FFFD\n";
  for (const char* format : {"csv", "jsonl", "listing", "html"}) {
    SCOPED_TRACE(format);
    const RunResult r = runExport(w, std::string("--format ") + format);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, notice);
    EXPECT_NE(r.out.find("\xEF\xBF\xBD\xEF\xBF\xBD ok"), std::string::npos);
  }
  const RunResult stored = runExport(w, "--encoding cp932");
  EXPECT_EQ(stored.status, 0);
  EXPECT_EQ(stored.err, "");
  EXPECT_NE(stored.out.find(",\xFF\xFF ok\r\n"), std::string::npos);
}

TEST(ExportEndToEnd, TheHtmlPageIsTheSameForTheSameDataAndCarriesItsHeading) {
  Workdir w;
  putSample(w);
  const RunResult first = runExport(w, "--format html");
  const RunResult again = runExport(w, "--format html");
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(first.out, again.out);
  EXPECT_NE(first.out.find("<title>Listing</title>"), std::string::npos);
  EXPECT_NE(first.out.find("</span> &middot; from kanjis.dat, words.txt, list.rec</p>"),
            std::string::npos);

  const RunResult titled =
      runExport(w, "--format html --title 'Swords & <Fittings>'", "rm words.txt");
  EXPECT_NE(titled.out.find("<h1>Swords &amp; &lt;Fittings&gt;</h1>"), std::string::npos);
  EXPECT_NE(titled.out.find("from kanjis.dat, list.rec</p>"), std::string::npos);
}

TEST(ExportEndToEnd, FormatAndEncodingNamesMeanTheSameInAnyLetterCase) {
  Workdir w;
  putSample(w);
  const std::pair<const char*, const char*> spellings[] = {
      {"--format JSONL", "--format jsonl"},
      {"--encoding UTF-8 --format jsonl", "--format jsonl"},
      {"--format Listing --encoding CP932", "--format listing --encoding cp932"},
      {"--format UNKNOWN", "--format unknown"},
      {"--format Html", "--format html"},
      {"--format CSV --encoding Utf-8", "--format csv"},
  };
  for (const auto& [spelled, plain] : spellings) {
    SCOPED_TRACE(spelled);
    const RunResult r = runExport(w, spelled);
    const RunResult want = runExport(w, plain);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, want.out);
  }
  EXPECT_EQ(runExport(w, "--format JSONL").out.substr(0, 12), "{\"number\":1,");
}

TEST(ExportEndToEnd, AKanjiStoredAsAQuestionMarkIsNoUnknownCode) {
  Workdir w;
  // Code 600 names a kanji whose text is "?"; 700 names none.
  w.put("kanjis.dat", fixtures::kanjiFile(601, {{600, std::string("?\0", 2)}}));
  w.put("list.rec", std::string(Record()
                                    .set(fixtures::kEntryId, "A")
                                    .set(fixtures::kNameCode1, "600")
                                    .set(fixtures::kNameCode2, "7 00")
                                    .set(fixtures::kWordText, "ab[600,700]")));
  const RunResult r = runExport(w, "--format unknown");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "kind,text,count,first\r\ncode,700,2,1\r\n");
  // Both show as "?" all the same.
  const RunResult listing = runExport(w, "--format listing");
  EXPECT_NE(listing.out.find("(? ? )\r\n"), std::string::npos);
  EXPECT_NE(listing.out.find("\r\n ? ?\r\n"), std::string::npos);
}

}  // namespace
