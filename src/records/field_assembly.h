// Field assembly of one record: name kanji, name key, and the rendering of
// the record's words into a word line and a kanji line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "records/source_record.h"
#include "tables/kanji_table.h"
#include "textutil/core.h"

struct Dictionary;

// Width of the printed name key: the three name parts' capacities.
const size_t kNameKeyWidth = 21;

// The kanji texts of a record's three name codes, in the order of the codes.
using NameKanji = std::array<std::string, 3>;

// The record's own name, as a word that equals its key is rendered.
struct RecordName {
  std::string_view key;  // the unpadded name key
  std::string_view kanji1;
  std::string_view kanji2;
  std::string_view kanji3;
};

// What a record gave "?" for, for a report of what the data lacks.
struct UnknownWords {
  TextList words;  // words (as looked up) that no bracket, entry or name rendered
  TextList codes;  // name and bracket codes, blanks removed, that named no kanji
};

// Empties both lists for the next record.
void clearUnknownWords(UnknownWords& unknown);

// Scratch texts of renderWordText, kept from record to record so that
// rendering allocates nothing per word.
struct RenderScratch {
  std::string text;       // the upper-cased word text
  std::string word;       // the word being rendered
  std::string group;      // a double-quoted group of words
  std::string suffix;     // the codes of a bracket suffix
  std::string codeGroup;  // a double-quoted group of codes
  std::string bracket;    // the kanji of a bracket suffix
};

// Sets `kanji` to the texts that `table` gives for the record's three name
// codes; `unknown`, when given, collects each code (once per field) that
// named no kanji.
void resolveNameCodes(const SourceRecord& record, const KanjiTable& table, NameKanji& kanji,
                      UnknownWords* unknown = nullptr);

// The three name parts joined, upper-cased, with every blank removed.
std::string buildNameKey(const std::string& name1, const std::string& name2,
                         const std::string& name3);

// Pads a name key with blanks to kNameKeyWidth characters.
void padNameKey(std::string& nameKey);

// What the rendering of one record's words reads besides the words: the
// tables it looks words and codes up in, the record's own name, and the list
// it notes what gave "?" in (none when nullptr).
struct WordRendering {
  const Dictionary& dictionary;
  const KanjiTable& kanjiTable;
  RecordName name;
  UnknownWords* unknown = nullptr;
};

// Renders a record's word text into `wordLine` (every processed word and a
// blank) and `kanjiLine` (their kanji, trailing blanks removed). A word is
// written with the kanji of the codes in its bracket suffix, else with those
// of its first dictionary entry, else with the name kanji when it is the
// record's own name, else as "?". "(NO)" adds nothing to the kanji line; a
// word made only of "..." is left out of both lines.
void renderWordText(std::string_view wordText, const WordRendering& rendering,
                    RenderScratch& scratch, std::string& wordLine, std::string& kanjiLine);
