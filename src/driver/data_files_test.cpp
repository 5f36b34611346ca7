// Finding the data files of a folder in any letter case, the clashes of
// their names, and the data file that an output would write over.
#include "driver/data_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A folder of its own below the temporary folder, removed with what it holds.
struct Folder {
  fs::path path =
      fs::temp_directory_path() / ("listconv-data-files-" + std::to_string(std::random_device()()));

  Folder() { fs::create_directories(path); }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

void addFile(const Folder& folder, const std::string& name) {
  std::ofstream(folder.path / name, std::ios::binary) << name;
}

// True when the folder's file system takes names that differ only in letter
// case for one name (Windows, and Linux under Wine).
bool foldsCase(const Folder& folder) {
  addFile(folder, "case-probe");
  const bool folds = fs::exists(folder.path / "CASE-PROBE");
  fs::remove(folder.path / "case-probe");
  return folds;
}

// A folder's files, the name each data file is found by, and the clashes'
// messages ({DIR} for the folder).
struct FolderCase {
  const char* what;
  std::vector<std::string> files;
  const char* kanji;
  const char* words;
  const char* records;
  std::vector<std::string> clashes;
  bool needsCaseSensitiveNames;
};

const FolderCase kFolderCases[] = {
    {"the exact names",
     {"kanjis.dat", "words.txt", "list.rec"},
     "kanjis.dat",
     "words.txt",
     "list.rec",
     {},
     false},
    {"names from DOS and Windows",
     {"KANJIS.DAT", "Words.Txt", "LIST.REC"},
     "KANJIS.DAT",
     "Words.Txt",
     "LIST.REC",
     {},
     false},
    {"no data files: the exact names, missing",
     {},
     "kanjis.dat",
     "words.txt",
     "list.rec",
     {},
     false},
    {"names that are more than the letter case away are not taken",
     {"LIST.REC.~1~", "KANJIS.DA", "words_txt", "list.txt"},
     "kanjis.dat",
     "words.txt",
     "list.rec",
     {},
     false},
    {"the exact name goes before one in other letter case",
     {"LIST.REC", "list.rec", "WORDS.TXT"},
     "kanjis.dat",
     "WORDS.TXT",
     "list.rec",
     {},
     true},
    {"two names in other letter case: none is taken",
     {"LIST.REC", "List.rec", "kanjis.dat"},
     "kanjis.dat",
     "words.txt",
     "list.rec",
     {"two files could be list.rec in {DIR}: LIST.REC and List.rec"},
     true},
    {"three, in byte order, beside a clash of another file",
     {"list.REC", "LIST.REC", "List.rec", "WORDS.TXT", "words.TXT"},
     "kanjis.dat",
     "words.txt",
     "list.rec",
     {"two files could be words.txt in {DIR}: WORDS.TXT and words.TXT",
      "3 files could be list.rec in {DIR}: LIST.REC, List.rec and list.REC"},
     true},
};

// Expects the data file found at `found` to be the one at `expected`: by
// name, or where the system itself takes a name in any letter case (Windows
// passes the bare name to it), by the file it opens.
void expectFound(const std::string& found, const std::string& expected, bool foldsCase) {
  if (!foldsCase) {
    EXPECT_EQ(found, expected);
    return;
  }
  const FileId expectedId = fileIdAt(expected);
  EXPECT_EQ(fileIdAt(found).known, expectedId.known) << found;
  EXPECT_TRUE(!expectedId.known || sameFile(fileIdAt(found), expectedId)) << found;
}

std::string withDir(std::string text, const std::string& dir) {
  const size_t at = text.find("{DIR}");
  return at == std::string::npos ? text : text.replace(at, 5, dir);
}

TEST(DataFiles, AreFoundInAnyLetterCaseAndSeveralCandidatesClash) {
  for (const FolderCase& c : kFolderCases) {
    SCOPED_TRACE(c.what);
    const Folder folder;
    const bool folds = foldsCase(folder);
    if (c.needsCaseSensitiveNames && folds) {
      continue;  // such a folder cannot hold these names side by side
    }
    for (const std::string& name : c.files) {
      addFile(folder, name);
    }
    const std::string dir = folder.path.string();
    const DataFiles files = dataFilesIn(dir);
    expectFound(files.kanji, pathInFolder(dir, c.kanji), folds);
    expectFound(files.words, pathInFolder(dir, c.words), folds);
    expectFound(files.records, pathInFolder(dir, c.records), folds);
    std::vector<std::string> messages;
    for (const NameClash& clash : files.clashes) {
      messages.push_back(clash.message);
      EXPECT_EQ(clashOver(files, clash.file), &clash);
    }
    std::vector<std::string> expected;
    for (const std::string& message : c.clashes) {
      expected.push_back(withDir(message, dir));
    }
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(clashOver(files, kKanjiFile), nullptr);
  }
}

TEST(DataFiles, OnlyTheClashesOfTheFilesARunReadsAreReported) {
  DataFiles files;
  files.clashes = {{kWordFile, "two files could be words.txt: WORDS.TXT and words.TXT"},
                   {kRecordFile, "two files could be list.rec: LIST.REC and List.rec"}};
  struct ReadsCase {
    RunReads reads;
    bool any;
    std::string said;
  };
  const ReadsCase cases[] = {
      {RunReads(), true,
       "prog: two files could be words.txt: WORDS.TXT and words.TXT\n"
       "prog: two files could be list.rec: LIST.REC and List.rec\n"},
      {RunReads{true, false, true}, true,
       "prog: two files could be list.rec: LIST.REC and List.rec\n"},
      {RunReads{true, false, false}, false, ""},
  };
  for (const ReadsCase& c : cases) {
    SCOPED_TRACE(c.said);
    testing::internal::CaptureStderr();
    const bool any = reportNameClashes("prog", files, c.reads);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
    EXPECT_EQ(any, c.any);
  }
}

TEST(DataFiles, AnOutputThatIsADataFileIsKnownByTheFileItself) {
  const Folder folder;
  for (const char* name : {"KANJIS.DAT", "words.txt", "list.rec", "other.rec", "list.txt"}) {
    addFile(folder, name);
  }
  const std::string dir = folder.path.string();
  const DataFiles files = dataFilesIn(dir);
  const std::string other = pathInFolder(dir, "other.rec");
  InputFile closed;
  EXPECT_EQ(inputUnderOutput(fileIdAt(files.kanji), files, closed), &files.kanji);
  EXPECT_EQ(inputUnderOutput(fileIdAt(files.words), files, closed), &files.words);
  EXPECT_EQ(inputUnderOutput(fileIdAt(files.records), files, closed), &files.records);
  EXPECT_EQ(inputUnderOutput(fileIdAt(pathInFolder(dir, "list.txt")), files, closed), nullptr);
  EXPECT_EQ(inputUnderOutput(fileIdAt(pathInFolder(dir, "gone.txt")), files, closed), nullptr);

  // Once list.rec is open, the file opened is the record file, whatever
  // now stands at its name.
  InputFile records;
  ASSERT_TRUE(openInput(records, other.c_str(), false));
  EXPECT_EQ(inputUnderOutput(fileIdAt(other), files, records), &files.records);
  EXPECT_EQ(inputUnderOutput(fileIdAt(files.records), files, records), nullptr);
  closeInput(records);
}

}  // namespace
