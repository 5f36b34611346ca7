// The kanji table indexed by kanji text.
#include "tables/kanji_index.h"

#include "tables/kanji_table.h"

KanjiIndex indexKanjiTable(const KanjiTable& table) {
  KanjiIndex index;
  for (size_t code = kFirstKanjiCode; code < table.size(); ++code) {
    const std::string_view kanji = withoutTrailingBlanks(table[code]);
    // A code that shows a fixed text instead of its entry names no kanji.
    if (!kanji.empty() && lookupKanjiNumber(table, static_cast<int32_t>(code)).text == table[code]) {
      index.codes.emplace(std::string(kanji), static_cast<int32_t>(code));  // the first stays
    }
  }
  return index;
}

int32_t findKanjiCode(const KanjiIndex& index, std::string_view kanji) {
  const auto at = index.codes.find(std::string(kanji));
  return at == index.codes.end() ? -1 : at->second;
}
