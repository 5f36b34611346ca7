// Escaping a user's text for a message.
#include "textutil/shown_text.h"

#include "textutil/text_bytes.h"
#include "textutil/utf8.h"

namespace {

// A range of code points, both ends included.
struct CodeRange {
  uint32_t first;
  uint32_t last;
};

// The characters a terminal acts on or shows as nothing, C0 controls and DEL
// aside: C1 controls, the soft hyphen, fillers, joiners and selectors, the
// bidirectional marks, embeddings, overrides and isolates, the line and
// paragraph separators, the byte-order mark and the tags.
const CodeRange kHidden[] = {
    {0x0080, 0x009F},   {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x061C, 0x061C}, {0x115F, 0x1160},
    {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x200B, 0x200F},   {0x2028, 0x202E}, {0x2060, 0x206F},
    {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0}, {0xFFF9, 0xFFFB},
    {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

// Appends the escape of a hidden character.
void appendEscape(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += "\\x";
    appendHex(out, codePoint, 2);
  } else if (codePoint <= 0xFFFF) {
    out += "\\u";
    appendHex(out, codePoint, 4);
  } else {
    out += "\\U";
    appendHex(out, codePoint, 8);
  }
}

// "U+" and the code point's hex digits, four at least.
std::string codePointName(uint32_t codePoint) {
  std::string name = "U+";
  appendHex(name, codePoint, codePoint > 0xFFFFF ? 6 : codePoint > 0xFFFF ? 5 : 4);
  return name;
}

// Reads the character at `s` (`left` bytes, at least one) as readUtf8 does,
// ASCII included.
size_t readCharacter(const unsigned char* s, size_t left, uint32_t& codePoint, bool& malformed) {
  if (s[0] < 0x80) {
    codePoint = s[0];
    return 1;
  }
  return readUtf8(s, left, codePoint, malformed);
}

}  // namespace

bool isHiddenCharacter(uint32_t codePoint) {
  if (codePoint < 0x20 || codePoint == 0x7F) {
    return true;
  }
  for (const CodeRange& range : kHidden) {
    if (codePoint >= range.first && codePoint <= range.last) {
      return true;
    }
  }
  return false;
}

std::string shownText(std::string_view utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    uint32_t codePoint = 0;
    bool malformed = false;
    const size_t length = readCharacter(s + i, n - i, codePoint, malformed);
    if (malformed) {
      for (size_t k = 0; k < length; ++k) {
        out += "\\x";
        appendHex(out, s[i + k], 2);
      }
    } else if (codePoint == '\\') {
      out += "\\\\";
    } else if (isHiddenCharacter(codePoint)) {
      appendEscape(out, codePoint);
    } else {
      out.append(utf8.substr(i, length));
    }
    i += length;
  }
  return out;
}

std::string shownCharacter(std::string_view utf8) {
  uint32_t codePoint = 0;
  bool malformed = false;
  const size_t length = utf8.empty()
                            ? 0
                            : readCharacter(reinterpret_cast<const unsigned char*>(utf8.data()),
                                            utf8.size(), codePoint, malformed);
  if (utf8.empty() || malformed || length != utf8.size()) {
    return shownText(utf8);
  }
  if (isHiddenCharacter(codePoint)) {
    return codePointName(codePoint);
  }
  return codePointName(codePoint) + " " + std::string(utf8);
}
