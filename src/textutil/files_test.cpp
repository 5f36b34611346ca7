// Tests of reading a whole text file and of the waits.
#include "textutil/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "fixtures.h"

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A file in the test's own folder (not the machine's shared temporary one,
// where another build's run may be writing) holding exactly `bytes`.
std::string scratchFile(const std::string& name, const std::string& bytes) {
  const std::string path = fixtures::scratchName(name);
  fixtures::writeAll(path, bytes);
  return path;
}

TEST(ReadTextFile, ReadsTheWholeFileInTextMode) {
  const std::string longLine(5000, 'L');
  const std::string edge(2045, 'e');  // CR LF falls across the 2046-byte piece boundary
  struct Case {
    std::string name;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"crlf", "one\r\ntwo\r\n", "one\ntwo\n"},
      {"lone_cr", "a\rb\r\r\nc\r", "a\rb\r\nc\r"},
      {"ctrl_z",
       "kept\r\nz\x1A"
       "dropped\r\n",
       "kept\nz"},
      {"long", longLine + "\r\n" + edge + "\r\n" + longLine,
       longLine + "\n" + edge + "\n" + longLine},
      {"bytes", std::string("\0\xFF\x80\n", 4), std::string("\0\xFF\x80\n", 4)},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readTextFile(scratchFile(c.name, c.bytes)), c.text) << c.name;
  }
}

TEST(ReadTextFile, GivesUpOnAMissingFileAfterThreeWaits) {
  const std::string path = testing::TempDir() + "textutil_files_does_not_exist";
  std::remove(path.c_str());
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(readTextFile(path), "");
  EXPECT_GE(msSince(start), 550);
}

TEST(ReadTextFile, APathHoldingAZeroByteNamesNoFile) {
  const std::string path = scratchFile("zero", "data");
  EXPECT_EQ(readTextFile(path + std::string("\0x", 2)), "");
}

TEST(Sleep, WaitsTheGivenTime) {
  Clock::time_point start = Clock::now();
  EXPECT_EQ(sleepMilliseconds(60), 0);
  EXPECT_GE(msSince(start), 55);

  start = Clock::now();
  EXPECT_EQ(sleepSeconds(1), 0);
  EXPECT_GE(msSince(start), 950);
}

TEST(Sleep, NegativeTimesDoNotWait) {
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(sleepMilliseconds(-1), 0);
  EXPECT_EQ(sleepMilliseconds(INT32_MIN), 0);
  EXPECT_EQ(sleepSeconds(-1), 0);
  EXPECT_EQ(sleepSeconds(0), 0);
  // A negative time taken as a huge unsigned one would wait for weeks; a
  // busy machine may take seconds for these calls, never a minute.
  EXPECT_LT(msSince(start), 60000);
}

}  // namespace
