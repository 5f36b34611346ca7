// The dictionary of an import.
#include "import_words.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "column_match.h"
#include "cp932/cp932.h"
#include "formats/table_rows.h"
#include "io/file_error.h"
#include "io/input_file.h"
#include "tables/typed_text.h"
#include "tables/word_file_writer.h"
#include "textutil/shown_text.h"

namespace {

// Where the values of an entry stand in a dictionary export's rows.
struct WordColumns {
  size_t line = kNoColumn;
  size_t key = kNoColumn;
  size_t word = kNoColumn;
  size_t codes = kNoColumn;
  size_t kanji = kNoColumn;
};

WordColumns wordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  const std::vector<WantedColumn> wanted = {{kWordColumns[kLineColumn], false},
                                            {kWordColumns[kKeyColumn], true},
                                            {kWordColumns[kWordColumn], true},
                                            {kWordColumns[kCodesColumn], false},
                                            {kWordColumns[kKanjiColumn], false}};
  const std::vector<size_t> at = matchColumns(reader.header, wanted, problems);
  WordColumns columns{at[0], at[1], at[2], at[3], at[4]};
  if (columns.codes == kNoColumn && columns.kanji == kNoColumn) {
    problems.push_back(TableProblem{1, 0, "", "neither a codes nor a kanji column"});
  }
  return columns;
}

// Scratch space of a dictionary import, kept from row to row.
struct WordScratch {
  WordRow row;
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

// Reads the line a row stands on: empty for none (0), else a number from 1.
bool lineOfRow(const std::string& cell, int64_t& line) {
  line = 0;
  if (cell.empty()) {
    return true;
  }
  if (cell.size() > 15 || cell.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  line = std::stoll(cell);
  return line > 0;
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
  s.row.line = 0;
  if (w.columns.line != kNoColumn && !lineOfRow(w.reader.cells[w.columns.line], s.row.line)) {
    refuse(w.columns.line, kWordColumns[kLineColumn],
           "not a line of words.txt: a number from 1, or nothing for a new entry");
  }
  take(w.columns.key, kWordColumns[kKeyColumn], s.row.entry.key);
  take(w.columns.word, kWordColumns[kWordColumn], s.row.entry.word);
  take(w.columns.codes, kWordColumns[kCodesColumn], s.codes);
  splitCodes(s.codes, s.group, s.row.entry.codes);
  // The kanji say what the codes are only where the codes are not given.
  if (ok && s.row.entry.codes.empty()) {
    take(w.columns.kanji, kWordColumns[kKanjiColumn], s.kanji);
  } else {
    s.kanji.clear();
  }
  if (!ok) {
    return false;
  }
  if (s.row.entry.codes.empty() && !s.kanji.empty()) {
    const std::string_view missing = codesOfKanji(w.index, s.kanji, s.row.entry.codes);
    if (!missing.empty()) {
      std::string shown;
      size_t undecodable = 0;
      appendCp932AsUtf8(shown, missing, undecodable);
      refuse(w.columns.kanji, kWordColumns[kKanjiColumn],
             "a kanji that kanjis.dat does not have: " + shownText(shown));
    }
  }
  return ok;
}

// Notes where the row's key, word and codes (or kanji) stand, for the
// messages of the merge.
void placeCells(const WordImport& w, const std::string& kanji, WordRow& row) {
  const size_t codes = w.columns.codes != kNoColumn ? w.columns.codes : w.columns.kanji;
  const size_t at[3] = {w.columns.key, w.columns.word, codes};
  const char* names[3] = {
      kWordColumns[kKeyColumn], kWordColumns[kWordColumn],
      codes == w.columns.codes ? kWordColumns[kCodesColumn] : kWordColumns[kKanjiColumn]};
  for (size_t i = 0; i < 3; ++i) {
    row.column[i] = names[i];
    row.cellLine[i] = at[i] != kNoColumn ? w.reader.cellLines[at[i]] : w.reader.cellLines[0];
  }
  if (codes == w.columns.kanji) {
    row.kanji = kanji;
  } else {
    row.kanji.clear();
  }
}

// The whole file at `path` as bytes, nothing when there is none; false (a
// problem noted) when it cannot be read.
bool readOldWords(const std::string& path, std::string& bytes, Problems& problems) {
  bytes.clear();
  InputFile in;
  if (!openInput(in, path.c_str(), false)) {
    if (in.error == ENOENT) {
      return true;
    }
    note(problems, describeFailure(openFailure(path, in.error)));
    return false;
  }
  unsigned char block[1 << 14];
  for (size_t n; (n = readRecordBytes(in, block, sizeof block)) > 0;) {
    bytes.append(reinterpret_cast<const char*>(block), n);
  }
  closeInput(in);
  if (in.error != 0) {
    note(problems, describeFailure(readFailure(path, in)));
    return false;
  }
  return true;
}

}  // namespace

void importWords(TableReader& reader, const std::string& file, bool utf8, const KanjiTable& kanji,
                 const KanjiIndex& index, ImportOutput& output, WordChanges& changes,
                 Problems& problems) {
  std::vector<TableProblem> found;
  const WordColumns columns = wordColumnsOf(reader, found);
  noteTableProblems(problems, file, found);
  std::string old;
  if (!found.empty() || !readOldWords(output.path, old, problems)) {
    return;
  }
  const WordImport w{reader, columns, file, utf8, index, problems};
  std::vector<WordRow> rows;
  WordScratch s;
  for (TableStatus status = readTableRow(reader);; status = readTableRow(reader)) {
    noteTableProblems(problems, file, reader.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      break;
    }
    if (status == TableStatus::ok && takeWordRow(w, s)) {
      placeCells(w, s.kanji, s.row);
      rows.push_back(s.row);
    }
  }
  if (problems.count > 0) {
    return;
  }
  std::string out;
  mergeWords(rows, columns.line != kNoColumn, old, kanji, file, output.path, out, changes,
             problems);
  changes.same = out == old;
  if (problems.count == 0 && !changes.same) {
    writeOutput(output, out);
  }
}

bool wordsReadBack(const std::string& temp, const std::string& path, const WordChanges& changes) {
  InputFile in;
  if (!openInput(in, temp.c_str(), true)) {
    reportFailures(kImportProgram, {openFailure(temp, in.error)});
    return false;
  }
  const KanjiTable noKanji;  // only the code tokens are compared
  int64_t entries = 0;
  uint64_t digest = 0;
  listWordEntriesIn(in, noKanji, [&](const ListedWordEntry& e) {
    ++entries;
    digest = digestWordEntry(digest, *e.values);
  });
  closeInput(in);
  const FileError e = readFailure(temp, in);
  if (failed(e)) {
    reportFailures(kImportProgram, {e});
    return false;
  }
  if (entries != changes.entries || digest != changes.digest) {
    std::fprintf(stderr,
                 "%s: %s as written reads back as other entries than those meant (%" PRId64
                 " read, %" PRId64 " meant): it is not put in place\n",
                 kImportProgram, path.c_str(), entries, changes.entries);
    return false;
  }
  return true;
}

void printWordChanges(const WordChanges& changes, const std::string& path, bool check,
                      bool listing) {
  if (listing) {
    for (const std::string& line : changes.listed) {
      std::printf("%s\n", line.c_str());
    }
    if (changes.unlisted > 0) {
      std::printf("%s: and %" PRId64 " more %s\n", path.c_str(), changes.unlisted,
                  changes.unlisted == 1 ? "change" : "changes");
    }
  }
  const char* entries = changes.entries == 1 ? "entry" : "entries";
  if (changes.same) {
    std::printf("%" PRId64 " dictionary %s in %s unchanged: nothing %s\n", changes.entries, entries,
                path.c_str(), check ? "would be written" : "written");
    return;
  }
  std::printf("%" PRId64 " dictionary %s %s %s: %" PRId64 " changed, %" PRId64 " added, %" PRId64
              " removed, ",
              changes.entries, entries, check ? "would be written to" : "written to", path.c_str(),
              changes.changed, changes.added, changes.removed);
  if (changes.rewritten > 0) {
    std::printf("%" PRId64 " written anew, ", changes.rewritten);
  }
  std::printf("%" PRId64 " unchanged\n", changes.unchanged);
}
