// End-to-end tests of listconv-import: what it refuses (every problem
// reported, nothing written) and how it replaces the data files.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "export_e2e.h"

namespace e2e {
namespace {

const char kRecordHeader[] =
    "record,reserved,entryId,name1,name2,name3,nameCode1,nameCode2,nameCode3,detail1,detail2,"
    "period,detail3,detail4,detail5,detail6,detail7,wordText,note\r\n";
const char kRecordRow[] =
    "1,00000000,A-1,Masa,mune,,539,544,,d1,d2,Edo,d3,d4,d5,d6,d7,KATANA,n\r\n";

// Runs listconv-import in `w` as runImport does, its standard input a pipe
// from the folder's file `input`.
RunResult runImportFromPipe(const Workdir& w, const std::string& input, const std::string& args) {
  const std::string cmd = "cd '" + w.path("") + "' && cat '" + input + "' | " +
                          envOr("LISTCONV_RUNNER", "") + " '" + importExe() + "' " + args + " >'" +
                          w.path(".stdout") + "' 2>'" + w.path(".stderr") + "'";
  const int raw = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readFile(w.path(".stdout"));
  r.err = readFile(w.path(".stderr"));
  if (std::getenv("LISTCONV_CONSOLE_CRLF") != nullptr) {
    r.err = withoutCr(r.err);
    r.out = withoutCr(r.out);
  }
  return r;
}

// The names in the folder, hidden ones included, sorted, but the runs' own.
std::string folderNames(const Workdir& w) {
  std::vector<std::string> names;
  DIR* d = opendir(w.path("").c_str());
  for (const dirent* e = d != nullptr ? readdir(d) : nullptr; e != nullptr; e = readdir(d)) {
    const std::string name = e->d_name;
    // listconv.lock: the file the Windows build locks the folder by.
    if (name != "." && name != ".." && name != ".stdout" && name != ".stderr" &&
        name != "listconv.lock") {
      names.push_back(name);
    }
  }
  if (d != nullptr) {
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) {
    text += name + " ";
  }
  return text;
}

// A row of a records export: `values` by field, every other field empty.
std::string recordRow(const std::map<std::string, std::string>& values) {
  static const char* const kColumns[] = {
      "record",    "reserved",  "entryId", "name1",    "name2",  "name3",   "nameCode1",
      "nameCode2", "nameCode3", "detail1", "detail2",  "period", "detail3", "detail4",
      "detail5",   "detail6",   "detail7", "wordText", "note"};
  std::string row;
  for (const char* column : kColumns) {
    const auto at = values.find(column);
    row += (column == kColumns[0] ? "" : ",") + (at == values.end() ? std::string() : at->second);
  }
  return row + "\r\n";
}

}  // namespace

TEST(ImportEndToEnd, RefusedInputsAreReportedWithTheirPlaceAndNothingIsWritten) {
  struct Case {
    const char* what;
    std::string file;  // put as in.csv
    std::string message;
  };
  const std::string header = kRecordHeader;
  const Case cases[] = {
      {"a column left out", "record,entryId\r\n1,A\r\n",
       "in.csv:1: name1: a column that the file lacks: name1"},
      {"a column twice", header.substr(0, header.size() - 2) + ",note\r\n",
       "in.csv:1: note: a column that stands twice: note"},
      {"an unterminated quote", header + "1,,\"A-1,\r\n", "in.csv:2: "},
      {"bytes that are not UTF-8", header + recordRow({{"entryId", "A\xFF"}}),
       "in.csv:2: entryId: a byte that is not UTF-8: 0xFF"},
      {"a row of another width", header + "1,2,3\r\n", "a row of 3 values; the header has 19"},
      {"the listing's csv", "number,entryId,name1,nameKey,wordLine\r\n",
       "in.csv: an export of the csv format, whose values are the listing's, not the stored "
       "ones: export the records with --format records"},
      {"a character CP932 lacks", header + recordRow({{"entryId", "\xF0\xA0\xAE\xB7-1"}}),
       "in.csv:2: entryId: \"\xF0\xA0\xAE\xB7-1\": a character that CP932 cannot hold: "
       "U+20BB7 \xF0\xA0\xAE\xB7"},
      {"a look-alike", header + recordRow({{"name1", "\xC2\xA5"}}),
       "a character that CP932 cannot hold: U+00A5 \xC2\xA5 (use"},
      {"a value too long",
       header + recordRow({{"detail3", "\xE6\x97\xA5\xE6\x9C\xAC\xE5\x88\x80 1234567890123456"}}),
       "in.csv:2: detail3: \"\xE6\x97\xA5\xE6\x9C\xAC\xE5\x88\x80 1234567890123456\": 23 bytes in "
       "CP932; detail3 holds 18"},
      {"a bad reserved", header + recordRow({{"reserved", "12345"}}),
       "in.csv:2: reserved: \"12345\""},
      {"a kanji kanjis.dat lacks", "key,word,codes,kanji\r\nYARI,yari,,\xE9\x91\x93\r\n",
       "in.csv:2: kanji: \"\xE9\x91\x93\": a kanji that kanjis.dat does not have: \xE9\x91\x93"},
      {"a key the reader splits", "key,word,codes\r\nTWO KEYS,w,600\r\n",
       "in.csv:2: key: \"TWO KEYS\": a key that the reader would split or change"},
      {"a line the reader cuts", "key,word,codes\r\n" + std::string(71, 'K') + ",word,600 601\r\n",
       "a line longer than the 79 bytes the reader takes at a time"},
      {"codes the reader would fill in", "key,word,codes\r\nA,a,530\r\nB,b,\r\n",
       "in.csv:3: codes: \"\": an entry without codes would take the codes of the line before"},
      {"neither kind", "kind,text,count,first\r\n", "in.csv: neither records"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    putSample(w);
    w.put("in.csv", c.file);
    const std::string before = folderNames(w);
    const RunResult r = runImport(w, "in.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("listconv-import: ", 0), 0u) << r.err;
    EXPECT_EQ(folderNames(w), before) << "nothing is written, nothing is left";
    EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
    EXPECT_EQ(readFile(w.path("words.txt")), sampleFile("words.txt"));
  }
}

TEST(ImportEndToEnd, ManyProblemsAreCountedAfterTheFirstFifty) {
  Workdir w;
  std::string file = kRecordHeader;
  for (int i = 0; i < 60; ++i) {
    file += ",,entryIdTooLong,,,,,,,,,,,,,,,,\r\n";
  }
  w.put("in.csv", file);
  const RunResult r = runImport(w, "in.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("in.csv:51: entryId"), std::string::npos);
  EXPECT_EQ(r.err.find("in.csv:52: entryId"), std::string::npos);
  EXPECT_NE(r.err.find("listconv-import: and 10 more problems\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("listconv-import: nothing was written\n"), std::string::npos);
}

TEST(ImportEndToEnd, TheReplacedFilesAreKeptAsBackups) {
  Workdir w;
  putSample(w);
  w.put("in.csv", std::string(kRecordHeader) + kRecordRow);
  w.put("words.csv", "key,word,kanji\r\nKATANA,katana,\xE5\x88\x80\r\n");
  w.put("list.rec.~1~", "an older backup");

  // An export without lines is the whole dictionary: every old entry goes.
  RunResult r = runImport(w, "--check in.csv words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  // The changes listed first, then what would be written.
  EXPECT_EQ(r.out.rfind("list.rec: record 1: entryId: \"A-0001\" \xE2\x86\x92 \"A-1\"\n", 0), 0u)
      << r.out;
  // The records' summary comes before the dictionary's changes.
  EXPECT_NE(r.out.find("list.rec: record 14: removed\n"
                       "1 record (1 listed) would be written to list.rec: 1 changed, 0 added, "
                       "13 removed, 0 unchanged\n"
                       "words.txt: line 1: \"KATANA\": removed\n"),
            std::string::npos)
      << r.out;
  const std::string last =
      "words.txt: line 34: \"MISSING\": removed\n"
      "words.txt: new entry \"KATANA\": added\n"
      "1 dictionary entry would be written to words.txt: 0 changed, 1 added, 34 removed, 0 "
      "unchanged\n";
  EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), last.size())), last) << r.out;
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));

  r = runImport(w, "in.csv words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "1 record (1 listed) written to list.rec: 1 changed, 0 added, 13 removed, "
            "0 unchanged\n"
            "1 dictionary entry written to words.txt: 0 changed, 1 added, 34 removed, 0 "
            "unchanged\n"
            "list.rec kept as list.rec.~2~\n"
            "words.txt kept as words.txt.~1~\n");
  EXPECT_EQ(readFile(w.path("list.rec")).size(), 666u);
  EXPECT_EQ(readFile(w.path("list.rec.~1~")), "an older backup");
  EXPECT_EQ(readFile(w.path("list.rec.~2~")), sampleFile("list.rec"));
  EXPECT_EQ(readFile(w.path("words.txt.~1~")), sampleFile("words.txt"));
  EXPECT_EQ(readFile(w.path("words.txt")), "KATANA katana 530\r\n");
  EXPECT_EQ(folderNames(w),
            "in.csv kanjis.dat list.rec list.rec.~1~ list.rec.~2~ words.csv words.txt "
            "words.txt.~1~ ");

  // Every backup is kept: the next one takes the next number. Each import
  // changes the word, since an unchanged file is neither written nor backed
  // up; a row without a line is a new entry, and the old one is removed.
  const auto importWord = [&](const std::string& word, const std::string& options) {
    w.put("words.csv", "key,word,kanji\r\nKATANA," + word + ",\xE5\x88\x80\r\n");
    return runImport(w, options + "words.csv");
  };
  const std::string changed =
      "1 dictionary entry written to words.txt: 0 changed, 1 added, 1 removed, 0 unchanged\n";
  r = importWord("tachi", "--backup=simple ");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, changed + "words.txt kept as words.txt~\n");
  r = importWord("tanto", "--backup=none ");
  EXPECT_EQ(r.out, changed);
  r = importWord("tanto", "");
  EXPECT_EQ(r.out, "1 dictionary entry in words.txt unchanged: nothing written\n");
  r = importWord("katana", "");
  EXPECT_EQ(r.out, changed + "words.txt kept as words.txt.~2~\n");
  EXPECT_EQ(readFile(w.path("words.txt~")), "KATANA katana 530\r\n");
  EXPECT_EQ(readFile(w.path("words.txt.~2~")), "KATANA tanto 530\r\n");
  EXPECT_EQ(folderNames(w),
            "in.csv kanjis.dat list.rec list.rec.~1~ list.rec.~2~ words.csv words.txt "
            "words.txt.~1~ words.txt.~2~ words.txt~ ");
  EXPECT_EQ(runImport(w, "--backup=all words.csv").status, 2);
}

TEST(ImportEndToEnd, ALinkedDataFileIsReplacedThroughTheLinkKeepingItsMode) {
  if (runsThroughRunner()) {
    GTEST_SKIP() << "POSIX links and modes, which the runner's system does not have";
  }
  Workdir w;
  putSample(w);
  w.put("in.csv", std::string(kRecordHeader) + kRecordRow);
  ASSERT_EQ(mkdir(w.path("real").c_str(), 0755), 0);
  ASSERT_EQ(rename(w.path("list.rec").c_str(), w.path("real/data.bin").c_str()), 0);
  ASSERT_EQ(symlink("real/data.bin", w.path("list.rec").c_str()), 0);
  ASSERT_EQ(chmod(w.path("real/data.bin").c_str(), 0640), 0);
  const RunResult r = runImport(w, "in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  struct stat st;
  ASSERT_EQ(lstat(w.path("list.rec").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";
  ASSERT_EQ(stat(w.path("real/data.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_size, 666);
  // The backup lies beside the name the user knows, not beside the link's target.
  EXPECT_EQ(readFile(w.path("list.rec.~1~")), sampleFile("list.rec"));
  EXPECT_EQ(folderNames(w), "in.csv kanjis.dat list.rec list.rec.~1~ real words.txt ");
  DIR* d = opendir(w.path("real").c_str());
  int entries = 0;
  while (readdir(d) != nullptr) {
    ++entries;
  }
  closedir(d);
  EXPECT_EQ(entries, 3) << "., .. and data.bin: nothing new beside the target";
}

TEST(ImportEndToEnd, AnExportThatIsADataFileToBeWrittenIsRefused) {
  Workdir w;
  putSample(w);
  w.put("in.csv", std::string(kRecordHeader) + kRecordRow);
  ASSERT_EQ(symlink("in.csv", w.path("list.rec.csv").c_str()), 0);
  ASSERT_EQ(unlink(w.path("list.rec").c_str()), 0);
  ASSERT_EQ(link(w.path("in.csv").c_str(), w.path("list.rec").c_str()), 0);
  const RunResult r = runImport(w, "list.rec.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("will not write over list.rec: it is the input list.rec.csv"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(readFile(w.path("in.csv")), std::string(kRecordHeader) + kRecordRow);
}

TEST(ImportEndToEnd, AHyphenReadsStandardInputByteForByte) {
  // A value holding CR LF and a CP932 kanji: a text-mode read would change both.
  const std::string file =
      std::string(kRecordHeader) + recordRow({{"entryId", "A-1"}, {"note", "\"a\r\nb\x8A\xBF\""}});
  Workdir byName;
  putSample(byName);
  byName.put("in.csv", file);
  RunResult r = runImport(byName, "--encoding cp932 in.csv");
  ASSERT_EQ(r.status, 0) << r.err;

  Workdir piped;
  putSample(piped);
  piped.put("in.csv", file);
  r = runImportFromPipe(piped, "in.csv", "--encoding cp932 -");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "1 record (1 listed) written to list.rec: 0 changed, 1 added, 14 removed, "
            "0 unchanged\n"
            "list.rec kept as list.rec.~1~\n");
  EXPECT_EQ(readFile(piped.path("list.rec")), readFile(byName.path("list.rec")));

  // Its problems are named by where they came from.
  piped.put("bad.csv", std::string(kRecordHeader) + recordRow({{"entryId", "A\xFF"}}));
  r = runImportFromPipe(piped, "bad.csv", "--check -");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("listconv-import: standard input:2: entryId: a byte that is not UTF-8: "
                       "0xFF\n"),
            std::string::npos)
      << r.err;
}

TEST(ImportEndToEnd, AHyphenGivenTwiceIsAUsageError) {
  Workdir w;
  putSample(w);
  const RunResult r = runImport(w, "- in.csv -");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("- (standard input) given twice"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
}

TEST(ImportEndToEnd, ACp932FileReadAsUtf8IsRefusedWithAHint) {
  Workdir w;
  putSample(w);
  // 田中 and 中 in CP932, and a row of ASCII between them.
  w.put("in.csv", std::string(kRecordHeader) +
                      recordRow({{"entryId", "A-2"}, {"name1", "\x93\x63\x92\x86"}}) + kRecordRow +
                      recordRow({{"entryId", "A-3"}, {"name2", "\x92\x86"}}));
  RunResult r = runImport(w, "--check in.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "listconv-import: in.csv:2: name1: a byte that is not UTF-8: 0x93; the file reads as "
            "CP932: try --encoding cp932\n"
            "listconv-import: in.csv:4: name2: a byte that is not UTF-8: 0x92\n"
            "listconv-import: nothing was written\n");
  r = runImport(w, "--check --encoding cp932 in.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string summary =
      "\n3 records (3 listed) would be written to list.rec: 1 changed, 2 added, 13 removed, "
      "0 unchanged\n";
  ASSERT_GE(r.out.size(), summary.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - summary.size()), summary) << r.out;
}

TEST(ImportEndToEnd, ColumnsOfNoFormatAreNamedAsIgnored) {
  Workdir w;
  putSample(w);
  const std::string header = kRecordHeader;
  std::string row = kRecordRow;
  row.insert(row.size() - 2, ",A-2");
  w.put("in.csv", header.substr(0, header.size() - 2) + ",EntryID\r\n" + row);
  // The dictionary's found column is the export's own and is not named.
  w.put("words.csv", "line,key,word,codes,kanji,found,note\r\n1,KATANA,katana,530,,yes,x\r\n");
  const std::string notices =
      "listconv-import: in.csv: column \"EntryID\" is not one of the records format's: ignored\n"
      "listconv-import: words.csv: column \"note\" is not one of the dictionary format's: "
      "ignored\n";
  RunResult r = runImport(w, "--check in.csv words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, notices);
  r = runImport(w, "in.csv words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, notices);
  EXPECT_EQ(readFile(w.path("words.txt")), "KATANA katana 530\r\n");
}

}  // namespace e2e
