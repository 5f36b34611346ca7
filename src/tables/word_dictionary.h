// The word dictionary: words and the kanji they are written in, from words.txt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textutil/textutil.h"

// One dictionary line: its key, its word and one kanji text per code.
struct WordEntry {
  std::string key;
  std::string word;
  TextList kanji;
};

// One slot of the dictionary's index: where a key's record lies in the
// packed records, + 1 (0 for a free slot), and the low bits of its hash,
// compared before the key itself.
struct WordSlot {
  uint64_t record = 0;
  uint32_t hashBits = 0;
};

// The entries in file order, with an index from each key to its first entry.
struct Dictionary {
  std::vector<WordEntry> entries;
  // What a lookup reads, packed so that it touches little memory: for the
  // first entry of every key, the key's length and the kanji text's length
  // (4 bytes each), the key, then the kanji text (every kanji followed by a
  // blank).
  std::string packed;
  // Open addressing with linear probing into `packed`; the size is a power
  // of two, at least twice the number of keys.
  std::vector<WordSlot> index;
  size_t keys = 0;  // distinct keys indexed
  // The key of the keyed hash, drawn afresh for every dictionary, so that no
  // file can be made whose keys all fall on the same slots.
  uint64_t hashKey[2] = {0, 0};
};

// The dictionary of the run; empty until loadWordDictionary has run. It is
// never torn down: freeing every entry at exit would only cost time.
extern Dictionary& WordDictionary;

// The word file, in the current folder.
const char kWordFile[] = "words.txt";

// Fills WordDictionary from words.txt in the current folder, resolving codes
// through the kanji table (empty when the file cannot be opened). False when
// it could not be opened or read; a message has been printed.
bool loadWordDictionary();

// Fills `dictionary` from the word file at `path`; false on an open or read
// failure.
bool loadWordDictionaryFrom(const char* path, Dictionary& dictionary);

// Appends an entry, indexing its key unless an earlier entry has it.
void addWordEntry(Dictionary& dictionary, WordEntry entry);

// Finds the first entry whose key equals `key` exactly and sets `kanjiText`
// to its kanji texts, each followed by one blank; false when no entry has
// the key. The view stays valid while the dictionary is not changed.
bool findWordKanji(const Dictionary& dictionary, std::string_view key, std::string_view& kanjiText);

// SipHash-1-3 of `data` under the 128-bit key `k0`, `k1`.
uint64_t sipHash13(uint64_t k0, uint64_t k1, std::string_view data);
