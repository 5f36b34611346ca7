// Fuzz target: loading the word dictionary from a fuzzed words.txt.
//
// The input is the file. The fuzzing build reads files in blocks of a few
// dozen bytes, so line ends, CR LF pairs and line pieces meet block ends.
//
// The entries read must equal the ones worked out here from the bytes:
// Windows text conventions (CR before LF dropped, 0x1A ends the data), line
// pieces of at most 79 bytes, tokenize, and a working entry of which only the
// key is reset for every piece; a zero byte inside a piece may end its text.
// In the loaded dictionary every key must lead to its first entry's kanji,
// and keys that are not there to nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "check.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

const size_t kPieceMax = 79;
const int32_t kTableSize = 700;

std::string gPath;  // the file the dictionary is loaded from
KanjiTable gKanji;  // every entry names its code

void removeFile() {
  unlink(gPath.c_str());
}

// A kanji table whose entries name their codes, and a file to load from.
void setUp() {
  gKanji.assign(525, "");
  for (int32_t code = 525; code < kTableSize; ++code) {
    gKanji.push_back("K" + std::to_string(code));
  }
  struct stat st;
  const std::string base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
  std::string tmpl = base + "/listconv-fuzz-words-XXXXXX";
  const int fd = mkstemp(&tmpl[0]);
  FUZZ_CHECK(fd >= 0);
  close(fd);
  gPath = tmpl;
  std::atexit(removeFile);
}

// The data as the text reader delivers it, cut into line pieces.
TextList linePieces(const std::string& raw) {
  std::string data;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\x1A') {
      break;
    }
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;
    }
    data += raw[i];
  }
  TextList pieces;
  for (size_t at = 0; at < data.size();) {
    size_t end = std::min(at + kPieceMax, data.size());
    const size_t lf = data.find('\n', at);
    if (lf != std::string::npos && lf < end) {
      end = lf + 1;
    }
    pieces.push_back(data.substr(at, end - at));
    at = end;
  }
  return pieces;
}

// The entries of the file. `endAtZero`: whether a line piece's text ends at
// its first zero byte, as the text of a line buffer would.
std::vector<WordEntry> expectedEntries(const std::string& raw, bool endAtZero) {
  std::vector<WordEntry> entries;
  WordEntry working;
  for (std::string piece : linePieces(raw)) {
    if (endAtZero) {
      piece = piece.substr(0, piece.find('\0'));
    }
    const TextList tokens = tokenize(piece);
    working.key.clear();
    if (tokens.size() >= 1) {
      working.key = tokens[0];
    }
    if (tokens.size() >= 2) {
      working.word = tokens[1];
    }
    if (tokens.size() >= 3) {
      working.kanji.clear();
      for (size_t i = 2; i < tokens.size(); ++i) {
        std::string code = tokens[i];
        lookupKanjiCode(gKanji, code);
        working.kanji.push_back(code);
      }
    }
    if (!working.key.empty()) {
      entries.push_back(working);
    }
  }
  return entries;
}

bool sameEntries(const std::vector<WordEntry>& a, const std::vector<WordEntry>& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].word != b[i].word || a[i].kanji != b[i].kanji) {
      return false;
    }
  }
  return true;
}

bool isKanjiText(const std::string& k) {
  if (k.empty() || k == "?" || k == "1037") {
    return true;
  }
  return k.size() > 1 && k[0] == 'K' && std::atoi(k.c_str() + 1) >= 525 &&
         std::atoi(k.c_str() + 1) < kTableSize && gKanji[std::atoi(k.c_str() + 1)] == k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (gPath.empty()) {
    setUp();
  }
  const std::string raw(reinterpret_cast<const char*>(data), size);
  std::ofstream(gPath, std::ios::binary | std::ios::trunc) << raw;

  std::vector<WordEntry> entries;
  FUZZ_CHECK(!failed(
      readWordEntries(gPath.c_str(), gKanji, [&](const WordEntry& e) { entries.push_back(e); })));
  Dictionary dictionary;
  FUZZ_CHECK(!failed(loadWordDictionaryFrom(gPath.c_str(), gKanji, dictionary)));
  FUZZ_CHECK(dictionary.entries == entries.size());

  // Either reading of a zero byte inside a line is taken.
  FUZZ_CHECK(sameEntries(entries, expectedEntries(raw, false)) ||
             sameEntries(entries, expectedEntries(raw, true)));
  std::unordered_map<std::string, size_t> first;
  for (size_t i = 0; i < entries.size(); ++i) {
    const WordEntry& got = entries[i];
    FUZZ_CHECK(!got.key.empty());
    for (const std::string& k : got.kanji) {
      FUZZ_CHECK(isKanjiText(k));
    }
    first.emplace(got.key, i);
  }
  std::string_view kanjiText;
  for (const auto& [key, index] : first) {
    std::string want;
    for (const std::string& k : entries[index].kanji) {
      want += k + " ";
    }
    FUZZ_CHECK(findWordKanji(dictionary, key, kanjiText) && kanjiText == want);
    // Keys that are not there are not found.
    for (const std::string& other : {key + "\x01", key.substr(1), key.substr(0, key.size() - 1)}) {
      if (first.count(other) == 0) {
        FUZZ_CHECK(!findWordKanji(dictionary, other, kanjiText));
      }
    }
  }
  FUZZ_CHECK(!findWordKanji(dictionary, "", kanjiText));
  return 0;
}
