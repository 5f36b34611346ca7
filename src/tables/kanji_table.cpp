// Loading kanjis.dat and looking kanji codes up.
#include "tables/kanji_table.h"

#include <cstdint>

#include "io/counted_field.h"
#include "io/input_file.h"

namespace {

const size_t kKanjiFieldOffset = 123;
const size_t kKanjiCapacity = 4;
const int32_t kFixedCode = 3867;
const char kFixedCodeText[] = "1037";

bool isScanSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a leading decimal integer as "%d" does once every blank has been
// removed from the text: white space skipped, an optional sign, then digits.
// 0 when there is no number; a number outside the 32-bit range gives -1,
// which looks up as "?".
int32_t scanCode(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && isScanSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  bool tooLarge = false;
  for (; i < n && (text[i] == ' ' || (text[i] >= '0' && text[i] <= '9')); ++i) {
    if (text[i] == ' ') {
      continue;  // blanks do not count, even between digits
    }
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) {
      tooLarge = true;
      value = INT32_MAX;
    }
  }
  if (tooLarge) {
    return -1;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

FileError loadKanjiTableFrom(const char* path, KanjiTable& table) {
  table.clear();
  InputFile in;
  if (!openInput(in, path, false)) {
    return openFailure(path, in.error);
  }
  loadKanjiTable(in, table);
  closeInput(in);
  return readFailure(path, in);
}

void loadKanjiTable(InputFile& in, KanjiTable& table) {
  table.clear();
  unsigned char record[kKanjiRecordSize];
  // The first codes name no kanji: their records are read but not looked at.
  for (int32_t i = 0; i < kFirstKanjiCode; ++i) {
    readRecordBytes(in, record, kKanjiRecordSize);
    table.emplace_back();
  }
  do {
    readRecordBytes(in, record, kKanjiRecordSize);
    table.emplace_back();
    decodeField(record, kKanjiFieldOffset, kKanjiCapacity, table.back());
  } while (!in.atEnd);
}

int32_t kanjiCodeNumber(std::string_view code) {
  return scanCode(code);
}

KanjiLookup lookupKanji(const KanjiTable& table, std::string_view code) {
  return lookupKanjiNumber(table, scanCode(code));
}

KanjiLookup lookupKanjiNumber(const KanjiTable& table, int32_t n) {
  if (n == kFixedCode) {
    return {kFixedCodeText, true};
  }
  if (n == 0) {
    return {std::string_view(), true};
  }
  if (n >= kFirstKanjiCode && static_cast<size_t>(n) < table.size()) {
    return {table[n], true};
  }
  return {"?", false};
}

bool lookupKanjiCode(const KanjiTable& table, std::string& code) {
  const KanjiLookup kanji = lookupKanji(table, code);
  code.assign(kanji.text);  // never a view into `code` itself
  return kanji.found;
}
