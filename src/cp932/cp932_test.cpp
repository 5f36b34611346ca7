// Tests of the CP932 to UTF-8 transcoder. The expected UTF-8 is what Windows
// shows for the same bytes in code page 932.
#include "cp932/cp932.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "fixtures.h"

namespace {

using namespace std::string_view_literals;

using fixtures::hex;

// U+FFFD in UTF-8.
#define BAD "\xEF\xBF\xBD"

TEST(Cp932, TranscodesTrickyBytesAndSequences) {
  struct Case {
    std::string_view cp932;
    std::string_view utf8;
    size_t undecodable;
  };
  const Case cases[] = {
      // ASCII stays as it is, 0x5C (a yen sign in Japanese fonts) and 0x7E too.
      {"C:\\dir\\", "C:\\dir\\", 0},
      {"a~b", "a~b", 0},
      {"\0x\0"sv, "\0x\0"sv, 0},
      {"a\r\nb\n\r", "a\r\nb\n\r", 0},
      {"\x7F", "\x7F", 0},
      {"", "", 0},
      // Pairs.
      {"\x82\xA0", "\xE3\x81\x82", 0},  // hiragana a
      {"\x81\x40", "\xE3\x80\x80", 0},  // ideographic space
      {"\x81\x60", "\xEF\xBD\x9E", 0},  // wave dash as Windows maps it: U+FF5E
      {"\x81\x5F", "\xEF\xBC\xBC", 0},  // full-width reverse solidus U+FF3C
      {"\x88\x9F", "\xE4\xBA\x9C", 0},  // first kanji of level 1
      {"\xEA\xA4", "\xE7\x86\x99", 0},  // last kanji of level 2
      {"\x87\x40", "\xE2\x91\xA0", 0},  // NEC row 13: circled one
      {"\x87\x90", "\xE2\x89\x92", 0},  // NEC row 13: approximately equal U+2252
      {"\xED\x40", "\xE7\xBA\x8A", 0},  // NEC-selected IBM extension
      {"\xEE\xF9", "\xEF\xBF\xA2", 0},  // ... its not sign, U+FFE2
      {"\xFA\x40", "\xE2\x85\xB0", 0},  // IBM extension: small roman numeral one
      {"\xFA\x5C", "\xE7\xBA\x8A", 0},  // ... trail 0x5C, same kanji as 0xED40
      {"\xFC\x4B", "\xE9\xBB\x91", 0},  // the last pair of all
      {"\xF0\x40", "\xEE\x80\x80", 0},  // user-defined area: U+E000
      {"\xF9\xFC", "\xEE\x9D\x97", 0},  // ... to U+E757
      // Half-width katakana are single bytes.
      {"\xA1\xB1\xDF", "\xEF\xBD\xA1\xEF\xBD\xB1\xEF\xBE\x9F", 0},
      // Bytes that are no character.
      {"\x80", BAD, 1},
      {"\xA0", BAD, 1},
      {"\xFD\xFE\xFF", BAD BAD BAD, 3},
      {"a\x80\x41", "a" BAD "A", 1},
      // A lead byte whose next byte completes no character: one U+FFFD, and
      // that byte is decoded on its own.
      {"\x81\x20", BAD " ", 1},
      {"\x82\x7F", BAD "\x7F", 1},  // trail range, but no character
      {"\x82\n", BAD "\n", 1},
      {"\x82\r\n", BAD "\r\n", 1},
      {"\x82\0"sv, BAD "\0"sv, 1},
      {"\xFC\x4C", BAD "L", 1},                 // just past the last pair
      {"\x85\x40", BAD "@", 1},                 // a lead row without characters
      {"\xEA\xA5", BAD "\xEF\xBD\xA5", 1},      // the would-be trail is a katakana
      {"\x84\xE0\x40", BAD "\xE6\xBC\xBE", 1},  // ... or leads a pair of its own
      {"\x82\x80", BAD BAD, 2},                 // ... or is no character either
      {"\xEA\xEA", BAD BAD, 2},                 // ... or is a bad lead byte too
      // A lead byte at the end of the text.
      {"\x82", BAD, 1},
      {"x\x82\xA0\x82", "x\xE3\x81\x82" BAD, 1},
  };
  for (const Case& c : cases) {
    std::string out;
    size_t undecodable = 0;
    appendCp932AsUtf8(out, c.cp932, undecodable);
    EXPECT_EQ(hex(out), hex(c.utf8)) << "from " << hex(c.cp932);
    EXPECT_EQ(undecodable, c.undecodable) << "from " << hex(c.cp932);
  }
}

TEST(Cp932, AppendsToTheTextAndTheCount) {
  std::string out = "x";
  size_t undecodable = 5;
  appendCp932AsUtf8(out, "\x80\x82\xA0", undecodable);
  EXPECT_EQ(out, "x" BAD "\xE3\x81\x82");
  EXPECT_EQ(undecodable, 6u);
}

TEST(Cp932, LongTextsOfTheWidestCharacters) {
  // Half-width katakana and bad bytes triple in size, the worst case.
  struct Case {
    std::string_view unit;
    std::string_view utf8;
    size_t undecodable;
  };
  const Case cases[] = {
      {"\xB1", "\xEF\xBD\xB1", 0},
      {"\xFF", BAD, 1},
      {"\x82\xA0", "\xE3\x81\x82", 0},
      {"\x82\xA0\x41", "\xE3\x81\x82\x41", 0},
  };
  for (const Case& c : cases) {
    std::string in;
    std::string want;
    for (int i = 0; i < 5000; ++i) {
      in += c.unit;
      want += c.utf8;
    }
    std::string out = "head";
    size_t undecodable = 0;
    appendCp932AsUtf8(out, in, undecodable);
    EXPECT_TRUE(out == "head" + want) << "from " << hex(c.unit);
    EXPECT_EQ(undecodable, 5000 * c.undecodable) << "from " << hex(c.unit);
  }
}

TEST(Cp932Utf8, WritesEachLengthAtItsBounds) {
  const std::pair<uint32_t, std::string_view> cases[] = {
      {0x00, "\0"sv},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xFFFD, BAD},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& [cp, want] : cases) {
    std::string out = "a";
    appendUtf8(out, cp);
    EXPECT_EQ(hex(out), hex("a" + std::string(want))) << std::hex << cp;
  }
}

}  // namespace
