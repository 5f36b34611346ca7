// The dictionary of an import: the rows of a dictionary export laid over the
// words.txt that stands, so that only the lines of entries that changed are
// written anew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import_problems.h"
#include "table_reader.h"
#include "tables/kanji_index.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

// What a dictionary import changes in words.txt, entry by entry.
struct WordChanges {
  int64_t entries = 0;              // entries of the new words.txt
  int64_t changed = 0;              // entries whose values a row changes
  int64_t added = 0;                // entries no line of the old file had
  int64_t removed = 0;              // entries of the old file that no row carries
  int64_t rewritten = 0;            // unchanged, but written anew as a line before changed
  int64_t unchanged = 0;            // the rest, their lines kept as they stand
  bool same = false;                // the new words.txt is the old one, byte for byte
  std::vector<std::string> listed;  // the first changes, one line each
  int64_t unlisted = 0;             // changes past those
  uint64_t digest = 0;              // of every entry meant, in file order
};

// One row of a dictionary export: the line of words.txt it stands on (0 for
// a new entry), its values as words.txt stores them, and where its cells
// are, for messages (which show the values from the stored ones: a row
// keeps no copy of its cells).
struct WordRow {
  int64_t line = 0;
  WordLine entry;
  int64_t cellLine[3] = {0, 0, 0};  // key, word, codes (or kanji)
  const char* column[3] = {nullptr, nullptr, nullptr};
  std::string kanji;  // the kanji as stored, where the codes were found from them for messages
};

// Reads every row of a dictionary export and lays the rows over the
// words.txt at `output.path`: rows with a line change that line, rows
// without one are added at the end; when the export has no line column the
// rows are the whole new dictionary. Writes the result to `output` unless
// it is the old file; the kanji of a row without codes are looked up in
// `index`, codes checked in `kanji`.
void importWords(TableReader& reader, const std::string& file, bool utf8, const KanjiTable& kanji,
                 const KanjiIndex& index, ImportOutput& output, WordChanges& changes,
                 Problems& problems);

// Lays `rows` over the stored words.txt `old` (by their lines when
// `byLine`, else in their place) into `out`, counting and listing into
// `changes`; every problem noted with the export's name `file`, the words
// file named `path` in the listing.
void mergeWords(const std::vector<WordRow>& rows, bool byLine, const std::string& old,
                const KanjiTable& kanji, const std::string& file, const std::string& path,
                std::string& out, WordChanges& changes, Problems& problems);

// The digest of one more entry after `digest`, as WordChanges keeps it.
uint64_t digestWordEntry(uint64_t digest, const WordLine& entry);

// Reads the written words.txt at `temp` back with the dictionary's reader;
// false (a message printed) when it does not give the entries meant.
bool wordsReadBack(const std::string& temp, const std::string& path, const WordChanges& changes);

// Prints, on standard output, the changes listed (when `listing`) and the
// counts.
void printWordChanges(const WordChanges& changes, const std::string& path, bool check,
                      bool listing);
