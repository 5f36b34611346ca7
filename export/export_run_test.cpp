// Tests of the export's run that need a fault in the middle of it.
#include "export_run.h"

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

}  // namespace
