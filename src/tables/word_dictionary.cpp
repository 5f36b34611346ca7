// Loading words.txt and finding words in it.
#include "tables/word_dictionary.h"

#include <algorithm>
#include <cstring>

#include "tables/kanji_table.h"
#include "textutil/file_io.h"

Dictionary WordDictionary;

namespace {

// A line is read into an 80-byte buffer: at most 79 bytes at a time.
const size_t kLinePieceMax = 79;

// Sets the working entry from one line: token 1 is the key, token 2 the
// word, every later token a kanji code. Only the key is reset for every line:
// word and kanji keep the values of the latest line that had them.
void takeLine(std::string_view line, std::string& group, WordEntry& entry) {
  entry.key.clear();
  size_t n = 0;
  forEachToken(line, group, [&n, &entry](std::string_view token) {
    ++n;
    if (n == 1) {
      entry.key.assign(token);
    } else if (n == 2) {
      entry.word.assign(token);
    } else {
      if (n == 3) {
        entry.kanji.clear();
      }
      entry.kanji.emplace_back(token);
      lookupKanjiCode(entry.kanji.back());
    }
  });
}

}  // namespace

// Mixes the key eight bytes at a time; any well-spread hash serves.
uint64_t hashWordKey(std::string_view key) {
  uint64_t h = 0;
  size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, key.data() + i, 8);
    h = mixWordHash(h, chunk);
  }
  uint64_t tail = 0;
  for (size_t j = i; j < key.size(); ++j) {
    tail |= static_cast<uint64_t>(static_cast<unsigned char>(key[j])) << (8 * (j - i));
  }
  return finishWordHash(h, tail, key.size());
}

namespace {

// Asks for the cache line at `p`; a hint only.
void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// One packed lookup record, read in place.
struct PackedKey {
  uint32_t entry;
  std::string_view key;
  std::string_view kanjiText;
};

const size_t kPackedHeader = 12;

uint32_t readU32(const char* at) {
  uint32_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

void appendU32(std::string& out, size_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  out.append(reinterpret_cast<const char*>(&u), sizeof u);
}

PackedKey readPacked(const Dictionary& dictionary, size_t offset) {
  const char* at = dictionary.packed.data() + offset;
  const uint32_t keyLength = readU32(at + 4);
  return {readU32(at), std::string_view(at + kPackedHeader, keyLength),
          std::string_view(at + kPackedHeader + keyLength, readU32(at + 8))};
}

// The slot that holds `key`, or the free slot where it would go.
// Precondition: the index has at least one free slot.
size_t findSlot(const Dictionary& dictionary, std::string_view key, uint64_t hash) {
  const size_t mask = dictionary.slots.size() - 1;
  const uint64_t tag = hash & 0xFFFFFFFF00000000ull;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint64_t at = dictionary.slots[slot];
    if (at == 0) {
      return slot;
    }
    if ((at & 0xFFFFFFFF00000000ull) == tag &&
        readPacked(dictionary, (at & 0xFFFFFFFFu) - 1).key == key) {
      return slot;
    }
  }
}

// Doubles the index and places every indexed key again.
void growIndex(Dictionary& dictionary) {
  std::vector<uint64_t> old;
  old.swap(dictionary.slots);
  dictionary.slots.assign(old.empty() ? 64 : old.size() * 2, 0);
  for (const uint64_t at : old) {
    if (at != 0) {
      const std::string_view key = readPacked(dictionary, (at & 0xFFFFFFFFu) - 1).key;
      dictionary.slots[findSlot(dictionary, key, hashWordKey(key))] = at;
    }
  }
}

}  // namespace

void addWordEntry(Dictionary& dictionary, const WordEntry& entry) {
  dictionary.entries.push_back(entry);
  if (dictionary.slots.size() < 2 * (dictionary.keys + 1)) {
    growIndex(dictionary);
  }
  const uint64_t hash = hashWordKey(entry.key);
  const size_t slot = findSlot(dictionary, entry.key, hash);
  if (dictionary.slots[slot] != 0) {
    return;  // an earlier entry has this key and is the one found
  }
  std::string kanjiText;
  for (const std::string& kanji : entry.kanji) {
    kanjiText += kanji;
    kanjiText += ' ';
  }
  if (kanjiText.find(',') != std::string::npos) {
    dictionary.kanjiHoldCommas = true;
  }
  std::string& packed = dictionary.packed;
  const size_t offset = packed.size();
  appendU32(packed, dictionary.entries.size() - 1);
  appendU32(packed, entry.key.size());
  appendU32(packed, kanjiText.size());
  packed += entry.key;
  packed += kanjiText;
  dictionary.slots[slot] = (hash & 0xFFFFFFFF00000000ull) | (offset + 1);
  ++dictionary.keys;
}

bool loadWordDictionaryFrom(const char* path, Dictionary& dictionary) {
  dictionary = Dictionary();
  InputFile in;
  if (!openInput(in, path, true)) {
    return true;
  }
  WordEntry working;
  std::string line;
  std::string group;
  while (readLinePiece(in, line, kLinePieceMax)) {
    // The line buffer's text ends at its first zero byte.
    line.resize(std::min(line.size(), line.find('\0')));
    takeLine(line, group, working);
    if (!working.key.empty()) {
      addWordEntry(dictionary, working);
    }
  }
  closeInput(in);
  return reportReadFailure(path, in.error);
}

bool loadWordDictionary() {
  return loadWordDictionaryFrom("words.txt", WordDictionary);
}

bool findWordKanji(const Dictionary& dictionary, std::string_view key,
                   std::string_view& kanjiText) {
  return findWordKanji(dictionary, key, hashWordKey(key), kanjiText);
}

bool findWordKanji(const Dictionary& dictionary, std::string_view key, uint64_t hash,
                   std::string_view& kanjiText) {
  if (dictionary.slots.empty()) {
    return false;
  }
  const uint64_t at = dictionary.slots[findSlot(dictionary, key, hash)];
  if (at == 0) {
    return false;
  }
  kanjiText = readPacked(dictionary, (at & 0xFFFFFFFFu) - 1).kanjiText;
  return true;
}

const WordEntry* findWordEntry(const Dictionary& dictionary, std::string_view key) {
  if (dictionary.slots.empty()) {
    return nullptr;
  }
  const uint64_t at = dictionary.slots[findSlot(dictionary, key, hashWordKey(key))];
  return at == 0 ? nullptr
                 : &dictionary.entries[readPacked(dictionary, (at & 0xFFFFFFFFu) - 1).entry];
}

void prefetchWordSlot(const Dictionary& dictionary, uint64_t hash) {
  if (!dictionary.slots.empty()) {
    prefetch(&dictionary.slots[hash & (dictionary.slots.size() - 1)]);
  }
}

void prefetchWordRecord(const Dictionary& dictionary, uint64_t hash) {
  if (dictionary.slots.empty()) {
    return;
  }
  // The first slot along the probe sequence whose hash bits match is almost
  // always the key's own.
  const size_t mask = dictionary.slots.size() - 1;
  const uint64_t tag = hash & 0xFFFFFFFF00000000ull;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint64_t at = dictionary.slots[slot];
    if (at == 0) {
      return;
    }
    if ((at & 0xFFFFFFFF00000000ull) == tag) {
      prefetch(dictionary.packed.data() + (at & 0xFFFFFFFFu) - 1);
      return;
    }
  }
}
