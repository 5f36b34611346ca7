// Loading words.txt and finding words in it.
#include "tables/word_dictionary.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <random>

#include "tables/kanji_table.h"

namespace {

uint64_t rotl(uint64_t x, int b) {
  return (x << b) | (x >> (64 - b));
}

// One SipHash round over the state v.
void sipRound(uint64_t v[4]) {
  v[0] += v[1];
  v[1] = rotl(v[1], 13) ^ v[0];
  v[0] = rotl(v[0], 32);
  v[2] += v[3];
  v[3] = rotl(v[3], 16) ^ v[2];
  v[0] += v[3];
  v[3] = rotl(v[3], 21) ^ v[0];
  v[2] += v[1];
  v[1] = rotl(v[1], 17) ^ v[2];
  v[2] = rotl(v[2], 32);
}

// Eight bytes as a number, in the machine's own order (little-endian on
// every machine the program is built for).
uint64_t load64(const char* p) {
  uint64_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

// A fresh random key for a dictionary's hash.
void drawHashKey(uint64_t key[2]) {
  std::random_device device;
  for (int i = 0; i < 2; ++i) {
    key[i] = (static_cast<uint64_t>(device()) << 32) ^ device();
  }
}

size_t slotOf(const Dictionary& dictionary, uint64_t hash) {
  assert(!dictionary.index.empty());
  return static_cast<size_t>(hash >> 32) & (dictionary.index.size() - 1);
}

// A packed record starts with two 4-byte lengths: the key's and the kanji
// text's.
const size_t kPackedHeader = 8;

uint32_t load32(const char* p) {
  uint32_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

void store32(std::string& packed, size_t n) {
  const uint32_t x = static_cast<uint32_t>(n);
  packed.append(reinterpret_cast<const char*>(&x), sizeof x);
}

// The key of the packed record at `offset`.
std::string_view packedKey(const Dictionary& dictionary, size_t offset) {
  const char* record = dictionary.packed.data() + offset;
  return std::string_view(record + kPackedHeader, load32(record));
}

// The kanji text of the packed record at `offset`.
std::string_view packedKanjiText(const Dictionary& dictionary, size_t offset) {
  const char* record = dictionary.packed.data() + offset;
  return std::string_view(record + kPackedHeader + load32(record), load32(record + 4));
}

// The slot that indexes `key`, or the free slot where it would go.
// Precondition: the index has a free slot.
size_t findSlot(const Dictionary& dictionary, std::string_view key, uint64_t hash) {
  assert(dictionary.keys < dictionary.index.size());
  const size_t mask = dictionary.index.size() - 1;
  for (size_t slot = slotOf(dictionary, hash);; slot = (slot + 1) & mask) {
    const WordSlot& s = dictionary.index[slot];
    if (s.record == 0 || (s.hash == hash && packedKey(dictionary, s.record - 1) == key)) {
      return slot;
    }
  }
}

uint64_t hashOf(const Dictionary& dictionary, std::string_view key) {
  return sipHash13(dictionary.hashKey[0], dictionary.hashKey[1], key);
}

// Doubles the index and places every indexed key again.
void growIndex(Dictionary& dictionary) {
  std::vector<WordSlot> old(dictionary.index.empty() ? 32 : 2 * dictionary.index.size());
  old.swap(dictionary.index);
  const size_t mask = dictionary.index.size() - 1;
  for (const WordSlot& s : old) {
    if (s.record == 0) {
      continue;
    }
    // The keys are all different: each goes to the first free slot from its own.
    size_t slot = slotOf(dictionary, s.hash);
    while (dictionary.index[slot].record != 0) {
      slot = (slot + 1) & mask;
    }
    dictionary.index[slot] = s;
  }
}

}  // namespace

void addWordEntry(Dictionary& dictionary, const WordEntry& entry) {
  if (dictionary.index.empty()) {
    drawHashKey(dictionary.hashKey);
  }
  ++dictionary.entries;
  if (2 * (dictionary.keys + 1) > dictionary.index.size()) {
    growIndex(dictionary);
  }
  const uint64_t hash = hashOf(dictionary, entry.key);
  WordSlot& slot = dictionary.index[findSlot(dictionary, entry.key, hash)];
  if (slot.record != 0) {
    return;  // an earlier entry has this key, and it is the one found
  }
  std::string& packed = dictionary.packed;
  slot.record = packed.size() + 1;
  slot.hash = hash;
  ++dictionary.keys;
  size_t kanjiLength = 0;
  for (const std::string& kanji : entry.kanji) {
    kanjiLength += kanji.size() + 1;
  }
  store32(packed, entry.key.size());
  store32(packed, kanjiLength);
  packed += entry.key;
  for (const std::string& kanji : entry.kanji) {
    packed += kanji;
    packed += ' ';
  }
}

uint64_t sipHash13(uint64_t k0, uint64_t k1, std::string_view data) {
  uint64_t v[4] = {k0 ^ 0x736f6d6570736575ull, k1 ^ 0x646f72616e646f6dull,
                   k0 ^ 0x6c7967656e657261ull, k1 ^ 0x7465646279746573ull};
  const size_t n = data.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const uint64_t m = load64(data.data() + i);
    v[3] ^= m;
    sipRound(v);
    v[0] ^= m;
  }
  // The last 0 to 7 bytes, then the length in the top byte.
  uint64_t last = 0;
  std::memcpy(&last, data.data() + i, n - i);
  last |= static_cast<uint64_t>(n) << 56;
  v[3] ^= last;
  sipRound(v);
  v[0] ^= last;
  v[2] ^= 0xff;
  sipRound(v);
  sipRound(v);
  sipRound(v);
  return v[0] ^ v[1] ^ v[2] ^ v[3];
}

bool findWordKanji(const Dictionary& dictionary, std::string_view key,
                   std::string_view& kanjiText) {
  if (dictionary.index.empty()) {
    return false;
  }
  const WordSlot& slot = dictionary.index[findSlot(dictionary, key, hashOf(dictionary, key))];
  if (slot.record == 0) {
    return false;
  }
  kanjiText = packedKanjiText(dictionary, slot.record - 1);
  return true;
}

size_t takeWordLine(std::string_view line, WordLine& working, std::string& group) {
  // The line buffer's text ends at its first zero byte.
  line = line.substr(0, line.find('\0'));
  working.key.clear();
  size_t tokens = 0;
  forEachToken(line, group, [&](std::string_view token) {
    ++tokens;
    if (tokens == 1) {
      working.key.assign(token);
    } else if (tokens == 2) {
      working.word.assign(token);
    } else {
      if (tokens == 3) {
        working.codes.clear();
      }
      working.codes.emplace_back(token);
    }
  });
  return tokens;
}

FileError listWordEntries(const char* path, const KanjiTable& kanji,
                          const std::function<void(const ListedWordEntry&)>& take) {
  InputFile in;
  if (!openInput(in, path, true)) {
    return openFailure(path, in.error);
  }
  listWordEntriesIn(in, kanji, take);
  closeInput(in);
  return readFailure(path, in);
}

namespace {

// Counts a piece of line `line` into `lines`; `continued` when an earlier
// piece of the same line had no line feed.
void countWordPiece(std::string_view piece, int64_t line, bool continued, WordFileLines& lines) {
  if (!continued) {
    ++lines.lines;
    return;
  }
  // A line whose text fills exactly one piece leaves only its line feed over:
  // nothing of it is cut off.
  if (piece == "\n" || line == lines.lastCutLine) {
    return;
  }
  ++lines.cutLines;
  lines.lastCutLine = line;
  if (lines.firstCutLine == 0) {
    lines.firstCutLine = line;
  }
}

}  // namespace

void listWordEntriesIn(InputFile& in, const KanjiTable& kanji,
                       const std::function<void(const ListedWordEntry&)>& take,
                       WordFileLines* lines) {
  WordLine working;
  WordEntry entry;
  std::string line;
  std::string group;
  // The line of the file that the next piece starts in: a cut line's rest
  // stands on the line it was cut from.
  int64_t lineNumber = 1;
  bool continued = false;
  while (readLinePiece(in, line, kWordLinePieceMax)) {
    const int64_t pieceLine = lineNumber;
    if (lines != nullptr) {
      countWordPiece(line, pieceLine, continued, *lines);
    }
    continued = line.back() != '\n';
    lineNumber += continued ? 0 : 1;
    const size_t tokens = takeWordLine(line, working, group);
    if (working.key.empty()) {
      continue;
    }
    entry.key = working.key;
    entry.word = working.word;
    if (tokens >= 3) {
      entry.kanji.clear();
      for (const std::string& code : working.codes) {
        entry.kanji.emplace_back(lookupKanji(kanji, code).text);
      }
    }
    take(ListedWordEntry{pieceLine, &working, &entry});
  }
}

FileError readWordEntries(const char* path, const KanjiTable& kanji,
                          const std::function<void(const WordEntry&)>& take) {
  return listWordEntries(path, kanji, [&take](const ListedWordEntry& e) { take(*e.entry); });
}

FileError loadWordDictionaryFrom(const char* path, const KanjiTable& kanji,
                                 Dictionary& dictionary) {
  dictionary = Dictionary();
  return readWordEntries(path, kanji,
                         [&dictionary](const WordEntry& e) { addWordEntry(dictionary, e); });
}
