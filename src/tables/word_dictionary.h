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
  std::string kanjiText;  // the kanji, each followed by a blank; set by addWordEntry
};

// The entries in file order, with an index from each key to its first entry.
struct Dictionary {
  std::vector<WordEntry> entries;
  // Open-addressing hash index over the keys: entry number + 1, or 0 for a
  // free slot. Its size is a power of two, at least twice the entry count.
  std::vector<uint32_t> slots;
};

// The dictionary of the run; empty until loadWordDictionary has run.
extern Dictionary WordDictionary;

// Fills WordDictionary from words.txt in the current folder, resolving codes
// through the kanji table (empty when the file cannot be opened). False when
// a read failed; a message has been printed.
bool loadWordDictionary();

// Fills `dictionary` from the word file at `path`; false on a read failure.
bool loadWordDictionaryFrom(const char* path, Dictionary& dictionary);

// Appends an entry, indexing its key unless an earlier entry has it.
void addWordEntry(Dictionary& dictionary, const WordEntry& entry);

// The first entry whose key equals `key` exactly, or nullptr.
const WordEntry* findWordEntry(const Dictionary& dictionary, std::string_view key);
