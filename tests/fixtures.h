// Builders for the binary data files used by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include "record_layout.h"

namespace fixtures {

// Builds one 666-byte listing record; fields not set are empty (count 0).
struct Record {
  std::string bytes = std::string(kRecordSize, '\0');

  // Sets a field to `text` with the count byte text.size().
  Record& set(Field f, const std::string& text) {
    return setCounted(f, static_cast<unsigned char>(text.size()), text);
  }
  // Sets the count byte and copies `slot` (cut to the capacity) into the slot.
  Record& setCounted(Field f, unsigned char count, const std::string& slot) {
    bytes[f.countOffset] = static_cast<char>(count);
    bytes.replace(f.countOffset + 1, slot.size() < f.capacity ? slot.size() : f.capacity, slot, 0,
                  f.capacity);
    return *this;
  }
  operator std::string() const { return bytes; }
};

// A kanjis.dat of `records` records whose kanji fields hold the given texts
// (count byte = text length) and whose other bytes are filler.
inline std::string kanjiFile(size_t records, const std::map<size_t, std::string>& kanji) {
  std::string data(records * kKanjiRecordSize, 'x');
  for (size_t i = 0; i < records; ++i) {
    data[i * kKanjiRecordSize + 123] = 0;
  }
  for (const auto& [code, text] : kanji) {
    if (code >= records) {
      continue;
    }
    const size_t at = code * kKanjiRecordSize + 123;
    data[at] = static_cast<char>(text.size());
    data.replace(at + 1, text.size() < 4 ? text.size() : 4, text, 0, 4);
  }
  return data;
}

// A folder of the test's own below the temporary folder, removed with
// everything in it at the end of its scope.
struct ScratchFolder {
  std::string dir;
  ScratchFolder() {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("listconv-scratch-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(path);
    dir = path.string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string path(const std::string& name) const { return dir + "/" + name; }
};

// The bytes of the file at `path` ("" when there is none).
inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes `bytes` as the whole file at `path`.
inline void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A file name private to the running test, so tests can run in parallel.
inline std::string scratchName(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name() + "." + suffix;
}

// The message `program` prints when it cannot do `what` with `file` ("" for
// standard output) for the system's reason `error`, with its line end.
inline std::string cannot(const std::string& program, const std::string& what,
                          const std::string& file, int error) {
  const std::string target = file.empty() ? "to standard output" : file;
  return program + ": cannot " + what + " " + target + ": " + std::strerror(error) + "\n";
}

// The bytes of `bytes` in hex, each followed by a blank: comparisons of
// texts that show their bytes when they fail.
inline std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (const char c : bytes) {
    const unsigned b = static_cast<unsigned char>(c);
    s += digits[b >> 4];
    s += digits[b & 15];
    s += ' ';
  }
  return s;
}

}  // namespace fixtures
