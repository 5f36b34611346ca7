// Field assembly of one record: name kanji, name key, and the rendering of
// the record's words into a word line and a kanji line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/line_buffer.h"
#include "records/listing_writer.h"
#include "records/source_record.h"

struct Dictionary;

// One word of a word text, kept between finding the words and rendering
// them.
struct WordToken {
  // How the cleaning and bracket rules treat the word.
  enum Kind : unsigned char {
    Plain,     // nothing in it for them: looked up as it stands
    Comma,     // a plain word and one comma: looked up without the comma
    Ellipsis,  // a plain word and "...": looked up without the dots
    Other,     // anything else: the rules are applied one by one
  };
  size_t offset;  // where the word starts in `text`, or in `groups`
  size_t length;
  bool inGroups;  // a double-quoted group, rebuilt in `groups`
  Kind kind;
  uint64_t hash;     // hash of the key it is looked up by (for Other, a guess)
  uint64_t located;  // where its lookup ends, once locatePreparedWords has run
};

// The two lines rendered from a record's words, with scratch space that is
// reused from one record to the next.
struct RenderedWords {
  std::string wordLine;           // every processed word followed by one blank
  std::string kanjiLine;          // the kanji of the words, trailing blanks removed
  LineBuffer words;               // the word line being built
  LineBuffer kanji;               // the kanji line being built
  size_t kanjiClean = 0;          // no two blanks in a row stand before this in `kanji`
  std::string text;               // scratch: the upper-cased word text, then blanks
  size_t textLength = 0;          // the length of the word text in `text`
  std::string word;               // scratch: the word being processed
  std::string group;              // scratch: a double-quoted group of words
  std::string groups;             // scratch: the double-quoted groups of `text`
  std::vector<WordToken> tokens;  // scratch: the words of `text`
  bool located = false;           // locatePreparedWords has run on `tokens`
  LineBuffer bracket;             // scratch: the kanji of a word's bracket suffix
  std::string suffix;             // scratch: the codes of a bracket suffix
  std::string codeGroup;          // scratch: a double-quoted group of codes
  LineBuffer nameKey;             // the padded name key of the record assembled last
};

// Width of the printed name key: the three name parts' capacities.
const size_t kNameKeyWidth = 21;

// Replaces nameKanji1 to nameKanji3 by the kanji texts of their codes.
void resolveNameCodes(SourceRecord& record);

// The three name parts joined, upper-cased, with every blank removed.
std::string buildNameKey(const std::string& name1, const std::string& name2,
                         const std::string& name3);

// Renders a record's word text into `out`. A word is written with the kanji
// of the codes in its bracket suffix, else with those of its first dictionary
// entry, else with the name kanji when it is the record's own name, else as
// "?". "(NO)" adds nothing to the kanji line; a word made only of "..." is
// left out of both lines.
void renderWordTextInto(std::string_view wordText, std::string_view nameKey,
                        std::string_view nameKanji1, std::string_view nameKanji2,
                        std::string_view nameKanji3, const Dictionary& dictionary,
                        RenderedWords& out);

// renderWordTextInto in three steps, for a caller that works on several
// records at once: the memory a record's lookups touch is then loaded while
// other records are worked on. prepareWordText trims, upper-cases and splits
// the text and asks for the index slots of its words; locatePreparedWords,
// best a while later, finds where in the index their lookups end and asks for
// their dictionary records; renderPreparedWords renders the prepared words.
void prepareWordText(std::string_view wordText, const Dictionary& dictionary, RenderedWords& out);
void locatePreparedWords(const Dictionary& dictionary, RenderedWords& out);
void renderPreparedWords(std::string_view nameKey, std::string_view nameKanji1,
                         std::string_view nameKanji2, std::string_view nameKanji3,
                         const Dictionary& dictionary, RenderedWords& out);

// The same, returning new lines.
RenderedWords renderWordText(const std::string& wordText, const std::string& nameKey,
                             const std::string& nameKanji1, const std::string& nameKanji2,
                             const std::string& nameKanji3, const Dictionary& dictionary);

// Everything a listed record's block prints, worked out from its decoded
// fields: name kanji resolved, name key, word and kanji lines, annotated
// period and trimmed note. The views in `block` stay valid until `scratch`,
// `record` or the tables change.
void assembleRecord(const RecordView& record, const Dictionary& dictionary, BlockText& block,
                    RenderedWords& scratch);

// assembleRecord in the steps of the word rendering: prepareRecord,
// locatePreparedWords, then
// assemblePreparedRecord, each on the same `scratch`.
void prepareRecord(const RecordView& record, const Dictionary& dictionary, RenderedWords& scratch);
void assemblePreparedRecord(const RecordView& record, const Dictionary& dictionary,
                            BlockText& block, RenderedWords& scratch);
