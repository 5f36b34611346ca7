// Synthetic converter data for the benchmarks.
#include "synthetic.h"

#include <algorithm>
#include <cstdio>

namespace synthetic {

namespace {

// Syllables that make the keys, names and notes look like romanised Japanese.
const char* const kSyllables[] = {
    "a",  "i",  "u",   "e",   "o",  "ka", "ki", "ku",  "ke",  "ko",  "sa",  "shi",  "su",   "se",
    "so", "ta", "chi", "tsu", "te", "to", "na", "ni",  "nu",  "ne",  "no",  "ha",   "hi",   "fu",
    "he", "ho", "ma",  "mi",  "mu", "me", "mo", "ya",  "yu",  "yo",  "ra",  "ri",   "ru",   "re",
    "ro", "wa", "n",   "ga",  "gi", "gu", "ge", "go",  "za",  "ji",  "zu",  "ze",   "zo",   "da",
    "de", "do", "ba",  "bi",  "bu", "be", "bo", "ryu", "kyo", "sho", "cho", "nobu", "mune",
};
const size_t kSyllableCount = sizeof(kSyllables) / sizeof(kSyllables[0]);

// Era and period names the converter annotates, common ones listed twice.
const char* const kEraNames[] = {
    "EDO",    "EDO",    "MEIJI",  "MEIJI",    "SHOWA",        "SHOWA",        "KANBUN",
    "KAMBUN", "HEISEI", "TAISHO", "KAMAKURA", "MUROMACHI",    "MOMOYAMA",     "NAMBOKUCHO",
    "HEIAN",  "NARA",   "KOTO",   "SHINTO",   "SHINSHINTO",   "GENDAITO",     "GENROKU",
    "KEICHO", "KANEI",  "KANSEI", "TENPO",    "BUNKA",        "SHOTOKU",      "KOWA",
    "EISHO",  "TENSHO", "KYOHO",  "ANSEI",    "TENPYO-SHOHO", "SHOWA(1926-)", "GENNA",
};

// Periods that name no table row: dates, qualified periods, small letters.
const char* const kOtherPeriods[] = {
    "C.1650",    "C.1800",    "17TH C.",    "18TH CENTURY",
    "LATE EDO",  "EARLY EDO", "MID EDO",    "UNKNOWN",
    "",          "",          "edo",        "Meiji",
    "1868",      "KANBUN 3",  "SHINTO ERA", "MODERN",
    "1700-1750", "?",
};

const char* const kDetail3Texts[] = {
    "signed",        "unsigned", "dated", "signed and dated", "attributed", "mumei", "kinzogan mei",
    "orikaeshi mei", "gimei",    "",
};
const char* const kDetail4Texts[] = {
    "shirasaya", "koshirae", "papers", "NBTHK hozon", "NBTHK tokubetsu", "old polish", "new polish",
    "habaki",    "",         "",
};
const char* const kShortTexts[] = {
    "shinogi", "hira",  "ko-itame", "masame", "suguha", "notare",
    "gunome",  "choji", "midare",   "",       "",       "",
};

template <size_t N>
const char* pick(Rng& rng, const char* const (&items)[N]) {
  return items[static_cast<size_t>(randomBetween(rng, 0, N - 1))];
}

// Syllables joined until the text has at least `minLength` characters, then
// cut to `maxLength`.
std::string syllableText(Rng& rng, size_t minLength, size_t maxLength) {
  const size_t target = static_cast<size_t>(
      randomBetween(rng, static_cast<int64_t>(minLength), static_cast<int64_t>(maxLength)));
  std::string text;
  while (text.size() < target) {
    text += kSyllables[randomBetween(rng, 0, kSyllableCount - 1)];
  }
  text.resize(std::min(text.size(), maxLength));
  return text;
}

std::string toUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

std::string toLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// A name part: 2 to 7 letters, the first one capital.
std::string namePart(Rng& rng) {
  std::string part = syllableText(rng, 2, 7);
  part[0] = static_cast<char>(part[0] - 'a' + 'A');
  return part;
}

std::string codeText(int64_t code) {
  char text[24];
  std::snprintf(text, sizeof text, "%04lld", static_cast<long long>(code));
  return text;
}

// Sets a counted field: the count byte, then the text cut to the capacity.
// The count is the text's length, at most `maxCount`.
void setField(std::string& record, size_t countOffset, size_t capacity, const std::string& text,
              size_t maxCount = 127) {
  const size_t count = std::min(text.size(), maxCount);
  record[countOffset] = static_cast<char>(count);
  record.replace(countOffset + 1, std::min(count, capacity), text, 0, std::min(count, capacity));
}

// A word that no dictionary key equals: it holds a digit.
std::string unknownWord(Rng& rng) {
  std::string word = syllableText(rng, 3, 8);
  word.insert(static_cast<size_t>(randomBetween(rng, 0, word.size())), 1,
              static_cast<char>('0' + randomBetween(rng, 0, 9)));
  return word;
}

}  // namespace

uint64_t nextRandom(Rng& rng) {
  uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int64_t randomBetween(Rng& rng, int64_t lo, int64_t hi) {
  const uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
  return lo + static_cast<int64_t>(nextRandom(rng) % span);
}

bool chance(Rng& rng, int percent) {
  return randomBetween(rng, 0, 99) < percent;
}

std::string kanjiOf(int64_t code) {
  // Lead bytes 0x89-0x9F and 0xE0-0xEA, trail bytes 0x40-0xFC without 0x7F:
  // the double-byte kanji area of Shift JIS.
  const int64_t trails = 188;
  const int64_t leads = (0x9F - 0x89 + 1) + (0xEA - 0xE0 + 1);
  const int64_t n = (code - kFirstKanjiCode) % (trails * leads);
  int64_t lead = 0x89 + n / trails;
  if (lead > 0x9F) {
    lead += 0xE0 - 0xA0;
  }
  int64_t trail = 0x40 + n % trails;
  if (trail >= 0x7F) {
    ++trail;
  }
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

std::string kanjiRecord(int64_t code) {
  std::string record(kKanjiRecordSize, '\0');
  if (code < kFirstKanjiCode) {
    return record;
  }
  setField(record, 77, 45, "ON-" + codeText(code) + " kun-" + codeText(code));
  setField(record, 123, 4, kanjiOf(code));
  return record;
}

int64_t randomKanjiCode(Rng& rng, int64_t kanjiCount) {
  return randomBetween(rng, kFirstKanjiCode, std::min<int64_t>(kanjiCount - 1, 9999));
}

DictionaryLine randomDictionaryLine(Rng& rng, int64_t kanjiCount) {
  DictionaryLine line;
  line.key = toUpper(syllableText(rng, 3, 12));
  line.word = syllableText(rng, 2, 10);
  const int64_t codes = randomBetween(rng, 1, 4);
  for (int64_t i = 0; i < codes; ++i) {
    line.codes.push_back(randomKanjiCode(rng, kanjiCount));
  }
  return line;
}

std::string formatDictionaryLine(const DictionaryLine& line) {
  std::string text = line.key + " " + line.word;
  for (int64_t code : line.codes) {
    text += ' ';
    text += codeText(code);
  }
  return text + "\r\n";
}

std::string randomWordText(Rng& rng, const std::vector<std::string>& keys,
                           const std::string& ownName, int64_t kanjiCount) {
  const int64_t count = randomBetween(rng, 5, 20);
  std::string text;
  for (int64_t i = 0; i < count; ++i) {
    const std::string key =
        toLower(keys[static_cast<size_t>(randomBetween(rng, 0, keys.size() - 1))]);
    const int64_t kind = randomBetween(rng, 0, 99);
    std::string word;
    if (kind < 70) {
      word = key;
      if (chance(rng, 12)) {
        word += ',';
      } else if (chance(rng, 6)) {
        word += "...";
      }
    } else if (kind < 80) {
      word = chance(rng, 50) ? key : syllableText(rng, 3, 8);
      word += '[';
      const int64_t codes = randomBetween(rng, 1, 3);
      for (int64_t c = 0; c < codes; ++c) {
        word += (c > 0 ? "," : "") + codeText(randomKanjiCode(rng, kanjiCount));
      }
      word += ']';
    } else if (kind < 88) {
      word = ownName;
    } else if (kind < 95) {
      word = unknownWord(rng);
    } else {
      word = "(no)";
    }
    text += (i > 0 ? " " : "") + word;
  }
  text.resize(std::min<size_t>(text.size(), 127));
  return text;
}

std::string randomPeriod(Rng& rng) {
  if (chance(rng, 50)) {
    return pick(rng, kEraNames);
  }
  return pick(rng, kOtherPeriods);
}

std::string randomListingRecord(Rng& rng, int64_t index, const std::vector<std::string>& keys,
                                int64_t kanjiCount) {
  std::string record(kListingRecordSize, '\0');
  for (size_t i = 0; i < 4; ++i) {
    record[i] = static_cast<char>((index >> (8 * i)) & 0xFF);  // not read by the converter
  }
  if (randomBetween(rng, 0, 249) != 0) {
    char id[16];
    std::snprintf(id, sizeof id, chance(rng, 80) ? "L%07lld" : "%06lld",
                  static_cast<long long>(index % 1000000));
    setField(record, 4, 8, id);
  }
  const std::string name1 = namePart(rng);
  const std::string name2 = namePart(rng);
  const std::string name3 = chance(rng, 80) ? namePart(rng) : "";
  setField(record, 13, 7, name1);
  setField(record, 21, 7, name2);
  setField(record, 29, 7, name3);
  setField(record, 37, 4, codeText(randomKanjiCode(rng, kanjiCount)));
  setField(record, 42, 4, codeText(randomKanjiCode(rng, kanjiCount)));
  setField(record, 47, 4, name3.empty() ? "" : codeText(randomKanjiCode(rng, kanjiCount)));
  char number[32];
  std::snprintf(number, sizeof number, "No.%lld",
                static_cast<long long>(randomBetween(rng, 1, 99999)));
  setField(record, 52, 8, number);
  std::snprintf(number, sizeof number, "%lld.%lldcm",
                static_cast<long long>(randomBetween(rng, 20, 80)),
                static_cast<long long>(randomBetween(rng, 0, 9)));
  setField(record, 61, 8, number);
  setField(record, 70, 12, randomPeriod(rng));
  setField(record, 83, 18, pick(rng, kDetail3Texts));
  setField(record, 102, 18, pick(rng, kDetail4Texts));
  setField(record, 121, 10, pick(rng, kShortTexts));
  setField(record, 132, 10, pick(rng, kShortTexts));
  setField(record, 143, 10, pick(rng, kShortTexts));
  setField(record, 154, 255, randomWordText(rng, keys, toLower(name1 + name2 + name3), kanjiCount));

  const size_t noteLength = static_cast<size_t>(randomBetween(rng, 20, 120));
  std::string note;
  while (note.size() < noteLength) {
    note += (note.empty() ? "" : chance(rng, 10) ? ", " : " ") + syllableText(rng, 2, 9);
  }
  note.resize(noteLength);
  setField(record, 410, 255, note);
  return record;
}

}  // namespace synthetic
