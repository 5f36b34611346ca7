// Loading words.txt and finding words in it.
#include "tables/word_dictionary.h"

#include <algorithm>

#include "tables/kanji_table.h"
#include "textutil/file_io.h"

Dictionary WordDictionary;

namespace {

// A line is read into an 80-byte buffer: at most 79 bytes at a time.
const size_t kLinePieceMax = 79;

// Sets the working entry from one line's tokens. Only the key is reset for
// every line: word and kanji keep the values of the latest line that had them.
void takeLine(const TextList& tokens, WordEntry& entry) {
  entry.key.clear();
  if (tokens.size() >= 1) {
    entry.key = tokens[0];
  }
  if (tokens.size() >= 2) {
    entry.word = tokens[1];
  }
  if (tokens.size() >= 3) {
    entry.kanji.clear();
    for (size_t i = 2; i < tokens.size(); ++i) {
      std::string code = tokens[i];
      lookupKanjiCode(code);
      entry.kanji.push_back(std::move(code));
    }
  }
}

}  // namespace

void addWordEntry(Dictionary& dictionary, const WordEntry& entry) {
  dictionary.firstByKey.emplace(entry.key, dictionary.entries.size());
  dictionary.entries.push_back(entry);
}

bool loadWordDictionaryFrom(const char* path, Dictionary& dictionary) {
  dictionary = Dictionary();
  InputFile in;
  if (!openInput(in, path, true)) {
    return true;
  }
  WordEntry working;
  std::string line;
  while (readLinePiece(in, line, kLinePieceMax)) {
    // The line buffer's text ends at its first zero byte.
    line.resize(std::min(line.size(), line.find('\0')));
    takeLine(tokenize(line), working);
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

const WordEntry* findWordEntry(const Dictionary& dictionary, const std::string& key) {
  const auto it = dictionary.firstByKey.find(key);
  return it == dictionary.firstByKey.end() ? nullptr : &dictionary.entries[it->second];
}
