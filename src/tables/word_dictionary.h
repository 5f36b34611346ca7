// The word dictionary: words and the kanji they are written in, from words.txt.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "textutil/byte_chunks.h"
#include "textutil/textutil.h"

// One dictionary line: its key, its word and one kanji text per code.
struct WordEntry {
  std::string key;
  std::string word;
  TextList kanji;
};

// The entries in file order, with an index from each key to its first entry.
struct Dictionary {
  std::vector<WordEntry> entries;
  // What a lookup needs of the first entry of every key, packed so that one
  // lookup touches little memory: per key, its entry number, the length of
  // the key and of the kanji text (4 bytes each), the key, then the kanji
  // text (every kanji followed by a blank). The last record is followed by
  // kWordKanjiReadAhead blanks.
  std::string packed;
  // Open-addressing hash index into `packed`: the hash's high 32 bits, then
  // the record's offset + 1 in the low 32 bits; 0 for a free slot. Its size
  // is a power of two, at least twice the number of keys; a key's probe
  // starts at the slot its hash's high bits name.
  std::vector<uint64_t> slots;
  size_t keys = 0;
  bool kanjiHoldCommas = false;  // some indexed kanji text holds a comma
};

// The dictionary of the run; empty until loadWordDictionary has run. It is
// never torn down: freeing every entry at exit would only cost time.
extern Dictionary& WordDictionary;

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

// How many bytes past the kanji text that findWordKanji gives are readable.
const size_t kWordKanjiReadAhead = 16;

// Finds the first entry whose key equals `key` exactly and sets `kanjiText`
// to its kanji, each followed by a blank; false when no entry has the key.
bool findWordKanji(const Dictionary& dictionary, std::string_view key, std::string_view& kanjiText);

// The same, for a key whose hashWordKey is already known.
bool findWordKanji(const Dictionary& dictionary, std::string_view key, uint64_t hash,
                   std::string_view& kanjiText);

// The hash a key is indexed under.
uint64_t hashWordKey(std::string_view key);

// hashWordKey in steps, for a caller that reads a key eight bytes at a time
// itself: start from 0, mix in every whole chunk of eight bytes in order,
// then finish with the remaining bytes (the lowest bytes of `tail`, the
// others zero) and the key's length.
const uint64_t kWordHashMul = 0x9E3779B97F4A7C15ull;
inline uint64_t mixWordHash(uint64_t h, uint64_t chunk) {
  h = (h ^ chunk) * kWordHashMul;
  return h ^ (h >> 32);
}
inline uint64_t finishWordHash(uint64_t h, uint64_t tail, size_t size) {
  h = (h ^ tail) * kWordHashMul;
  h = (h ^ size) * kWordHashMul;
  return h ^ (h >> 29);
}

// Asks for the cache line at `p`; a hint only.
inline void prefetchMemory(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// ---- The index layout (see Dictionary), shared by the lookups ----

// The bits of an index slot that hold the high 32 bits of its key's hash.
const uint64_t kSlotTagBits = 0xFFFFFFFF00000000ull;

// Where a key with `hash` is placed first: taken from the hash's high bits,
// the ones each slot keeps, so that the index can grow without the keys.
// Precondition: the index is not empty.
inline size_t homeSlot(const Dictionary& dictionary, uint64_t hash) {
  return (hash >> 32) & (dictionary.slots.size() - 1);
}

// The packed record an index slot (not a free one) points to.
inline const char* packedRecordOf(const Dictionary& dictionary, uint64_t slot) {
  return dictionary.packed.data() + (slot & 0xFFFFFFFFu) - 1;
}

// A packed record starts with three 4-byte numbers: the entry number, the
// key's length and the kanji text's length.
const size_t kPackedHeader = 12;

// One packed record, read in place.
struct PackedKey {
  uint32_t entry;
  std::string_view key;
  std::string_view kanjiText;
};

inline uint32_t readU32(const char* at) {
  uint32_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

inline PackedKey readPacked(const char* record) {
  const uint32_t keyLength = readU32(record + 4);
  return {readU32(record), std::string_view(record + kPackedHeader, keyLength),
          std::string_view(record + kPackedHeader + keyLength, readU32(record + 8))};
}

// Lookups of many keys run faster in rounds: prefetchWordSlot for every key,
// then locateWordRecord for every key, then findLocatedWordKanji for each.
// The first two only start loading memory and never change a result.
inline void prefetchWordSlot(const Dictionary& dictionary, uint64_t hash) {
  if (!dictionary.slots.empty()) {
    prefetchMemory(&dictionary.slots[homeSlot(dictionary, hash)]);
  }
}

// Where the lookup of a key with `hash` almost always ends: the index slot
// of the first slot along its probe whose hash bits match, whose record is
// asked for; 0 when a free slot comes first, and then no key with this hash
// is indexed.
inline uint64_t locateWordRecord(const Dictionary& dictionary, uint64_t hash) {
  if (dictionary.slots.empty()) {
    return 0;
  }
  const size_t mask = dictionary.slots.size() - 1;
  for (size_t slot = homeSlot(dictionary, hash);; slot = (slot + 1) & mask) {
    const uint64_t at = dictionary.slots[slot];
    if (at == 0) {
      return 0;
    }
    if ((at & kSlotTagBits) == (hash & kSlotTagBits)) {
      // A record may reach into the next cache line.
      const char* record = packedRecordOf(dictionary, at);
      prefetchMemory(record);
      prefetchMemory(record + 48);
      return at;
    }
  }
}

// findWordKanji for a key whose hashWordKey is `hash` and for which
// locateWordRecord gave `located`, the dictionary unchanged since.
inline bool findLocatedWordKanji(const Dictionary& dictionary, std::string_view key, uint64_t hash,
                                 uint64_t located, std::string_view& kanjiText) {
  if (located == 0) {
    return false;
  }
  const PackedKey record = readPacked(packedRecordOf(dictionary, located));
  if (record.key.size() == key.size() && bytesMatch(record.key.data(), key.data(), key.size())) {
    kanjiText = record.kanjiText;
    return true;
  }
  // Another key with the same hash bits: the probe goes on from there.
  return findWordKanji(dictionary, key, hash, kanjiText);
}
