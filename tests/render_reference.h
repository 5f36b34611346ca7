// The word rendering done literally, step by step, with the text library's
// general operations. The product's renderWordText must give exactly its
// results.
#pragma once

#include <string>

#include "records/field_assembly.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "textutil/textutil.h"

namespace reference {

inline const char kNoWord[] = "(NO)";

// The kanji of the codes in a bracket suffix such as "[600,601]", each
// preceded by a blank; `suffix` is the part after the "[".
inline std::string bracketKanjiOf(std::string suffix) {
  replaceAll(suffix, "]", "", 1);
  replaceAll(suffix, ",", " ", 1);
  std::string kanji;
  for (std::string& code : tokenize(suffix)) {
    lookupKanjiCode(code);
    kanji += ' ';
    kanji += code;
  }
  replaceAll(kanji, "  ", " ", 2);
  return kanji;
}

// Appends the kanji of one cleaned word to the kanji line.
inline void appendWordKanji(const std::string& word, const std::string& bracketKanji,
                            const std::string& nameKey, const std::string& nameKanji1,
                            const std::string& nameKanji2, const std::string& nameKanji3,
                            const Dictionary& dictionary, std::string& kanjiLine) {
  if (!bracketKanji.empty()) {
    kanjiLine += bracketKanji;
    kanjiLine += ' ';
    return;
  }
  if (const WordEntry* entry = findWordEntry(dictionary, word)) {
    for (const std::string& kanji : entry->kanji) {
      kanjiLine += kanji;
      kanjiLine += ' ';
    }
    return;
  }
  if (word == nameKey) {
    kanjiLine += nameKanji1 + " " + nameKanji2 + " " + nameKanji3 + " ";
    replaceAll(kanjiLine, "  ", " ", 2);
    return;
  }
  kanjiLine += "? ";
}

inline RenderedWords renderWordText(const std::string& wordText, const std::string& nameKey,
                                    const std::string& nameKanji1, const std::string& nameKanji2,
                                    const std::string& nameKanji3, const Dictionary& dictionary) {
  std::string text = wordText;
  trimTrailingBlanks(text);
  toUpperCase(text);
  TextList words = tokenize(text);

  RenderedWords out;
  std::string& kanjiLine = out.kanjiLine;
  for (std::string& word : words) {
    if (word == kNoWord) {
      continue;  // kept in the word line, adds nothing to the kanji line
    }
    replaceAll(word, "...", "", 3);
    if (word.empty()) {
      // A word made only of ellipses is no word at all: it is left out of
      // both lines rather than shown as an unknown word.
      continue;
    }
    const bool comma = word.back() == ',';
    replaceAll(word, ",", " ", 1);
    replaceAll(word, "  ", " ", 2);
    trimTrailingBlanks(word);

    std::string bracketKanji;
    const size_t open = word.find('[');
    if (open != std::string::npos && open > 0) {
      bracketKanji = bracketKanjiOf(word.substr(open + 1));
      word.resize(open);
    }
    appendWordKanji(word, bracketKanji, nameKey, nameKanji1, nameKanji2, nameKanji3, dictionary,
                    kanjiLine);
    if (comma) {
      kanjiLine += ',';
      word += ',';
    }
    replaceAll(kanjiLine, " ,", ", ", 2);
  }

  for (const std::string& word : words) {
    if (!word.empty()) {
      out.wordLine += word;
      out.wordLine += ' ';
    }
  }
  trimTrailingBlanks(kanjiLine);
  return out;
}

}  // namespace reference
