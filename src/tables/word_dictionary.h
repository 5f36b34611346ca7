// The word dictionary: words and the kanji they are written in, from words.txt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "io/input_file.h"
#include "tables/kanji_table.h"
#include "textutil/core.h"

// One dictionary line: its key, its word and one kanji text per code.
struct WordEntry {
  std::string key;
  std::string word;
  TextList kanji;
};

// What the lines of the word file read so far give the next line: the
// latest key, word and code tokens. Only the key is reset for every line, so
// a line without a word or codes takes those of the latest line that had
// them.
struct WordLine {
  std::string key;
  std::string word;
  TextList codes;
};

// One slot of the dictionary's index: where a key's record lies in the
// packed records, + 1 (0 for a free slot), and the key's hash, compared
// before the key itself.
struct WordSlot {
  uint64_t record = 0;
  uint64_t hash = 0;
};

// The dictionary as lookups see it: for every key, its first entry in file
// order. A lookup reads only what the first entry of a key gives the
// conversion, its kanji texts; later entries of a key can never be found,
// and an entry's word is never used, so neither is kept.
struct Dictionary {
  // What a lookup reads, packed so that it touches little memory: for the
  // first entry of every key, the key's length and the kanji text's length
  // (4 bytes each), the key, then the kanji text (every kanji followed by a
  // blank).
  std::string packed;
  // Open addressing with linear probing into `packed`; the size is a power
  // of two, at least twice the number of keys.
  std::vector<WordSlot> index;
  size_t keys = 0;     // distinct keys indexed
  size_t entries = 0;  // entries added, repeated keys included
  // The key of the keyed hash, drawn afresh for every dictionary, so that no
  // file can be made whose keys all fall on the same slots.
  uint64_t hashKey[2] = {0, 0};
};

// Fills `dictionary` from the word file at `path`, resolving codes through
// `kanji` (empty when the file cannot be opened); returns what failed:
// nothing when it was read, or when it does not exist.
FileError loadWordDictionaryFrom(const char* path, const KanjiTable& kanji, Dictionary& dictionary);

// Reads the word file at `path` line by line and calls `take` with the
// entry of every line that has a token, in file order, as the loading's
// working entry leaves it, its codes resolved through `kanji`; returns what
// failed, as loadWordDictionaryFrom does. A missing file gives no entries.
FileError readWordEntries(const char* path, const KanjiTable& kanji,
                          const std::function<void(const WordEntry&)>& take);

// One entry of the word file as the dictionary export lists it: the line of
// the file it was read from (counted from 1; both pieces of a line that the
// reader cuts stand on it), the working values after that piece, and its
// kanji texts.
struct ListedWordEntry {
  int64_t line = 0;
  const WordLine* values = nullptr;
  const WordEntry* entry = nullptr;
};

// As readWordEntries, with the line and the code tokens of every entry.
FileError listWordEntries(const char* path, const KanjiTable& kanji,
                          const std::function<void(const ListedWordEntry&)>& take);

// What the reader meets in the lines of a word file besides their entries.
struct WordFileLines {
  int64_t lines = 0;         // a last line without a line feed included
  int64_t cutLines = 0;      // longer than a piece: the rest is read as a line of its own
  int64_t firstCutLine = 0;  // the first of those, 0 for none
  int64_t lastCutLine = 0;   // the latest of those, 0 for none
};

// As listWordEntries, from the open word file `in` (opened as text), read to
// its end; counts its lines into `lines` when given. The caller closes it and
// looks for a failed read.
void listWordEntriesIn(InputFile& in, const KanjiTable& kanji,
                       const std::function<void(const ListedWordEntry&)>& take,
                       WordFileLines* lines = nullptr);

// Takes one line as the loader reads it (at most 79 bytes, its line feed
// included) into `working`: the key reset, then token 1 as the key, token 2
// as the word and tokens 3 on, when there are any, as the codes. The line's
// text ends at its first zero byte. Returns the number of tokens. `group` is
// scratch space for tokenize.
size_t takeWordLine(std::string_view line, WordLine& working, std::string& group);

// The most bytes a line of the word file is read in at a time, its line
// feed included; the rest of a longer line is read as a line of its own.
constexpr size_t kWordLinePieceMax = 79;

// Adds an entry, indexing its key unless an earlier entry has it.
void addWordEntry(Dictionary& dictionary, const WordEntry& entry);

// Finds the first entry whose key equals `key` exactly and sets `kanjiText`
// to its kanji texts, each followed by one blank; false when no entry has
// the key. The view stays valid while the dictionary is not changed.
bool findWordKanji(const Dictionary& dictionary, std::string_view key, std::string_view& kanjiText);

// SipHash-1-3 of `data` under the 128-bit key `k0`, `k1`.
uint64_t sipHash13(uint64_t k0, uint64_t k1, std::string_view data);
