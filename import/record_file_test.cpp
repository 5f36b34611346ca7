#include "record_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A scratch file of the test's own holding `bytes`; its name.
std::string scratchFile(const std::string& suffix, const std::string& bytes) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string path = std::string(info->name()) + "." + suffix;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f != nullptr) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// `n` records and then `tail` bytes of one more, every byte telling where it is.
std::string numberedRecords(size_t n, size_t tail) {
  std::string bytes(n * kRecordSize + tail, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i / kRecordSize * 31 + i % 251);
  }
  return bytes;
}

std::string asText(const RecordBytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(OldRecords, EveryRecordReadsTheSameInAnyOrder) {
  // More records than one block holds, and a last one cut short.
  const size_t whole = kInputBlockSize / kRecordSize * 2 + 3;
  const std::string bytes = numberedRecords(whole, 100);
  const std::string path = scratchFile("rec", bytes);
  OldRecords old;
  ASSERT_FALSE(failed(openOldRecords(old, path)));
  ASSERT_EQ(old.count, static_cast<int64_t>(whole + 1));
  EXPECT_EQ(old.lastBytes, 100u);
  const auto expected = [&](int64_t n) {
    std::string want = bytes.substr((n - 1) * kRecordSize, kRecordSize);
    return want + std::string(kRecordSize - want.size(), '\xFF');
  };
  std::vector<int64_t> order;
  for (int64_t n = 1; n <= old.count; ++n) {
    order.push_back(n);  // straight on
  }
  for (int64_t n = old.count; n >= 1; n -= 7) {
    order.push_back(n);  // backwards
  }
  for (int64_t n = 1; n <= old.count; n += 397) {
    order.push_back(old.count + 1 - n);  // jumps, then runs after them
    order.push_back(n);
    order.push_back(n + 1 <= old.count ? n + 1 : n);
  }
  RecordBytes got;
  for (const int64_t n : order) {
    ASSERT_FALSE(failed(readOldRecord(old, n, got)));
    ASSERT_EQ(asText(got), expected(n)) << "record " << n;
  }
  closeOldRecords(old);
  std::remove(path.c_str());
}

TEST(OldRecords, AMissingOrEmptyFileHasNoRecords) {
  OldRecords old;
  EXPECT_FALSE(failed(openOldRecords(old, "no-such-list.rec")));
  EXPECT_EQ(old.count, 0);
  closeOldRecords(old);
  const std::string path = scratchFile("rec", "");
  EXPECT_FALSE(failed(openOldRecords(old, path)));
  EXPECT_EQ(old.count, 0);
  EXPECT_TRUE(old.givenOn.empty());
  closeOldRecords(old);
  std::remove(path.c_str());
}

TEST(ReadBackRecords, TellsAFileOtherThanWritten) {
  const std::string bytes = numberedRecords(3, 10);
  RecordsWritten written;
  countWritten(written, bytes);
  written.records = 4;
  struct Case {
    const char* what;
    std::string file;
    const char* reason;  // "" when it reads back
  };
  std::string flipped = bytes;
  flipped[700] ^= 1;
  const Case cases[] = {
      {"as written", bytes, ""},
      {"a byte changed", flipped, " reads back with other bytes than were written"},
      {"cut short", bytes.substr(0, 3 * kRecordSize),
       " reads back as 3 records of 1998 bytes, not the 4 records of 2008 bytes written"},
      {"longer", bytes + "x", " reads back as 4 records of 2009 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = scratchFile("new", c.file);
    std::string reason;
    EXPECT_EQ(readBackRecords(path, written, reason), *c.reason == '\0');
    EXPECT_EQ(reason.empty() ? "" : reason.substr(path.size(), std::string(c.reason).size()),
              c.reason);
    std::remove(path.c_str());
  }
  std::string reason;
  EXPECT_FALSE(readBackRecords("no-such-new.rec", written, reason));
  EXPECT_NE(reason.find("no-such-new.rec"), std::string::npos) << reason;
}
