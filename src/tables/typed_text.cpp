// Texts as the data files store them.
#include "tables/typed_text.h"

#include "textutil/shown_text.h"

bool storedBytes(std::string_view value, bool utf8, std::string& out, Cp932EncodeError& error) {
  out.clear();
  if (!utf8) {
    out.assign(value);
    return true;
  }
  return appendUtf8AsCp932(out, value, error);
}

bool storedBytes(std::string_view value, bool utf8, std::string& out, std::string& reason) {
  Cp932EncodeError error;
  if (storedBytes(value, utf8, out, error)) {
    return true;
  }
  reason = error.malformed ? std::string("bytes that are not UTF-8")
                           : "a character that CP932 cannot hold: " + shownCharacter(error.text) +
                                 adviceInBrackets(error.codePoint);
  return false;
}

std::string adviceInBrackets(uint32_t codePoint) {
  const std::string_view advice = cp932Advice(codePoint);
  return advice.empty() ? std::string() : " (" + std::string(advice) + ")";
}
