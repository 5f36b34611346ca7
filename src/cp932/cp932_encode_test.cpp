// Tests of the UTF-8 to CP932 encoder. The expected bytes are what Windows'
// WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS) writes (checked against
// Wine for every character by cp932_windows_reference).
#include "cp932/cp932_encode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cp932/cp932.h"
#include "fixtures.h"

namespace {

using namespace std::string_view_literals;

using fixtures::hex;

// `code` (a byte, or a pair from 0x8100 up) as CP932 bytes.
std::string codeBytes(unsigned code) {
  std::string s;
  if (code > 0xFF) {
    s += static_cast<char>(code >> 8);
  }
  s += static_cast<char>(code & 0xFF);
  return s;
}

TEST(Cp932Encode, WritesTheCodesWindowsWrites) {
  struct Case {
    std::string_view utf8;
    std::string_view cp932;
  };
  const Case cases[] = {
      {"", ""},
      // ASCII as it is: a backslash is 0x5C, a tilde 0x7E, U+0000 a zero.
      {"C:\\dir\\~a\r\n", "C:\\dir\\~a\r\n"},
      {"\0x\0"sv, "\0x\0"sv},
      {"\x7F", "\x7F"},
      // Half-width katakana are single bytes.
      {"\xEF\xBD\xA1\xEF\xBD\xB1\xEF\xBE\x9F", "\xA1\xB1\xDF"},
      // Pairs: kana, kanji of both levels, Greek, full-width forms.
      {"\xE3\x81\x82", "\x82\xA0"},  // hiragana a
      {"\xE3\x80\x80", "\x81\x40"},  // ideographic space
      {"\xE4\xBA\x9C", "\x88\x9F"},  // first kanji of level 1
      {"\xE7\x86\x99", "\xEA\xA4"},  // last kanji of level 2
      {"\xCE\xB1", "\x83\xBF"},      // Greek alpha: two bytes both ways
      {"\xEF\xBD\x9E", "\x81\x60"},  // full-width tilde U+FF5E
      {"\xEF\xBC\xBC", "\x81\x5F"},  // full-width reverse solidus U+FF3C
      {"\xEF\xBF\xA5", "\x81\x8F"},  // full-width yen sign U+FFE5
      {"\xE2\x88\xA5", "\x81\x61"},  // parallel to U+2225
      {"\xE2\x80\x95", "\x81\x5C"},  // horizontal bar U+2015
      {"\xE2\x91\xA0", "\x87\x40"},  // NEC row 13 only: circled one
      {"\xE2\x85\xB0", "\xFA\x40"},  // IBM only: small roman numeral one
      {"\xE9\xBB\x91", "\xFC\x4B"},  // the last pair of all
      {"\xEE\x80\x80", "\xF0\x40"},  // user-defined area: U+E000
      {"\xEE\x9D\x97", "\xF9\xFC"},  // ... to U+E757
      // Characters with two or three codes: the one Windows writes.
      {"\xE7\xBA\x8A", "\xFA\x5C"},  // U+7E8A: IBM's, not NEC's ED 40
      {"\xE9\xAB\x99", "\xFB\xFC"},  // U+9AD9: IBM's, not NEC's EE E0
      {"\xEF\xBF\xA2", "\x81\xCA"},  // not sign U+FFE2: not EE F9, FA 54
      {"\xE2\x88\xB5", "\x81\xE6"},  // because U+2235: not 87 9A, FA 5B
      {"\xE2\x89\x92", "\x81\xE0"},  // U+2252: JIS, not NEC's 87 90
      {"\xE2\x88\xAB", "\x81\xE7"},  // integral U+222B: not 87 92
      {"\xE2\x85\xA0", "\x87\x54"},  // roman numeral one: NEC's, not FA 4A
      {"\xE2\x84\x96", "\x87\x82"},  // numero sign: NEC's, not FA 59
      {"\xE3\x88\xB1", "\x87\x8A"},  // parenthesized kabu: NEC's, not FA 58
      {"\xEF\xBF\xA4", "\xFA\x55"},  // full-width broken bar: not EE FA
      {"\xEF\xBC\x87", "\xFA\x56"},  // full-width apostrophe: not EE FB
      {"\xE2\x85\xB9", "\xFA\x49"},  // small roman ten: not EE F8
      // Mixed.
      {"a\xE7\xBA\x8A"
       "b\xEF\xBD\xB1",
       "a\xFA\x5C"
       "b\xB1"},
  };
  for (const Case& c : cases) {
    std::string out;
    Cp932EncodeError error;
    EXPECT_TRUE(appendUtf8AsCp932(out, c.utf8, error)) << "from " << hex(c.utf8);
    EXPECT_EQ(hex(out), hex(c.cp932)) << "from " << hex(c.utf8);
  }
}

TEST(Cp932Encode, RefusesTheFirstCharacterWithoutACodeAndMalformedUtf8) {
  struct Case {
    std::string_view utf8;
    size_t offset;
    std::string_view text;
    uint32_t codePoint;  // 0: malformed
  };
  const Case cases[] = {
      // No look-alike for characters without a code of their own.
      {"\xC2\xA5", 0, "\xC2\xA5", 0xA5},             // yen sign: not 0x5C
      {"a\xE2\x80\xBE", 1, "\xE2\x80\xBE", 0x203E},  // overline: not 0x7E
      {"\xE3\x80\x9C", 0, "\xE3\x80\x9C", 0x301C},   // wave dash: not 81 60
      {"\xE2\x88\x92", 0, "\xE2\x88\x92", 0x2212},   // minus sign: not 81 7C
      {"\xC3\xA9", 0, "\xC3\xA9", 0xE9},             // e acute: not 'e'
      {"\xEF\xBF\xBD", 0, "\xEF\xBF\xBD", 0xFFFD},   // replacement character
      {"\xEE\x9D\x98", 0, "\xEE\x9D\x98", 0xE758},   // just past the user-defined area
      // Windows writes these as the bytes 80, A0 and FD, which read back
      // as no character.
      {"\xC2\x80", 0, "\xC2\x80", 0x80},
      {"\xEF\xA3\xB0", 0, "\xEF\xA3\xB0", 0xF8F0},
      {"\xEF\xA3\xB1", 0, "\xEF\xA3\xB1", 0xF8F1},
      // Beyond the Basic Multilingual Plane.
      {"x\xF0\xA0\xAE\xB7", 1, "\xF0\xA0\xAE\xB7", 0x20BB7},
      // The first of several.
      {"ab\xC2\xA5\xE3\x80\x9C", 2, "\xC2\xA5", 0xA5},
      // Malformed UTF-8: the bytes up to where it breaks off.
      {"a\x80", 1, "\x80", 0},  // a stray continuation byte
      {"\xFF", 0, "\xFF", 0},
      {"\xC0\x80", 0, "\xC0", 0},          // overlong U+0000
      {"\xE0\x80\x80", 0, "\xE0", 0},      // overlong
      {"\xED\xA0\x80", 0, "\xED", 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0, "\xF4", 0},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", 0, "\xF5", 0},
      {"\xE3\x81"
       "A",
       0, "\xE3\x81", 0},                          // cut off by ASCII
      {"\xE3\x81\xE3\x81\x82", 0, "\xE3\x81", 0},  // ... or by another lead byte
      {"ok\xE3\x81", 2, "\xE3\x81", 0},            // cut off by the end
      {"\xF0\xA0\xAE", 0, "\xF0\xA0\xAE", 0},
      {"\xC2\xA5\x80", 0, "\xC2\xA5", 0xA5},  // what comes first is reported
  };
  for (const Case& c : cases) {
    std::string out = "kept";
    Cp932EncodeError error;
    EXPECT_FALSE(appendUtf8AsCp932(out, c.utf8, error)) << "from " << hex(c.utf8);
    EXPECT_EQ(out, "kept") << "from " << hex(c.utf8);
    EXPECT_EQ(error.offset, c.offset) << "from " << hex(c.utf8);
    EXPECT_EQ(hex(error.text), hex(c.text)) << "from " << hex(c.utf8);
    EXPECT_EQ(error.codePoint, c.codePoint) << "from " << hex(c.utf8);
    EXPECT_EQ(error.malformed, c.codePoint == 0) << "from " << hex(c.utf8);
  }
}

TEST(Cp932Encode, AppendsToTheText) {
  std::string out = "x";
  Cp932EncodeError error;
  EXPECT_TRUE(appendUtf8AsCp932(out,
                                "\xE3\x81\x82"
                                "a",
                                error));
  EXPECT_EQ(hex(out), hex("x\x82\xA0"
                          "a"));
}

// Every character the decoder gives reads back from its code; every other
// code point is refused; and only the codes Windows does not write (the
// second codes of a character) do not come back from their character.
TEST(Cp932Encode, RoundTripsEveryCharacterAndEveryCodeWindowsWrites) {
  std::map<uint32_t, std::vector<unsigned>> codesOf;
  for (unsigned code = 0; code <= 0xFCFC; ++code) {
    const uint32_t cp = cp932CodePoint(code);
    if (cp != kCp932NoCharacter) {
      codesOf[cp].push_back(code);
    }
  }
  size_t encoded = 0;
  for (uint32_t cp = 0; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      continue;
    }
    std::string utf8;
    appendUtf8(utf8, cp);
    std::string cp932;
    Cp932EncodeError error;
    const bool ok = appendUtf8AsCp932(cp932, utf8, error);
    ASSERT_EQ(ok, codesOf.count(cp) == 1) << std::hex << cp;
    if (ok) {
      ++encoded;
      std::string back;
      size_t undecodable = 0;
      appendCp932AsUtf8(back, cp932, undecodable);
      EXPECT_EQ(back, utf8) << std::hex << cp;
    }
  }
  EXPECT_EQ(encoded, 9397u);

  // The codes whose character is written otherwise, by where they stand.
  std::map<std::string, size_t> secondCodes;
  for (const auto& [cp, codes] : codesOf) {
    std::string utf8;
    appendUtf8(utf8, cp);
    std::string cp932;
    Cp932EncodeError error;
    ASSERT_TRUE(appendUtf8AsCp932(cp932, utf8, error));
    for (const unsigned code : codes) {
      if (codeBytes(code) == cp932) {
        continue;
      }
      const unsigned lead = code >> 8;
      const std::string kind = lead == 0xED || lead == 0xEE ? "NEC-selected IBM"
                               : lead == 0x87               ? "NEC row 13"
                               : lead >= 0xFA               ? "IBM"
                                                            : "other";
      ++secondCodes[kind];
    }
  }
  const std::map<std::string, size_t> expected = {
      {"NEC-selected IBM", 374}, {"NEC row 13", 9}, {"IBM", 15}};
  EXPECT_EQ(secondCodes, expected);
}

// Each piece of advice is for a character that is refused, and each
// character it suggests (in quotes) is one that CP932 holds.
TEST(Cp932Encode, AdvisesCharactersThatCp932Holds) {
  const uint32_t advised[] = {0x00A0, 0x00A2, 0x00A3, 0x00A5, 0x00A6, 0x00AC,
                              0x2014, 0x2016, 0x203E, 0x2212, 0x301C};
  for (const uint32_t cp : advised) {
    const std::string_view advice = cp932Advice(cp);
    ASSERT_FALSE(advice.empty()) << std::hex << cp;
    std::string utf8;
    appendUtf8(utf8, cp);
    std::string out;
    Cp932EncodeError error;
    EXPECT_FALSE(appendUtf8AsCp932(out, utf8, error)) << std::hex << cp;
    size_t suggestions = 0;
    for (size_t open = advice.find('"'); open != std::string_view::npos;
         open = advice.find('"', advice.find('"', open + 1) + 1)) {
      const size_t close = advice.find('"', open + 1);
      ASSERT_NE(close, std::string_view::npos) << advice;
      const std::string_view suggestion = advice.substr(open + 1, close - open - 1);
      EXPECT_TRUE(appendUtf8AsCp932(out, suggestion, error)) << advice;
      ++suggestions;
    }
    EXPECT_GE(suggestions, 1u) << advice;
  }
  EXPECT_EQ(cp932Advice(0x20BB7), "");
  EXPECT_EQ(cp932Advice('A'), "");
  EXPECT_EQ(cp932Advice(0x7E8A), "");
}

}  // namespace
