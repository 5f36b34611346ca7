// Synthetic converter data for the benchmarks: a kanji file, a dictionary
// and listing records that look like real ones, made from a seeded random
// sequence so the same sizes and seed always give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace synthetic {

// A seeded random sequence (splitmix64): the same on every platform.
struct Rng {
  uint64_t state = 0;
};

// The next 64 random bits.
uint64_t nextRandom(Rng& rng);

// A number from lo to hi, both included. Precondition: lo <= hi.
int64_t randomBetween(Rng& rng, int64_t lo, int64_t hi);

// True with the given chance in percent.
bool chance(Rng& rng, int percent);

// The first kanji code that names a kanji; lower codes are empty entries.
const int64_t kFirstKanjiCode = 525;

// Size of a kanjis.dat record.
const size_t kKanjiRecordSize = 166;

// Size of a list.rec record.
const size_t kListingRecordSize = 666;

// The two-byte Shift-JIS-like kanji of a code. Precondition: code >= 525.
std::string kanjiOf(int64_t code);

// Record number `code` of kanjis.dat: a reading and, from code 525 on, the
// kanji in its counted kanji field.
std::string kanjiRecord(int64_t code);

// A random kanji code from 525 to min(kanjiCount - 1, 9999), so it fits a
// four-character code field. Precondition: kanjiCount > 525.
int64_t randomKanjiCode(Rng& rng, int64_t kanjiCount);

// One line of words.txt before it is written out.
struct DictionaryLine {
  std::string key;  // 3 to 12 capital letters
  std::string word;
  std::vector<int64_t> codes;  // one to four kanji codes
};

// A random dictionary line. Precondition: kanjiCount > 525.
DictionaryLine randomDictionaryLine(Rng& rng, int64_t kanjiCount);

// The line as words.txt holds it, ended by CR LF.
std::string formatDictionaryLine(const DictionaryLine& line);

// The word text of a record: 5 to 20 words, mostly dictionary keys in small
// letters, some with a comma or "...", some with codes in brackets, some the
// record's own name, a few unknown words and "(no)"; cut to 127 bytes.
// Precondition: keys is not empty.
std::string randomWordText(Rng& rng, const std::vector<std::string>& keys,
                           const std::string& ownName, int64_t kanjiCount);

// A period: about half the time an era or period name the converter knows.
std::string randomPeriod(Rng& rng);

// The 666 bytes of listing record number `index`. About one record in 250
// has a blank entryId. Preconditions: keys is not empty, kanjiCount > 525.
std::string randomListingRecord(Rng& rng, int64_t index, const std::vector<std::string>& keys,
                                int64_t kanjiCount);

}  // namespace synthetic
