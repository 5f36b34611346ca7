// What the replacement files of both platforms share: their names and the
// message of a folder that refuses them.
#include "io/replacement_file.h"

#include <cstdint>

#include "io/platform.h"

namespace {

// A replacement's name in its folder: this, then kRandomChars characters.
const char kPrefix[] = ".lcx-";
const int kRandomChars = 6;

// The next value of a 64-bit generator (splitmix64) over `state`.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

std::string replacementName() {
  static uint64_t state = replacementSeed();
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint64_t r = nextRandom(state);
  std::string name = kPrefix;
  for (int i = 0; i < kRandomChars; ++i) {
    name += kAlphabet[r % 62];
    r /= 62;
  }
  return name;
}

bool isReplacement(const OutputFile& out) {
  return !out.temp.empty();
}

namespace {

// The failure of a replacement for the existing file `target` that its
// folder refused with `error`.
FileError folderRefusal(const std::string& target, int error) {
  std::string folder = folderOf(target);
  if (folder.size() > 1 && folder.back() != ':') {
    folder.pop_back();  // "sub/" is named "sub"; "/" stays
  }
  return FileError{"create a file in", folder.empty() ? "." : folder, error};
}

}  // namespace

FileError creationFailure(const OutputFile& out, const std::string& target, bool exists,
                          int error) {
  return exists ? folderRefusal(target, error) : FileError{"create", out.path, error};
}
