// Loading words.txt and finding words in it.
#include "tables/word_dictionary.h"

#include <algorithm>

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

uint64_t hashKey(std::string_view key) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (const char c : key) {
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return h ^ (h >> 29);
}

// The slot that holds `key`, or the free slot where it would go.
// Precondition: the index has at least one free slot.
size_t findSlot(const Dictionary& dictionary, std::string_view key) {
  const size_t mask = dictionary.slots.size() - 1;
  size_t slot = hashKey(key) & mask;
  while (true) {
    const uint32_t at = dictionary.slots[slot];
    if (at == 0 || dictionary.entries[at - 1].key == key) {
      return slot;
    }
    slot = (slot + 1) & mask;
  }
}

// Doubles the index and places every indexed entry again.
void growIndex(Dictionary& dictionary) {
  std::vector<uint32_t> old;
  old.swap(dictionary.slots);
  dictionary.slots.assign(old.empty() ? 64 : old.size() * 2, 0);
  for (const uint32_t at : old) {
    if (at != 0) {
      dictionary.slots[findSlot(dictionary, dictionary.entries[at - 1].key)] = at;
    }
  }
}

}  // namespace

void addWordEntry(Dictionary& dictionary, const WordEntry& entry) {
  if (dictionary.slots.size() < 2 * (dictionary.entries.size() + 1)) {
    growIndex(dictionary);
  }
  const size_t slot = findSlot(dictionary, entry.key);
  dictionary.entries.push_back(entry);
  std::string& text = dictionary.entries.back().kanjiText;
  text.clear();
  for (const std::string& kanji : entry.kanji) {
    text += kanji;
    text += ' ';
  }
  if (dictionary.slots[slot] == 0) {
    dictionary.slots[slot] = static_cast<uint32_t>(dictionary.entries.size());
  }
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

const WordEntry* findWordEntry(const Dictionary& dictionary, std::string_view key) {
  if (dictionary.slots.empty()) {
    return nullptr;
  }
  const uint32_t found = dictionary.slots[findSlot(dictionary, key)];
  return found == 0 ? nullptr : &dictionary.entries[found - 1];
}
