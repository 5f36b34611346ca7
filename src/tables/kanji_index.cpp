// The kanji table indexed by kanji text.
#include "tables/kanji_index.h"

#include <algorithm>

#include "tables/kanji_table.h"
#include "tables/word_rules.h"

KanjiIndex indexKanjiTable(const KanjiTable& table) {
  KanjiIndex index;
  for (size_t code = kFirstKanjiCode; code < table.size(); ++code) {
    const std::string_view kanji = withoutTrailingBlanks(table[code]);
    // A code that shows a fixed text instead of its entry names no kanji.
    if (!kanji.empty() &&
        lookupKanjiNumber(table, static_cast<int32_t>(code)).text == table[code]) {
      index.codes.emplace(std::string(kanji), static_cast<int32_t>(code));  // the first stays
    }
  }
  return index;
}

int32_t findKanjiCode(const KanjiIndex& index, std::string_view kanji) {
  const auto at = index.codes.find(std::string(kanji));
  return at == index.codes.end() ? -1 : at->second;
}

std::string_view codesOfKanji(const KanjiIndex& index, std::string_view kanji, TextList& codes) {
  for (size_t p = 0; p < kanji.size();) {
    const size_t n =
        std::min(cp932CharLength(static_cast<unsigned char>(kanji[p])), kanji.size() - p);
    const int32_t code = findKanjiCode(index, kanji.substr(p, n));
    if (code < 0) {
      return kanji.substr(p, n);
    }
    codes.push_back(std::to_string(code));
    p += n;
  }
  return {};
}
