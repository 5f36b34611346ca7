// Tests of the export's run that need a fault in the middle of it.
#include "export_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "fixtures.h"
#include "io/file_io.h"

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

}  // namespace
