// The dictionary of an import.
#include "import_words.h"

#include <algorithm>

#include "column_match.h"
#include "cp932.h"
#include "table_rows.h"
#include "tables/word_file_writer.h"
#include "textutil/shown_text.h"

namespace {

// Where the values of an entry stand in a dictionary export's rows.
struct WordColumns {
  size_t key = kNoColumn;
  size_t word = kNoColumn;
  size_t codes = kNoColumn;
  size_t kanji = kNoColumn;
};

WordColumns wordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  const std::vector<WantedColumn> wanted = {{kWordColumns[kKeyColumn], true},
                                            {kWordColumns[kWordColumn], true},
                                            {kWordColumns[kCodesColumn], false},
                                            {kWordColumns[kKanjiColumn], false}};
  const std::vector<size_t> at = matchColumns(reader.header, wanted, problems);
  WordColumns columns{at[0], at[1], at[2], at[3]};
  if (columns.codes == kNoColumn && columns.kanji == kNoColumn) {
    problems.push_back(TableProblem{1, 0, "", "neither a codes nor a kanji column"});
  }
  return columns;
}

// The length of the CP932 character that starts with `lead`.
size_t cp932CharLength(unsigned char lead) {
  return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

// Scratch space of a dictionary import, kept from row to row.
struct WordScratch {
  WordLine entry;
  std::string codes;
  std::string kanji;
  std::string line;
  std::string reason;
  std::string group;
};

// Splits a text of codes into tokens as the dictionary's reader splits a
// line: at blanks, a double-quoted group being one token.
void splitCodes(const std::string& text, std::string& group, TextList& codes) {
  codes.clear();
  forEachToken(text, group, [&codes](std::string_view token) { codes.emplace_back(token); });
}

// Sets the entry's codes to those of its kanji, character by character;
// false, with `missing` set to the first kanji that no code shows.
bool codesOfKanji(const std::string& kanji, const KanjiIndex& index, TextList& codes,
                  std::string& missing) {
  codes.clear();
  for (size_t p = 0; p < kanji.size();) {
    const size_t n =
        std::min(cp932CharLength(static_cast<unsigned char>(kanji[p])), kanji.size() - p);
    const int32_t code = findKanjiCode(index, std::string_view(kanji).substr(p, n));
    if (code < 0) {
      missing.assign(kanji, p, n);
      return false;
    }
    codes.push_back(std::to_string(code));
    p += n;
  }
  return true;
}

// The context of a dictionary import.
struct WordImport {
  const TableReader& reader;
  const WordColumns& columns;
  const std::string& file;
  bool utf8;
  const KanjiIndex& index;
  Problems& problems;
};

// Takes the row just read into s.entry; false (each problem noted) when a
// value cannot be stored.
bool takeWordRow(const WordImport& w, WordScratch& s) {
  bool ok = true;
  const auto refuse = [&](size_t column, const char* name, const std::string& reason) {
    note(w.problems, placeOf(w.file, w.reader.cellLines[column], name) +
                         shownValue(w.reader.cells[column], w.utf8) + ": " + reason);
    ok = false;
  };
  const auto take = [&](size_t column, const char* name, std::string& out) {
    out.clear();
    if (column != kNoColumn && !storedBytes(w.reader.cells[column], w.utf8, out, s.reason)) {
      refuse(column, name, s.reason);
    }
  };
  take(w.columns.key, kWordColumns[kKeyColumn], s.entry.key);
  take(w.columns.word, kWordColumns[kWordColumn], s.entry.word);
  take(w.columns.codes, kWordColumns[kCodesColumn], s.codes);
  splitCodes(s.codes, s.group, s.entry.codes);
  // The kanji say what the codes are only where the codes are not given.
  if (ok && s.entry.codes.empty()) {
    take(w.columns.kanji, kWordColumns[kKanjiColumn], s.kanji);
  } else {
    s.kanji.clear();
  }
  if (!ok) {
    return false;
  }
  if (s.entry.codes.empty() && !s.kanji.empty()) {
    std::string missing;
    if (!codesOfKanji(s.kanji, w.index, s.entry.codes, missing)) {
      std::string shown;
      size_t undecodable = 0;
      appendCp932AsUtf8(shown, missing, undecodable);
      refuse(w.columns.kanji, kWordColumns[kKanjiColumn],
             "a kanji that kanjis.dat does not have: " + shownText(shown));
    }
  }
  return ok;
}

// The column of a part of an entry.
size_t columnOfPart(const WordColumns& columns, WordPart part) {
  switch (part) {
    case WordPart::word:
      return columns.word;
    case WordPart::codes:
      return columns.codes != kNoColumn ? columns.codes : columns.kanji;
    default:
      return columns.key;
  }
}

const char* nameOfColumn(const WordColumns& columns, size_t column) {
  if (column == columns.word) {
    return kWordColumns[kWordColumn];
  }
  if (column == columns.codes) {
    return kWordColumns[kCodesColumn];
  }
  if (column == columns.kanji) {
    return kWordColumns[kKanjiColumn];
  }
  return kWordColumns[kKeyColumn];
}
}  // namespace

void importWords(TableReader& reader, const std::string& file, bool utf8, const KanjiIndex& index,
                 ImportOutput& output, int64_t& entries, Problems& problems) {
  std::vector<TableProblem> found;
  const WordColumns columns = wordColumnsOf(reader, found);
  noteTableProblems(problems, file, found);
  if (!found.empty()) {
    return;
  }
  const WordImport w{reader, columns, file, utf8, index, problems};
  WordFileWriter writer;
  WordScratch s;
  for (TableStatus status = readTableRow(reader);; status = readTableRow(reader)) {
    noteTableProblems(problems, file, reader.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      return;
    }
    if (status != TableStatus::ok || !takeWordRow(w, s)) {
      continue;
    }
    const WordLineFault fault = writeWordLine(writer, s.entry, s.line);
    if (fault.reason != nullptr) {
      const size_t column = columnOfPart(columns, fault.part);
      note(problems, placeOf(file, reader.cellLines[column], nameOfColumn(columns, column)) +
                         shownValue(reader.cells[column], utf8) + ": " + fault.reason);
      continue;
    }
    ++entries;
    s.line += '\n';  // written as CR LF
    writeOutput(output, s.line);
  }
}
