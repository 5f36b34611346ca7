// Compares listconv's CP932 encoder with the table cp932_windows_table.cpp
// writes under Wine (what Windows writes for each character of the Basic
// Multilingual Plane), and prints the figures. Exits 1 on any difference
// but the deliberate ones, or when the table is not complete.
//   cp932_windows_compare TABLE
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cp932/cp932.h"
#include "cp932/cp932_encode.h"
#include "textutil/text_bytes.h"

namespace {

// Windows' code for a code point: its bytes, or refused.
struct WindowsCode {
  bool seen = false;
  bool refused = false;
  std::string bytes;
};

// What a code point gives: Windows' bytes and ours, refused or not.
struct Tally {
  size_t checked = 0;
  size_t windowsWrites = 0;
  size_t windowsRefuses = 0;
  size_t sameWritten = 0;
  size_t sameRefused = 0;
  size_t withSecondCodes = 0;
  size_t deliberate = 0;
  size_t differences = 0;
};

// Where Windows writes a byte that the decoder (cp932.h) takes for no
// character, and the encoder refuses the character instead, so that
// whatever it writes reads back.
struct Deliberate {
  uint32_t codePoint;
  unsigned byte;
};
const Deliberate kDeliberate[] = {
    {0x0080, 0x80}, {0xF8F0, 0xA0}, {0xF8F1, 0xFD}, {0xF8F2, 0xFE}, {0xF8F3, 0xFF}};

// Reads the line "XXXX BYTES" or "XXXX -" into `table`; false when it is
// not such a line.
bool readLine(const std::string& line, std::vector<WindowsCode>& table) {
  if (line.size() < 6 || line[4] != ' ')
    return false;
  uint32_t cp = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int d = hexDigitValue(line[i]);
    if (d < 0)
      return false;
    cp = cp << 4 | static_cast<uint32_t>(d);
  }
  WindowsCode& code = table[cp];
  if (code.seen)
    return false;
  code.seen = true;
  const std::string rest = line.substr(5);
  if (rest == "-") {
    code.refused = true;
    return true;
  }
  if (rest.size() % 2 != 0 || rest.size() > 4)
    return false;
  for (size_t i = 0; i < rest.size(); i += 2) {
    const int high = hexDigitValue(rest[i]);
    const int low = hexDigitValue(rest[i + 1]);
    if (high < 0 || low < 0)
      return false;
    code.bytes += static_cast<char>(high << 4 | low);
  }
  return true;
}

// True when `cp`'s difference is one of kDeliberate.
bool isDeliberate(uint32_t cp, const WindowsCode& windows, bool weRefuse) {
  for (const Deliberate& d : kDeliberate) {
    if (d.codePoint == cp) {
      return weRefuse && windows.bytes == std::string(1, static_cast<char>(d.byte));
    }
  }
  return false;
}

// How many codes of CP932 decode to each code point.
std::vector<unsigned> codesPerCharacter() {
  std::vector<unsigned> count(0x10000, 0);
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const uint32_t cp = cp932CodePoint(code);
    if (cp != kCp932NoCharacter)
      ++count[cp];
  }
  return count;
}

// "refused", or the bytes in hex.
std::string describe(bool refused, const std::string& bytes) {
  if (refused)
    return "refused";
  std::string s;
  for (const char c : bytes) {
    appendHex(s, static_cast<unsigned char>(c), 2);
  }
  return s;
}

// Compares one code point and counts it in `tally`.
void compare(uint32_t cp, const WindowsCode& windows, unsigned codes, Tally& tally) {
  std::string utf8;
  appendUtf8(utf8, cp);
  std::string ours;
  Cp932EncodeError error;
  const bool weRefuse = !appendUtf8AsCp932(ours, utf8, error);
  ++tally.checked;
  ++(windows.refused ? tally.windowsRefuses : tally.windowsWrites);
  if (weRefuse && windows.refused) {
    ++tally.sameRefused;
  } else if (!weRefuse && !windows.refused && ours == windows.bytes) {
    ++tally.sameWritten;
    if (codes > 1)
      ++tally.withSecondCodes;
  } else if (isDeliberate(cp, windows, weRefuse)) {
    ++tally.deliberate;
  } else {
    if (++tally.differences <= 50) {
      std::printf("U+%04X: Windows %s, ours %s\n", static_cast<unsigned>(cp),
                  describe(windows.refused, windows.bytes).c_str(),
                  describe(weRefuse, ours).c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp932_windows_compare TABLE\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "cp932_windows_compare: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<WindowsCode> table(0x10000);
  std::string line;
  size_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!readLine(line, table)) {
      std::fprintf(stderr, "%s:%zu: not a line of the table: %s\n", argv[1], lineNumber,
                   line.c_str());
      return 1;
    }
  }
  const std::vector<unsigned> codes = codesPerCharacter();
  Tally tally;
  size_t missing = 0;
  for (uint32_t cp = 0; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF)
      continue;
    if (!table[cp].seen) {
      ++missing;
      continue;
    }
    compare(cp, table[cp], codes[cp], tally);
  }
  std::printf(
      "characters checked: %zu (Windows writes %zu, refuses %zu)\n"
      "the same: %zu written (%zu of them characters with more than one code), %zu refused\n"
      "deliberate differences: %zu (U+0080, U+F8F0-U+F8F3: Windows writes 80, A0, FD-FF, "
      "which read back as no character; we refuse them)\n"
      "other differences: %zu\n",
      tally.checked, tally.windowsWrites, tally.windowsRefuses, tally.sameWritten,
      tally.withSecondCodes, tally.sameRefused, tally.deliberate, tally.differences);
  if (missing != 0) {
    std::printf("code points missing from the table: %zu\n", missing);
  }
  const bool ok = missing == 0 && tally.differences == 0 &&
                  tally.deliberate == sizeof kDeliberate / sizeof kDeliberate[0];
  return ok ? 0 : 1;
}
