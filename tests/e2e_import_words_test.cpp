// End-to-end tests of listconv-import's dictionary: an export of words.txt
// imported again leaves its bytes alone, an edit changes only its own line,
// and entries the look-up could never use are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "export_e2e.h"

namespace e2e {
namespace {

// The sample's kanjis.dat with `words` as words.txt, and the folder's
// dictionary export in words.csv.
std::string putWords(const Workdir& w, const std::string& words) {
  w.put("kanjis.dat", sampleFile("kanjis.dat"));
  w.put("words.txt", words);
  const RunResult r = runExport(w, "--format dictionary -o words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  return readFile(w.path("words.csv"));
}

// `text` with its first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A words.txt with what old files hold: blank lines, a line of blanks, a
// line ended by LF alone, lines that take their word and codes from the line
// before, a line the reader cuts in two, a lower-case key, a repeated key, a
// code of no kanji and one that is no number, and a last line without its
// line end.
const std::string kOddWords =
    "A aa 530\r\n"
    "\r\n"
    "B bb 531\n"
    "   \r\n"
    "C\r\n"
    "D dd\r\n" +
    std::string(100, 'L') +
    "\r\n"
    "lower case 530\r\n"
    "A again 533\r\n"
    "NOKANJI x 999 abc\r\n"
    "  E   ee   533   530  \r\n"
    "LAST last 545";

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(ImportWordsEndToEnd, AnUnchangedExportLeavesWordsTxtByteForByte) {
  const struct {
    const char* what;
    std::string words;
  } cases[] = {
      {"the sample", sampleFile("words.txt")},
      {"old files' oddities", kOddWords},
      {"bytes after 0x1A",
       "A aa 530\r\nB\x1A"
       "C cc 531\r\ngarbage"},
      {"an empty file", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    const std::string csv = putWords(w, c.words);
    // An empty dictionary's JSON Lines export has no row to tell its kind.
    for (const char* format : {"", c.words.empty() ? "" : "--as jsonl "}) {
      SCOPED_TRACE(format);
      ASSERT_EQ(runExport(w, std::string("--format dictionary ") + format + "-o words.csv").status,
                0);
      const RunResult r = runImport(w, "words.csv");
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_NE(r.out.find(" dictionary entries in words.txt unchanged: nothing written\n"),
                std::string::npos)
          << r.out;
      EXPECT_EQ(readFile(w.path("words.txt")), c.words);
      EXPECT_FALSE(fileExists(w.path("words.txt.~1~"))) << "nothing replaced, nothing backed up";
    }
  }
  Workdir w;
  putWords(w, sampleFile("words.txt"));
  EXPECT_EQ(runImport(w, "--check words.csv").out,
            "34 dictionary entries in words.txt unchanged: nothing would be written\n");
}

TEST(ImportWordsEndToEnd, AnEditedEntryChangesOnlyItsOwnLine) {
  Workdir w;
  const std::string csv = putWords(w, sampleFile("words.txt"));
  w.put("words.csv", replaced(csv, "\n1,KATANA,katana,", "\n1,KATANA,katanas,"));
  RunResult r = runImport(w, "--check words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "words.txt: line 1: \"KATANA\": word: \"katana\" \xE2\x86\x92 \"katanas\"\n"
            "34 dictionary entries would be written to words.txt: 1 changed, 0 added, 0 removed, "
            "33 unchanged\n");
  EXPECT_EQ(readFile(w.path("words.txt")), sampleFile("words.txt"));

  r = runImport(w, "words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "34 dictionary entries written to words.txt: 1 changed, 0 added, 0 removed, "
            "33 unchanged\n"
            "words.txt kept as words.txt.~1~\n");
  EXPECT_EQ(readFile(w.path("words.txt")),
            replaced(sampleFile("words.txt"), "KATANA katana 530\r\n", "KATANA katanas 530\r\n"));
  EXPECT_EQ(readFile(w.path("words.txt.~1~")), sampleFile("words.txt"));
}

TEST(ImportWordsEndToEnd, OldLinesStandAsTheyAreAroundAnEdit) {
  Workdir w;
  const std::string csv = putWords(w, kOddWords);
  // E's line is written anew; the line after it, without a line end, stays.
  w.put("words.csv", replaced(csv, ",E,ee,", ",E,ex,"));
  RunResult r = runImport(w, "words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(w.path("words.txt")),
            replaced(kOddWords, "  E   ee   533   530  \r\n", "E ex 533 530\r\n"));

  // The cut line after D takes D's word, and no line of 79 bytes holds its
  // key and the old word: refused at its row, with why.
  w.put("words.csv", replaced(putWords(w, kOddWords), ",D,dd,", ",D,dx,"));
  r = runImport(w, "words.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("words.csv:6: key: \"LLLL"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("a line longer than the 79 bytes the reader takes at a time (its line took "
                       "the word or codes of a line that changed: change them in its row too)\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(readFile(w.path("words.txt")), kOddWords);

  // B's word and codes stand on C's line too, which the reader fills in from
  // B's: C is written out whole so that it keeps them.
  putWords(w, kOddWords);
  w.put("words.csv", replaced(readFile(w.path("words.csv")), ",B,bb,531,", ",B,bx,530,"));
  r = runImport(w, "--check words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("words.txt: line 5: \"C\": written anew: it took its word or codes from a "
                       "line that changed\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(": 1 changed, 0 added, 0 removed, 1 written anew, "), std::string::npos)
      << r.out;
  r = runImport(w, "words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(w.path("words.txt")),
            replaced(replaced(kOddWords, "B bb 531\n", "B bx 530\r\n"), "C\r\n", "C bb 531\r\n"));
}

TEST(ImportWordsEndToEnd, EntriesAreAddedAtTheEndAndRemovedWithTheirLines) {
  Workdir w;
  const std::string csv = putWords(w, kOddWords);
  // B's row out, a row without a line in.
  std::string edited = csv;
  const size_t b = edited.find("\r\n3,B,");
  ASSERT_NE(b, std::string::npos);
  edited.erase(b, edited.find("\r\n", b + 2) - b);
  edited += ",NEW,new,533 530,,\r\n";
  w.put("words.csv", edited);
  RunResult r = runImport(w, "--check words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("words.txt: line 3: \"B\": removed\n"
                       "words.txt: line 5: \"C\": written anew"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("words.txt: new entry \"NEW\": added\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(": 0 changed, 1 added, 1 removed, 1 written anew, "), std::string::npos)
      << r.out;
  r = runImport(w, "words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  // C took B's word and codes; without B it says them itself. The last
  // line gets its line end, as a line follows it now.
  EXPECT_EQ(readFile(w.path("words.txt")),
            replaced(replaced(kOddWords, "B bb 531\n", ""), "C\r\n", "C bb 531\r\n") +
                "\r\nNEW new 533 530\r\n");
}

TEST(ImportWordsEndToEnd, EntriesTheLookUpCouldNeverUseAreRefused) {
  const struct {
    const char* what;
    std::string row;
    std::string message;
  } cases[] = {
      {"KATANA a second time", ",KATANA,again,530,,\r\n",
       "words.csv:36: key: \"KATANA\": words.txt has this word already; only its first entry "
       "is ever found\n"},
      {"a lower-case key", ",Katana,katana,530,,\r\n",
       "words.csv:36: key: \"Katana\": a key with small letters, which the look-up never finds: "
       "words are looked up upper-cased\n"},
      {"codes that are no number", ",ABC,abc,abc,,\r\n",
       "words.csv:36: codes: \"abc\": a code that is not a number\n"},
      {"a code naming no kanji", ",NONE,none,530 9999,,\r\n",
       "words.csv:36: codes: \"530 9999\": a code that names no kanji in kanjis.dat\n"},
      {"a changed entry takes a lower-case key", "",
       "words.csv:2: key: \"katana\": a key with small letters"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    std::string csv = putWords(w, sampleFile("words.txt"));
    csv = c.row.empty() ? replaced(csv, "\n1,KATANA,", "\n1,katana,") : csv + c.row;
    w.put("words.csv", csv);
    for (const char* check : {"--check ", ""}) {
      const RunResult r = runImport(w, std::string(check) + "words.csv");
      EXPECT_EQ(r.status, 1);
      EXPECT_NE(r.err.find("listconv-import: " + c.message), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(readFile(w.path("words.txt")), sampleFile("words.txt"));
      EXPECT_FALSE(fileExists(w.path("words.txt.~1~")));
    }
  }
}

TEST(ImportWordsEndToEnd, ALineThatHoldsNoEntryIsRefused) {
  const struct {
    std::string rows;
    const char* message;
  } cases[] = {
      {"2,BLANK,blank,530,,\r\n", "words.csv:13: line: 2: words.txt has no entry on this line"},
      {"99,FAR,far,530,,\r\n", "words.csv:13: line: 99: words.txt has no entry on this line"},
      {"x,X,x,530,,\r\n",
       "words.csv:13: line: \"x\": not a line of words.txt: a number from 1, or nothing for a new "
       "entry"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    Workdir w;
    w.put("words.csv", putWords(w, kOddWords) + c.rows);
    const RunResult r = runImport(w, "words.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string("listconv-import: ") + c.message), std::string::npos) << r.err;
    EXPECT_EQ(readFile(w.path("words.txt")), kOddWords);
  }
}

TEST(ImportWordsEndToEnd, ALongCheckListsTheFirstChangesAndCountsTheRest) {
  Workdir w;
  std::string words;
  std::string csv = "line,key,word,codes\r\n";
  for (int i = 1; i <= 1500; ++i) {
    words += "K" + std::to_string(i) + " w 530\r\n";
    csv += std::to_string(i) + ",K" + std::to_string(i) + ",v,530\r\n";
  }
  putWords(w, words);
  w.put("words.csv", csv);
  const RunResult r = runImport(w, "--check words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("words.txt: line 1000: \"K1000\": word: "), std::string::npos);
  EXPECT_EQ(r.out.find("line 1001:"), std::string::npos);
  EXPECT_NE(r.out.find("words.txt: and 500 more changes\n"
                       "1500 dictionary entries would be written to words.txt: 1500 changed, 0 "
                       "added, 0 removed, 0 unchanged\n"),
            std::string::npos)
      << r.out.substr(r.out.size() - 300);
}

}  // namespace e2e
