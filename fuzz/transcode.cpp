// Fuzz target: the CP932 to UTF-8 transcoder of listconv-export.
//
// Whatever the bytes, the transcoder must append valid UTF-8 and keep what
// the output held; each input byte gives one to three bytes of it. No
// character of CP932 is U+FFFD, so the U+FFFD written are exactly the
// undecodable count. A text split after each byte below 0x40 (no trail byte
// is one) must give the same output part by part as whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "cp932/cp932.h"

namespace {

// Reads the UTF-8 sequence at text[i], moving i past it: the code point, or
// -1 when the bytes there are no valid UTF-8 (overlong forms, surrogates and
// code points above 0x10FFFF are not).
int32_t nextCodePoint(std::string_view text, size_t& i) {
  const unsigned b = static_cast<unsigned char>(text[i++]);
  if (b < 0x80) {
    return static_cast<int32_t>(b);
  }
  // The bytes that follow, the bits the lead byte holds, and the least code
  // point of this length.
  size_t more = 3;
  uint32_t cp = b & 0x07;
  uint32_t least = 0x10000;
  if (b >= 0xC2 && b <= 0xDF) {
    more = 1;
    cp = b & 0x1F;
    least = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    more = 2;
    cp = b & 0x0F;
    least = 0x800;
  } else if (b < 0xF0 || b > 0xF4) {
    return -1;
  }
  for (; more > 0; --more) {
    if (i >= text.size()) {
      return -1;
    }
    const unsigned c = static_cast<unsigned char>(text[i++]);
    if ((c & 0xC0) != 0x80) {
      return -1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return -1;
  }
  return static_cast<int32_t>(cp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string head = "head\xE3\x81\x82";
  std::string out = head;
  size_t undecodable = 0;
  appendCp932AsUtf8(out, in, undecodable);

  FUZZ_CHECK(out.compare(0, head.size(), head) == 0);
  const size_t added = out.size() - head.size();
  FUZZ_CHECK(added >= size && added <= 3 * size);
  size_t replacements = 0;
  for (size_t i = head.size(); i < out.size();) {
    const int32_t cp = nextCodePoint(out, i);
    FUZZ_CHECK(cp >= 0);
    replacements += cp == 0xFFFD;
  }
  FUZZ_CHECK(replacements == undecodable);

  std::string pieces = head;
  size_t piecesUndecodable = 0;
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] < 0x40) {
      appendCp932AsUtf8(pieces, in.substr(start, i + 1 - start), piecesUndecodable);
      start = i + 1;
    }
  }
  appendCp932AsUtf8(pieces, in.substr(start), piecesUndecodable);
  FUZZ_CHECK(pieces == out);
  FUZZ_CHECK(piecesUndecodable == undecodable);
  return 0;
}
