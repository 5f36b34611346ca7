// Tests of the table of the export's formats.
#include "formats/export_formats.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(ExportFormats, OnlyTheListingIsWrittenWithTheListingsLineEnds) {
  // The CRs of list.txt's CR LF line ends come from the file layer, as
  // listconv's own do; no other format is written so.
  for (const ExportFormat& format : kExportFormats) {
    const bool listing = std::string_view(format.name) == "listing";
    EXPECT_EQ(format.crLf, listing && kListingLinesEndInCrLf) << format.name;
  }
}

}  // namespace
