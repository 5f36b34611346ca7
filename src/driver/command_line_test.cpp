#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

Request requestOfArgs(std::vector<const char*> args) {
  args.insert(args.begin(), "listconv");
  return requestOf(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, OnlyALoneHelpOrVersionArgumentIsARequest) {
  const struct {
    std::vector<const char*> args;
    Request want;
  } cases[] = {
      {{}, Request::convert},
      {{"--help"}, Request::usage},
      {{"-h"}, Request::usage},
      {{"/?"}, Request::usage},
      {{"--version"}, Request::version},
      {{"--help", "--version"}, Request::convert},
      {{"list.rec", "--help"}, Request::convert},
      {{"--HELP"}, Request::convert},
      {{"-help"}, Request::convert},
      {{"/h"}, Request::convert},
      {{"--versions"}, Request::convert},
      {{""}, Request::convert},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const char* a : c.args) {
      shown += std::string(" '") + a + "'";
    }
    EXPECT_EQ(requestOfArgs(c.args), c.want) << "listconv" << shown;
  }
}

TEST(CommandLine, UsageFitsEightyColumnsAndVersionIsTheBuilds) {
  std::istringstream lines(kUsage);
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80u) << line;
  }
  EXPECT_EQ(std::string(kVersionLine), std::string("listconv ") + LISTCONV_VERSION + "\n");
}

}  // namespace
