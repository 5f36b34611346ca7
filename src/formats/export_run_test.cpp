// Tests of the export's run that need a fault in the middle of it.
#include "formats/export_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fixtures.h"
#include "io/fault_injection.h"

namespace {

using fixtures::Record;

TEST(ExportRun, AReadFaultInTheMiddleOfTheRecordsLeavesNoOutputFile) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("listconv-export-run-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(dir);
  std::string records;
  for (const char* id : {"A", "B", "C"}) {
    records += Record().set(fixtures::kEntryId, id);
  }
  std::ofstream(dir / "list.rec", std::ios::binary) << records;

  // The page is written while the records are read: one record, then a
  // failed read, which ends the data there.
  for (const char* format : {"html", "csv"}) {
    SCOPED_TRACE(format);
    gInjectedFaults.readFailAfter = static_cast<int64_t>(fixtures::kRecordSize);
    ExportOptions options;
    options.format = findExportFormat(format);
    options.dir = dir.string();
    options.output = (dir / "page").string();
    ::testing::internal::CaptureStderr();
    const int status = runExport(options);
    const std::string err = ::testing::internal::GetCapturedStderr();
    gInjectedFaults = InjectedFaults();

    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "listconv-export: cannot read " + (dir / "list.rec").string() +
                       ": Input/output error\n"
                       "listconv-export: cannot write " +
                       options.output + ": the export is incomplete\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1)
        << "only list.rec is left";
  }
  std::filesystem::remove_all(dir);
}

TEST(ExportRun, AReportOfUnknownsIsHandedBackOnlyByARunThatSucceeds) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("listconv-export-unknowns-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(dir);
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    std::filesystem::copy_file(std::filesystem::path(LISTCONV_SAMPLE_DIR) / name, dir / name);
  }
  const std::filesystem::path out = dir / "unknown.csv";
  ExportOptions options;
  options.format = findExportFormat("unknown");
  options.dir = dir.string();
  options.output = out.string();
  UnknownReport kept;
  options.keptUnknowns = &kept;
  ASSERT_EQ(runExport(options), 0);
  std::ifstream written(out, std::ios::binary);
  const std::string csv((std::istreambuf_iterator<char>(written)),
                        std::istreambuf_iterator<char>());
  // The rows handed back are those of the report written.
  std::string again;
  TextEncoding utf8;
  appendUnknownReport(again, kept, utf8, false);
  EXPECT_EQ(again, csv);
  EXPECT_NE(csv.find("word,UNKNOWNWORD,"), std::string::npos) << csv;

  // A run that fails leaves what was kept as it was.
  gInjectedFaults.readFailAfter = static_cast<int64_t>(fixtures::kRecordSize);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runExport(options), 1);
  ::testing::internal::GetCapturedStderr();
  gInjectedFaults = InjectedFaults();
  std::string after;
  appendUnknownReport(after, kept, utf8, false);
  EXPECT_EQ(after, csv);
  std::filesystem::remove_all(dir);
}

// The names in `dir`, in order, each followed by a blank.
std::string filesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) {
    text += name + " ";
  }
  return text;
}

// A fault injected into an export to an existing file, and its message.
struct ExportFault {
  const char* what;
  InjectedFaults faults;
  std::string err;  // after the folder's path
};

// Whatever fails, the old file stays as it was, no temporary file is left,
// and the failure is named with the exit status 1.
TEST(ExportRun, AFailedExportLeavesTheOldFileAndNoTemporaryFile) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("listconv-export-faults-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(dir);
  std::string records;
  for (int i = 0; i < 2000; ++i) {
    records += Record().set(fixtures::kEntryId, "ID" + std::to_string(i));
  }
  std::ofstream(dir / "list.rec", std::ios::binary) << records;
  const std::string out = (dir / "out").string();
  const std::string rec = (dir / "list.rec").string();

  InjectedFaults readFails;
  readFails.readFailAfter = static_cast<int64_t>(fixtures::kRecordSize * 700);
  InjectedFaults firstWriteFails;
  firstWriteFails.writeFailAfter = 0;
  InjectedFaults laterWriteFails;
  laterWriteFails.writeFailAfter = 10000;
  InjectedFaults renameFails;
  renameFails.renameFailError = EXDEV;
  const ExportFault cases[] = {
      {"a read", readFails,
       "cannot read " + rec + ": " + std::strerror(EIO) + "\nlistconv-export: cannot write " + out +
           ": the export is incomplete\n"},
      {"the first write", firstWriteFails,
       "cannot write " + out + ": " + std::strerror(EIO) + "\n"},
      {"a later write", laterWriteFails, "cannot write " + out + ": " + std::strerror(EIO) + "\n"},
      {"the rename", renameFails, "cannot write " + out + ": " + std::strerror(EXDEV) + "\n"},
  };
  for (const ExportFault& c : cases) {
    for (const char* format : {"csv", "jsonl", "html"}) {
      SCOPED_TRACE(std::string(c.what) + " " + format);
      std::ofstream(out, std::ios::binary) << "old\n";
      gInjectedFaults = c.faults;
      ExportOptions options;
      options.format = findExportFormat(format);
      options.dir = dir.string();
      options.output = out;
      ::testing::internal::CaptureStderr();
      const int status = runExport(options);
      const std::string err = ::testing::internal::GetCapturedStderr();
      gInjectedFaults = InjectedFaults();

      EXPECT_EQ(status, 1);
      EXPECT_EQ(err, "listconv-export: " + c.err);
      std::ifstream in(out, std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old\n");
      EXPECT_EQ(filesIn(dir), "list.rec out ") << "a temporary file is left";
    }
  }
  std::filesystem::remove_all(dir);
}

// Runs the export of `format` from `dir` into the file `out` with at most
// `limit` distinct unknowns; sets `err` to what it printed on standard error
// and returns what it wrote.
std::string exportWithLimit(const std::filesystem::path& dir, const char* format, size_t limit,
                            std::string& err) {
  ExportOptions options;
  options.format = findExportFormat(format);
  options.dir = dir.string();
  options.output = (dir / "out").string();
  options.unknownLimit = limit;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runExport(options), 0);
  err = ::testing::internal::GetCapturedStderr();
  std::ifstream in(options.output, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The report of unknowns and the check stop collecting new words and codes
// at their limit, so that endless input keeps a bounded memory, and say so;
// up to the limit, what they write is what they always wrote.
TEST(ExportRun, UnknownsAreCollectedUpToALimitAndTheCutIsTold) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("listconv-export-limit-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(dir);
  // 200 records, each showing SAME and a word of its own: 201 distinct
  // words, shown 400 times.
  std::string records;
  for (int i = 0; i < 200; ++i) {
    records += Record()
                   .set(fixtures::kEntryId, "A")
                   .set(fixtures::kWordText, "same w" + std::to_string(i));
  }
  std::ofstream(dir / "list.rec", std::ios::binary) << records;
  std::string err;
  const std::string whole = exportWithLimit(dir, "unknown", kUnknownLimit, err);
  ASSERT_EQ(err, "");
  ASSERT_EQ(std::count(whole.begin(), whole.end(), '\n'), 202);
  const std::string wholeCheck = exportWithLimit(dir, "check", kUnknownLimit, err);
  ASSERT_EQ(err, "");
  const char kUnknownLine[] = "unknown words and codes: ";
  ASSERT_NE(wholeCheck.find(kUnknownLine), std::string::npos);
  EXPECT_EQ(wholeCheck.substr(wholeCheck.find(kUnknownLine)),
            "unknown words and codes: 201 words and 0 codes show as ?; listconv-export --format "
            "unknown lists them\n");

  // Just up to the limit, nothing is left out.
  EXPECT_EQ(exportWithLimit(dir, "unknown", 201, err), whole);
  EXPECT_EQ(err, "");
  EXPECT_EQ(exportWithLimit(dir, "check", 201, err), wholeCheck);
  EXPECT_EQ(err, "");

  // The first ten met are kept, and SAME goes on being counted.
  const std::string cut = exportWithLimit(dir, "unknown", 10, err);
  EXPECT_EQ(err,
            "listconv-export: the report lists the first 10 words and codes that show as ?; "
            "others show as ? 191 more times\n");
  std::string rows = "kind,text,count,first\r\nword,SAME,200,1\r\n";
  for (int i = 0; i < 9; ++i) {
    rows += "word,W" + std::to_string(i) + ",1," + std::to_string(i + 1) + "\r\n";
  }
  EXPECT_EQ(cut, rows);
  const std::string cutCheck = exportWithLimit(dir, "check", 10, err);
  EXPECT_EQ(err, "");
  EXPECT_EQ(cutCheck.substr(0, cutCheck.find(kUnknownLine)),
            wholeCheck.substr(0, wholeCheck.find(kUnknownLine)));
  EXPECT_EQ(
      cutCheck.substr(cutCheck.find(kUnknownLine)),
      "unknown words and codes: at least 10 words and 0 codes show as ?; listconv-export "
      "--format unknown lists them\n  the count stopped at 10 words and codes: others show as "
      "? 191 more times\n");
  std::filesystem::remove_all(dir);
}

}  // namespace
