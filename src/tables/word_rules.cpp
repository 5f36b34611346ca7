// The rules an entry written to words.txt has to keep.
#include "tables/word_rules.h"

#include <string>

const char kRepeatedKey[] = "words.txt has this word already; only its first entry is ever found";

namespace {

bool isSmallLetter(char c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

size_t cp932CharLength(unsigned char lead) {
  return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

const char* unfindableKey(std::string_view key) {
  // The look-up upper-cases every byte, the second byte of a two-byte
  // character too, so either kind of small letter keeps a key from matching.
  for (size_t p = 0; p < key.size();) {
    const size_t n = cp932CharLength(static_cast<unsigned char>(key[p]));
    if (n == 1 && isSmallLetter(key[p])) {
      return "a key with small letters, which the look-up never finds: words are looked up "
             "upper-cased";
    }
    if (n == 2 && p + 1 < key.size() && isSmallLetter(key[p + 1])) {
      return "a key with a character whose second byte is a small letter, which the look-up "
             "upper-cases: it never finds the key";
    }
    p += n;
  }
  if (key.find(',') != std::string_view::npos) {
    return "a key with a comma, which the look-up never finds: a comma in a word is made a blank";
  }
  if (key == "(NO)") {
    return "the key (NO), which the look-up passes over";
  }
  if (key.find("...") != std::string_view::npos) {
    return "a key with \"...\", which the look-up never finds: \"...\" is removed from words";
  }
  return nullptr;
}

const char* codeWithoutKanji(const KanjiTable& kanji, std::string_view code) {
  if (code.empty() || code.find_first_not_of("0123456789") != std::string_view::npos) {
    return "a code that is not a number";
  }
  const size_t digits = code.find_first_not_of('0');
  // No kanji table reaches a code of ten digits; such a number is not read.
  const bool tooLong = digits != std::string_view::npos && code.size() - digits > 9;
  const KanjiLookup found =
      tooLong ? KanjiLookup{} : lookupKanjiNumber(kanji, std::stoi(std::string(code)));
  // Code 0 and a record of blanks show nothing: no kanji either.
  if (!found.found || found.text.find_first_not_of(' ') == std::string_view::npos) {
    return "a code that names no kanji in kanjis.dat";
  }
  return nullptr;
}

WordLineFault wordEntryFault(const WordLine& entry, const KanjiTable& kanji, bool earlierHasKey) {
  if (const char* reason = unfindableKey(entry.key)) {
    return {WordPart::key, reason};
  }
  if (earlierHasKey) {
    return {WordPart::key, kRepeatedKey};
  }
  for (const std::string& code : entry.codes) {
    if (const char* reason = codeWithoutKanji(kanji, code)) {
      return {WordPart::codes, reason};
    }
  }
  return {};
}
