// The rules a value written into list.rec keeps.
#include "records/record_rules.h"

#include <cstdint>

#include "records/source_record.h"
#include "textutil/core.h"

namespace {

// The last code of `kanji` that shows a kanji: the read that met the end of
// the file gives a blank last entry when the file ends at a record boundary,
// and blank records may stand before it.
size_t lastKanjiCode(const KanjiTable& kanji) {
  size_t last = kanji.size() - 1;
  while (last > static_cast<size_t>(kFirstKanjiCode) &&
         withoutTrailingBlanks(kanji[last]).empty()) {
    --last;
  }
  return last;
}

// Why the name code `value` would not show the kanji meant; "" when it would.
std::string nameCodeTrap(std::string_view value, const KanjiTable& kanji) {
  // The reader removes every blank and reads the number that is left.
  std::string digits;
  for (const char c : value) {
    if (c == ' ') {
      continue;
    }
    if (c < '0' || c > '9') {
      return "not a kanji code: digits of a code of kanjis.dat, or blank for no kanji";
    }
    digits += c;
  }
  digits.erase(0, digits.find_first_not_of('0'));
  if (digits.size() > 9) {
    return "not a kanji code: a number larger than any code";
  }
  int32_t code = 0;
  for (const char c : digits) {
    code = code * 10 + (c - '0');
  }
  if (code == 0) {
    return "";  // no kanji, as a blank code
  }
  const std::string named = "code " + std::to_string(code);
  if (kanji.empty()) {
    return named + " cannot be checked: kanjis.dat is missing";
  }
  const KanjiLookup found = lookupKanjiNumber(kanji, code);
  const bool inTable = code >= kFirstKanjiCode && static_cast<size_t>(code) < kanji.size();
  if (found.found && !(inTable && found.text == kanji[static_cast<size_t>(code)])) {
    // The reader's one fixed code, which never shows its record.
    return named + " shows as \"" + std::string(found.text) +
           "\" in the listing, whatever kanjis.dat holds";
  }
  if (!found.found || withoutTrailingBlanks(found.text).empty()) {
    return named + " names no kanji of kanjis.dat, whose codes run from " +
           std::to_string(kFirstKanjiCode) + " to " + std::to_string(lastKanjiCode(kanji)) +
           ": the listing would not show it";
  }
  return "";
}

}  // namespace

bool isNameCodeField(size_t i) {
  const auto member = kStoredFields[i].member;
  return member == &SourceRecord::nameCode1 || member == &SourceRecord::nameCode2 ||
         member == &SourceRecord::nameCode3;
}

std::string recordValueTrap(size_t i, std::string_view value, const KanjiTable& kanji) {
  if (value.find('\0') != std::string_view::npos) {
    return "a zero byte, where the reader would end the value";
  }
  return isNameCodeField(i) ? nameCodeTrap(value, kanji) : "";
}
