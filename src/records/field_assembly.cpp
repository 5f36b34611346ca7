// Name key and word rendering.
#include "records/field_assembly.h"

#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

const char kNoWord[] = "(NO)";

// Notes a code that named no kanji, its blanks removed, when `unknown` is given.
void noteUnknownCode(std::string_view code, UnknownWords* unknown) {
  if (unknown != nullptr) {
    std::string& noted = unknown->codes.emplace_back(code);
    replaceAll(noted, " ", "", 1);
  }
}

// Sets scratch.bracket to the kanji of the codes in a bracket suffix such as
// "600,601]" (the part after the "["), each preceded by a blank.
void renderBracketSuffix(std::string_view suffix, const WordRendering& rendering,
                         RenderScratch& scratch) {
  std::string& codes = scratch.suffix;
  codes.assign(suffix);
  replaceAll(codes, "]", "", 1);
  replaceAll(codes, ",", " ", 1);
  std::string& bracket = scratch.bracket;
  forEachToken(codes, scratch.codeGroup, [&](std::string_view code) {
    const KanjiLookup kanji = lookupKanji(rendering.kanjiTable, code);
    if (!kanji.found) {
      noteUnknownCode(code, rendering.unknown);
    }
    bracket += ' ';
    bracket += kanji.text;
  });
  replaceAll(bracket, "  ", " ", 2);
}

// Appends the kanji of a cleaned word that has no bracket rendering: those
// of its first dictionary entry, else the name kanji when it is the record's
// own name (collapsing every run of blanks in the line), else "? ".
void appendWordKanji(const std::string& word, const WordRendering& rendering,
                     std::string& kanjiLine) {
  const RecordName& name = rendering.name;
  std::string_view kanjiText;
  if (findWordKanji(rendering.dictionary, word, kanjiText)) {
    kanjiLine += kanjiText;
  } else if (word == name.key) {
    kanjiLine.append(name.kanji1).append(" ").append(name.kanji2).append(" ");
    kanjiLine.append(name.kanji3).append(" ");
    replaceAll(kanjiLine, "  ", " ", 2);
  } else {
    kanjiLine += "? ";
    if (rendering.unknown != nullptr) {
      rendering.unknown->words.push_back(word);
    }
  }
}

// Renders one word other than "(NO)": cleans it, appends its kanji to the
// kanji line and gives it the form the word line shows. False for a word made
// only of "...", which is no word at all and is left out of both lines.
bool renderWord(std::string& word, const WordRendering& rendering, RenderScratch& scratch,
                std::string& kanjiLine) {
  replaceAll(word, "...", "", 3);
  if (word.empty()) {
    return false;
  }
  const bool comma = word.back() == ',';
  replaceAll(word, ",", " ", 1);
  replaceAll(word, "  ", " ", 2);
  trimTrailingBlanks(word);

  scratch.bracket.clear();
  const size_t open = word.find('[');
  if (open != std::string::npos && open > 0) {
    renderBracketSuffix(std::string_view(word).substr(open + 1), rendering, scratch);
    word.resize(open);
  }
  if (!scratch.bracket.empty()) {
    kanjiLine += scratch.bracket;
    kanjiLine += ' ';
  } else {
    appendWordKanji(word, rendering, kanjiLine);
  }
  if (comma) {
    kanjiLine += ',';
    word += ',';
  }
  replaceAll(kanjiLine, " ,", ", ", 2);
  return true;
}

}  // namespace

void clearUnknownWords(UnknownWords& unknown) {
  unknown.words.clear();
  unknown.codes.clear();
}

void resolveNameCodes(const SourceRecord& record, const KanjiTable& table, NameKanji& kanji,
                      UnknownWords* unknown) {
  const std::string* const codes[] = {&record.nameCode1, &record.nameCode2, &record.nameCode3};
  for (size_t i = 0; i < kanji.size(); ++i) {
    const KanjiLookup found = lookupKanji(table, *codes[i]);
    kanji[i].assign(found.text);
    if (!found.found) {
      noteUnknownCode(*codes[i], unknown);
    }
  }
}

std::string buildNameKey(const std::string& name1, const std::string& name2,
                         const std::string& name3) {
  std::string key = name1 + name2 + name3;
  toUpperCase(key);
  replaceAll(key, " ", "", 1);
  return key;
}

void padNameKey(std::string& nameKey) {
  if (nameKey.size() < kNameKeyWidth) {
    nameKey.append(kNameKeyWidth - nameKey.size(), ' ');
  }
}

void renderWordText(std::string_view wordText, const WordRendering& rendering,
                    RenderScratch& scratch, std::string& wordLine, std::string& kanjiLine) {
  std::string& text = scratch.text;
  text.assign(withoutTrailingBlanks(wordText));
  toUpperCase(text);
  wordLine.clear();
  kanjiLine.clear();
  forEachToken(text, scratch.group, [&](std::string_view token) {
    std::string& word = scratch.word;
    word.assign(token);
    if (word == kNoWord || renderWord(word, rendering, scratch, kanjiLine)) {
      wordLine += word;
      wordLine += ' ';
    }
  });
  trimTrailingBlanks(kanjiLine);
}
