// Loading words.txt and finding words in it.
#include "tables/word_dictionary.h"

#include <algorithm>
#include <cstring>

#include "tables/kanji_table.h"
#include "textutil/file_io.h"
#include "textutil/platform.h"

Dictionary& WordDictionary = *new Dictionary();

namespace {

// A line is read into an 80-byte buffer: at most 79 bytes at a time.
const size_t kLinePieceMax = 79;

// What reading a line needs besides the entries; kept from line to line, so
// that a line allocates nothing but its entry.
struct LineScratch {
  std::string group;                    // the tokenizer's quoted group
  std::string key;                      // the key, when it is a quoted group
  std::string word;                     // the word, when it is a quoted group
  std::vector<std::string_view> kanji;  // the line's kanji, viewed in the table
};

// Appends the entry of one line unless the line has no token: token 1 is the
// key, token 2 the word, every later token a kanji code. Word and kanji the
// line lacks are those of the latest line that had them; as every such line
// made an entry, they are those of the entry before.
void takeLine(std::string_view line, LineScratch& scratch, std::vector<WordEntry>& entries) {
  std::string_view key;
  std::string_view word;
  size_t n = 0;
  scratch.kanji.clear();
  forEachToken(line, scratch.group, [&](std::string_view token) {
    ++n;
    if (n >= 3) {
      scratch.kanji.push_back(kanjiTextOfCode(token));
      return;
    }
    std::string_view& field = n == 1 ? key : word;
    field = token;
    if (token.data() < line.data() || token.data() > line.data() + line.size()) {
      // Not a view of the line: the tokenizer reuses its buffer for the next
      // group, so the text is kept aside.
      std::string& copy = n == 1 ? scratch.key : scratch.word;
      copy.assign(token);
      field = copy;
    }
  });
  if (n == 0) {
    return;
  }
  const WordEntry* before = entries.empty() ? nullptr : &entries.back();
  WordEntry entry{std::string(key), n >= 2 ? std::string(word) : std::string(), TextList()};
  if (n >= 3) {
    entry.kanji.assign(scratch.kanji.begin(), scratch.kanji.end());
  } else if (before != nullptr) {
    entry.kanji = before->kanji;
  }
  if (n < 2 && before != nullptr) {
    entry.word = before->word;
  }
  entries.push_back(std::move(entry));
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
  // The last 0 to 7 bytes in the low bytes of `tail`, the lowest first,
  // read without a call: two 4-byte reads that may overlap, or the first,
  // middle and last byte of a shorter rest.
  const char* rest = key.data() + i;
  const size_t restLength = key.size() - i;
  uint64_t tail = 0;
  if (restLength >= 4) {
    uint32_t low;
    uint32_t high;
    std::memcpy(&low, rest, 4);
    std::memcpy(&high, rest + restLength - 4, 4);
    tail = low | static_cast<uint64_t>(high) << (8 * (restLength - 4));
  } else if (restLength > 0) {
    const size_t middle = restLength / 2;
    tail = static_cast<uint64_t>(static_cast<unsigned char>(rest[0])) |
           static_cast<uint64_t>(static_cast<unsigned char>(rest[middle])) << (8 * middle) |
           static_cast<uint64_t>(static_cast<unsigned char>(rest[restLength - 1]))
               << (8 * (restLength - 1));
  }
  return finishWordHash(h, tail, key.size());
}

namespace {

// Stores `v` as 4 bytes at `at`; returns the end.
char* putU32(char* at, size_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  std::memcpy(at, &u, sizeof u);
  return at + sizeof u;
}

// Stores the bytes of `text` at `at`; returns the end. Texts of 4 to 8
// bytes, as kanji texts mostly are, take two fixed-size copies that may
// overlap instead of a call.
char* putBytes(char* at, std::string_view text) {
  const size_t n = text.size();
  if (n >= 4 && n <= 8) {
    std::memcpy(at, text.data(), 4);
    std::memcpy(at + n - 4, text.data() + n - 4, 4);
  } else {
    std::memcpy(at, text.data(), n);
  }
  return at + n;
}

// The slot that holds `key`, or the free slot where it would go.
// Precondition: the index has at least one free slot.
size_t findSlot(const Dictionary& dictionary, std::string_view key, uint64_t hash) {
  const size_t mask = dictionary.slots.size() - 1;
  for (size_t slot = homeSlot(dictionary, hash);; slot = (slot + 1) & mask) {
    const uint64_t at = dictionary.slots[slot];
    if (at == 0) {
      return slot;
    }
    if ((at & kSlotTagBits) == (hash & kSlotTagBits) &&
        readPacked(packedRecordOf(dictionary, at)).key == key) {
      return slot;
    }
  }
}

// Makes the index `size` slots, a power of two, and places every indexed key
// again; the keys are all different, so each goes to the first free slot
// from its home. Precondition: `size` is more than the number of keys.
void resizeIndex(Dictionary& dictionary, size_t size) {
  std::vector<uint64_t> old;
  old.swap(dictionary.slots);
  dictionary.slots.assign(size, 0);
  const size_t mask = size - 1;
  for (const uint64_t at : old) {
    if (at != 0) {
      size_t slot = homeSlot(dictionary, at);
      while (dictionary.slots[slot] != 0) {
        slot = (slot + 1) & mask;
      }
      dictionary.slots[slot] = at;
    }
  }
}

// The smallest index size that keeps `keys` keys at most half full.
size_t indexSizeFor(size_t keys) {
  size_t size = 64;
  while (size < 2 * keys) {
    size *= 2;
  }
  return size;
}

// The bytes the packed record of `entry` takes.
size_t packedLength(const WordEntry& entry, size_t& kanjiLength) {
  kanjiLength = 0;
  for (const std::string& kanji : entry.kanji) {
    kanjiLength += kanji.size() + 1;
  }
  return kPackedHeader + entry.key.size() + kanjiLength;
}

// Indexes the key of entry `number`, whose hashWordKey is `hash`, unless an
// earlier entry has it: packs the entry number, the key and the kanji text,
// each kanji followed by a blank. Precondition: the index has room for one
// more key at most half full, and every earlier entry has been indexed.
void indexEntry(Dictionary& dictionary, size_t number, uint64_t hash) {
  const WordEntry& entry = dictionary.entries[number];
  const size_t slot = findSlot(dictionary, entry.key, hash);
  if (dictionary.slots[slot] != 0) {
    return;  // an earlier entry has this key and is the one found
  }
  size_t kanjiLength;
  const size_t length = packedLength(entry, kanjiLength);
  // The record goes in front of the blanks that end the packed text.
  std::string& packed = dictionary.packed;
  const size_t offset = packed.empty() ? 0 : packed.size() - kWordKanjiReadAhead;
  packed.resize(offset + length + kWordKanjiReadAhead, ' ');
  char* const record = &packed[offset];
  char* at = putU32(record, number);
  at = putU32(at, entry.key.size());
  at = putU32(at, kanjiLength);
  at = putBytes(at, entry.key);
  char* const kanjiText = at;
  for (const std::string& kanji : entry.kanji) {
    at = putBytes(at, kanji);
    *at++ = ' ';
  }
  if (std::memchr(kanjiText, ',', kanjiLength) != nullptr) {
    dictionary.kanjiHoldCommas = true;
  }
  dictionary.slots[slot] = (hash & kSlotTagBits) | (offset + 1);
  ++dictionary.keys;
}

// Indexes every entry, in file order, into an index and a packed text sized
// once for all of them.
void indexAllEntries(Dictionary& dictionary) {
  const size_t slots = indexSizeFor(dictionary.entries.size() + 1);
  dictionary.slots.reserve(slots);
  platformPrepareTableMemory(dictionary.slots.data(), slots * sizeof(uint64_t));
  dictionary.slots.assign(slots, 0);
  size_t packedSize = kWordKanjiReadAhead;
  for (const WordEntry& entry : dictionary.entries) {
    size_t kanjiLength;
    packedSize += packedLength(entry, kanjiLength);
  }
  dictionary.packed.reserve(packedSize);
  platformPrepareTableMemory(dictionary.packed.data(), packedSize);
  // The home slots of the keys a few entries on are asked for while an
  // entry is placed.
  const size_t kAhead = 16;
  const std::vector<WordEntry>& entries = dictionary.entries;
  uint64_t hashes[kAhead];
  for (size_t i = 0; i < entries.size() + kAhead; ++i) {
    uint64_t& hash = hashes[i % kAhead];  // entry i - kAhead's, then entry i's
    if (i >= kAhead) {
      indexEntry(dictionary, i - kAhead, hash);
    }
    if (i < entries.size()) {
      hash = hashWordKey(entries[i].key);
      prefetchWordSlot(dictionary, hash);
    }
  }
}

// The entry list is given room for the entries a word file of its size
// holds with lines of a usual length, so that it is rarely moved while it
// is filled; never for more than kMostReservedEntries, as a file of blank
// or long lines holds fewer.
const size_t kUsualLineBytes = 24;
const size_t kMostReservedEntries = size_t(1) << 20;

// About how much heap one entry's kanji list takes; mapped in advance for
// every entry the list is given room for.
const size_t kUsualKanjiListBytes = 72;

// About how much the index takes per entry: its packed record and slots.
const size_t kUsualIndexBytes = 64;

}  // namespace

void addWordEntry(Dictionary& dictionary, const WordEntry& entry) {
  dictionary.entries.push_back(entry);
  if (dictionary.slots.size() < 2 * (dictionary.keys + 1)) {
    resizeIndex(dictionary, indexSizeFor(dictionary.keys + 1));
  }
  indexEntry(dictionary, dictionary.entries.size() - 1, hashWordKey(entry.key));
}

bool loadWordDictionaryFrom(const char* path, Dictionary& dictionary) {
  dictionary = Dictionary();
  InputFile in;
  if (!openInput(in, path, true)) {
    return true;
  }
  const size_t expected = static_cast<size_t>(
      std::min<uint64_t>(inputSizeHint(in) / kUsualLineBytes, kMostReservedEntries));
  // The entries' kanji lists and the index are carved from heap readied in
  // advance, and so is the entry list unless it is so large that it is
  // mapped on its own (and readied as a table).
  const size_t listBytes = expected * sizeof(WordEntry);
  const bool listOnItsOwn = listBytes > kLargestPreparedHeapRequest;
  platformPrepareHeap(expected * (kUsualKanjiListBytes + kUsualIndexBytes) +
                      (listOnItsOwn ? 0 : listBytes));
  dictionary.entries.reserve(expected);
  if (listOnItsOwn) {
    platformPrepareTableMemory(dictionary.entries.data(), listBytes);
  }
  std::string line;
  LineScratch scratch;
  while (readLinePiece(in, line, kLinePieceMax)) {
    // The line buffer's text ends at its first zero byte.
    const void* zero = std::memchr(line.data(), '\0', line.size());
    const size_t length =
        zero == nullptr ? line.size() : static_cast<const char*>(zero) - line.data();
    takeLine(std::string_view(line.data(), length), scratch, dictionary.entries);
  }
  closeInput(in);
  indexAllEntries(dictionary);
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
  kanjiText = readPacked(packedRecordOf(dictionary, at)).kanjiText;
  return true;
}

const WordEntry* findWordEntry(const Dictionary& dictionary, std::string_view key) {
  if (dictionary.slots.empty()) {
    return nullptr;
  }
  const uint64_t at = dictionary.slots[findSlot(dictionary, key, hashWordKey(key))];
  return at == 0 ? nullptr : &dictionary.entries[readPacked(packedRecordOf(dictionary, at)).entry];
}
