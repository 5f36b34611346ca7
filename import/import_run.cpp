// The import's run: every export read row by row, each row turned into a
// record or a line as the old program reads it, and the files written only
// when no row of any file was refused.
#include "import_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "column_match.h"
#include "cp932.h"
#include "cp932_encode.h"
#include "driver/run.h"
#include "io/file_error.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "io/replacement_file.h"
#include "records/listing_writer.h"
#include "records/stored_record.h"
#include "table_reader.h"
#include "table_rows.h"
#include "tables/kanji_index.h"
#include "tables/kanji_table.h"
#include "tables/word_file_writer.h"

namespace {

const char kProgram[] = "listconv-import";
// How many problems are printed; the rest are counted.
const size_t kShownProblems = 50;
// What a data file replaced is kept as, after its name.
const char kBackupSuffix[] = ".bak";
// How many characters of a refused value a problem shows.
const size_t kShownValueChars = 24;

// Every problem of an import: the lines printed for the first ones, and how
// many there were.
struct Problems {
  std::vector<std::string> shown;
  size_t count = 0;
};

void note(Problems& problems, std::string line) {
  if (problems.shown.size() < kShownProblems) {
    problems.shown.push_back(std::move(line));
  }
  ++problems.count;
}

// "FILE:LINE: " and the column's name and ": " where there is one.
std::string placeOf(const std::string& file, int64_t line, const std::string& column) {
  std::string place = file + ":" + std::to_string(line) + ": ";
  if (!column.empty()) {
    place += column + ": ";
  }
  return place;
}

// The first characters of a value as UTF-8, in quotes, for a message.
std::string shownValue(std::string_view value, bool utf8) {
  std::string text;
  if (utf8) {
    text.assign(value);
  } else {
    size_t undecodable = 0;
    appendCp932AsUtf8(text, value, undecodable);
  }
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts && ++chars > kShownValueChars) {
      text.resize(i);
      text += "\xE2\x80\xA6";  // …
      break;
    }
  }
  return "\"" + text + "\"";
}

void noteTableProblems(Problems& problems, const std::string& file,
                       const std::vector<TableProblem>& found) {
  for (const TableProblem& p : found) {
    note(problems, placeOf(file, p.line, p.columnName) + p.reason);
  }
}

// A value of an export as the data files store it: CP932 encoded from the
// UTF-8, or the bytes as they stand. False, with `reason` set, when CP932
// cannot hold it.
bool storedBytes(std::string_view value, bool utf8, std::string& out, std::string& reason) {
  out.clear();
  if (!utf8) {
    out.assign(value);
    return true;
  }
  Cp932EncodeError error;
  if (appendUtf8AsCp932(out, value, error)) {
    return true;
  }
  if (error.malformed) {
    reason = "bytes that are not UTF-8";
    return false;
  }
  reason = "a character that CP932 cannot hold: " + error.text;
  const std::string_view advice = cp932Advice(error.codePoint);
  if (!advice.empty()) {
    reason += " (";
    reason += advice;
    reason += ")";
  }
  return false;
}

// What an export holds, told by its header.
enum class TableContent { records, dictionary, listingCsv, unknown };

bool hasColumn(const std::vector<std::string>& header, std::string_view name) {
  for (const std::string& column : header) {
    if (column == name) {
      return true;
    }
  }
  return false;
}

TableContent contentOf(const std::vector<std::string>& header) {
  if (hasColumn(header, "nameKey") || hasColumn(header, "wordLine") ||
      hasColumn(header, "kanjiLine")) {
    return TableContent::listingCsv;
  }
  if (hasColumn(header, kWordColumns[kKeyColumn])) {
    return TableContent::dictionary;
  }
  for (const StoredField& field : kStoredFields) {
    if (hasColumn(header, field.name)) {
      return TableContent::records;
    }
  }
  return TableContent::unknown;
}

// An output of the import while it is written: the data file it replaces,
// open unless the import only checks.
struct ImportOutput {
  std::string path;
  OutputFile file;
  bool open = false;
};

// Opens `output` unless `check`; false (a message printed) when it cannot
// be opened.
bool openImportOutput(ImportOutput& output, bool text, bool check) {
  if (check) {
    return true;
  }
  const FileError e = openExportOutput(output.file, output.path, text);
  if (failed(e)) {
    reportFailures(kProgram, {e});
    return false;
  }
  output.open = true;
  return true;
}

void writeOutput(ImportOutput& output, std::string_view bytes) {
  if (output.open) {
    writeBytes(output.file, bytes);
  }
}

// ---- Records ---------------------------------------------------------------

// Where the values of a record stand in a records export's rows.
struct RecordColumns {
  size_t reserved = kNoColumn;
  std::vector<size_t> fields;  // one per stored field, in record order
};

// The columns of a records export; problems for a field without its column.
RecordColumns recordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  std::vector<WantedColumn> wanted = {{recordColumns()[kReservedColumn], false}};
  for (const StoredField& field : kStoredFields) {
    wanted.push_back({field.name, true});
  }
  const std::vector<size_t> at = matchColumns(reader.header, wanted, problems);
  RecordColumns columns;
  columns.reserved = at[0];
  columns.fields.assign(at.begin() + 1, at.end());
  return columns;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// The four reserved bytes written as eight hex digits; none is zero bytes.
bool parseReserved(std::string_view text, StoredRecord& record) {
  record.reserved.fill(0);
  if (text.empty()) {
    return true;
  }
  if (text.size() != 2 * kReservedBytes) {
    return false;
  }
  for (size_t i = 0; i < kReservedBytes; ++i) {
    const int high = hexDigit(text[2 * i]);
    const int low = hexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    record.reserved[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return true;
}

// What the import of one records export counts.
struct RecordCounts {
  int64_t records = 0;
  int64_t listed = 0;
};

// Scratch space of a records import, kept from row to row.
struct RecordScratch {
  StoredRecord record;
  RecordBytes bytes;
  SourceRecord decoded;
  std::string reason;
};

// Takes the values of the row just read into scratch.record; false (each
// problem noted) when a value cannot be stored.
bool takeRecordRow(const TableReader& reader, const RecordColumns& columns, bool utf8,
                   const std::string& file, RecordScratch& s, Problems& problems) {
  bool ok = true;
  const auto refuse = [&](size_t column, const std::string& name, std::string_view value,
                          const std::string& reason) {
    note(problems,
         placeOf(file, reader.cellLines[column], name) + shownValue(value, utf8) + ": " + reason);
    ok = false;
  };
  if (columns.reserved != kNoColumn && !parseReserved(reader.cells[columns.reserved], s.record)) {
    refuse(columns.reserved, recordColumns()[kReservedColumn], reader.cells[columns.reserved],
           "eight hex digits, such as 00000000, or nothing");
  }
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const StoredField& field = kStoredFields[i];
    const size_t column = columns.fields[i];
    const std::string& value = reader.cells[column];
    std::string& stored = s.record.fields[i];
    if (!storedBytes(value, utf8, stored, s.reason)) {
      refuse(column, field.name, value, s.reason);
    } else if (stored.size() > storableBytes(field)) {
      refuse(column, field.name, value,
             std::to_string(stored.size()) + " bytes in CP932; " + field.name + " holds " +
                 std::to_string(storableBytes(field)));
    }
  }
  return ok;
}

// Reads every row of a records export and writes its records.
void importRecords(TableReader& reader, const std::string& file, bool utf8, ImportOutput& output,
                   RecordCounts& counts, Problems& problems) {
  std::vector<TableProblem> found;
  const RecordColumns columns = recordColumnsOf(reader, found);
  noteTableProblems(problems, file, found);
  if (!found.empty()) {
    return;
  }
  RecordScratch s;
  for (TableStatus status = readTableRow(reader);; status = readTableRow(reader)) {
    noteTableProblems(problems, file, reader.problems);
    if (status == TableStatus::end || status == TableStatus::stopped) {
      return;
    }
    if (status != TableStatus::ok || !takeRecordRow(reader, columns, utf8, file, s, problems)) {
      continue;
    }
    if (!encodeStoredRecord(s.record, s.bytes)) {
      note(problems,
           placeOf(file, reader.rowLine, "") + "the record does not read back as written");
      continue;
    }
    decodeSourceRecord(s.bytes, s.decoded);
    ++counts.records;
    counts.listed += isListed(s.decoded) ? 1 : 0;
    writeOutput(output,
                std::string_view(reinterpret_cast<const char*>(s.bytes.data()), s.bytes.size()));
  }
}

// ---- Dictionary ------------------------------------------------------------

// Where the values of an entry stand in a dictionary export's rows.
struct WordColumns {
  size_t key = kNoColumn;
  size_t word = kNoColumn;
  size_t codes = kNoColumn;
  size_t kanji = kNoColumn;
};

WordColumns wordColumnsOf(const TableReader& reader, std::vector<TableProblem>& problems) {
  const std::vector<WantedColumn> wanted = {
      {kWordColumns[kKeyColumn], true},
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
      refuse(w.columns.kanji, kWordColumns[kKanjiColumn], "a kanji that kanjis.dat does not have: " + shown);
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

// Reads every row of a dictionary export and writes its lines.
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

// ---- The run ---------------------------------------------------------------

// An export named on the command line, open, and what it holds.
struct ImportFile {
  std::string path;
  TableReader reader;
  TableContent content = TableContent::unknown;
};

// Opens every export and tells what it holds; false (every problem noted or
// printed) when one cannot be read or holds nothing the import writes.
bool openImportFiles(const ImportOptions& options, std::vector<ImportFile>& files,
                     Problems& problems) {
  TableOptions tableOptions;
  tableOptions.utf8 = options.utf8;
  files.resize(options.files.size());
  bool ok = true;
  for (size_t i = 0; i < files.size(); ++i) {
    ImportFile& f = files[i];
    f.path = options.files[i];
    if (openTable(f.reader, f.path.c_str(), tableOptions) != TableStatus::ok) {
      if (f.reader.problems.empty()) {
        reportFailures(
            kProgram,
            {FileError{f.reader.in.error != 0 && f.reader.in.file == nullptr ? "open" : "read",
                       f.path, f.reader.in.error != 0 ? f.reader.in.error : EIO}});
      }
      noteTableProblems(problems, f.path, f.reader.problems);
      ok = false;
      continue;
    }
    f.content = contentOf(f.reader.header);
    if (f.content == TableContent::listingCsv) {
      note(problems, f.path +
                         ": an export of the csv format, whose values are the listing's, "
                         "not the stored ones: export the records with --format records");
      ok = false;
    } else if (f.content == TableContent::unknown) {
      note(problems, f.path +
                         ": neither records (an export of --format records) nor a "
                         "dictionary (an export of --format dictionary)");
      ok = false;
    }
  }
  return ok;
}

// The one export of `content` among `files`, or nullptr; a problem noted for
// a second one.
ImportFile* theFileOf(std::vector<ImportFile>& files, TableContent content, Problems& problems) {
  ImportFile* the = nullptr;
  for (ImportFile& f : files) {
    if (f.content != content) {
      continue;
    }
    if (the != nullptr) {
      note(problems, f.path + ": a second export of the same kind as " + the->path);
      continue;
    }
    the = &f;
  }
  return the;
}

// Notes a problem for every export that is a data file to be written
// (`records` or `words`, "" when not written), by what was really opened.
void refuseInputsAsOutputs(const std::vector<ImportFile>& files, const std::string& records,
                           const std::string& words, Problems& problems) {
  for (const std::string* output : {&records, &words}) {
    if (output->empty()) {
      continue;
    }
    const FileId id = fileIdAt(*output);
    for (const ImportFile& f : files) {
      if (f.reader.in.file != nullptr && sameFile(id, fileIdOf(f.reader.in.file))) {
        note(problems, "will not write over " + *output + ": it is the input " + f.path);
      }
    }
  }
}

void printProblems(const Problems& problems) {
  for (const std::string& line : problems.shown) {
    std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
  }
  if (problems.count > problems.shown.size()) {
    std::fprintf(stderr, "%s: and %zu more problems\n", kProgram,
                 problems.count - problems.shown.size());
  }
}

// Closes an output and puts it in place, or removes it; false (a message
// printed) when it could not be written.
bool finishImportOutput(ImportOutput& output, bool keep) {
  if (!output.open) {
    return true;
  }
  output.open = false;
  if (!keep) {
    closeOutput(output.file);
    discardReplacement(output.file);
    return true;
  }
  if (!closeOutput(output.file)) {
    discardReplacement(output.file);
    reportFailures(kProgram, {FileError{"write", output.path, output.file.error}});
    return false;
  }
  if (!isReplacement(output.file)) {
    return true;  // a device or FIFO, written in place
  }
  const std::string backup = output.path + kBackupSuffix;
  if (!keepBackup(output.file, output.file.target + kBackupSuffix)) {
    discardReplacement(output.file);
    reportFailures(kProgram, {FileError{"write", backup, output.file.error}});
    return false;
  }
  if (!replaceWithOutput(output.file)) {
    discardReplacement(output.file);
    reportFailures(kProgram, {FileError{"write", output.path, output.file.error}});
    return false;
  }
  return true;
}

}  // namespace

int runImport(const ImportOptions& options) {
  if (!options.dir.empty()) {
    const FileError e = folderFailure(options.dir);
    if (failed(e)) {
      reportFailures(kProgram, {e});
      return 1;
    }
  }
  const DataFiles data = dataFilesIn(options.dir);
  Problems problems;
  std::vector<ImportFile> files;
  bool ok = openImportFiles(options, files, problems);
  ImportFile* records = theFileOf(files, TableContent::records, problems);
  ImportFile* words = theFileOf(files, TableContent::dictionary, problems);
  // The dictionary's kanji are looked up in kanjis.dat.
  const RunReads uses{words != nullptr, words != nullptr, records != nullptr};
  ok = !reportNameClashes(kProgram, data, uses) && ok;
  refuseInputsAsOutputs(files, records != nullptr ? data.records : "",
                        words != nullptr ? data.words : "", problems);
  ok = ok && problems.count == 0;
  KanjiIndex index;
  if (ok && words != nullptr) {
    KanjiTable kanji;
    const FileError e = loadKanjiTableFrom(data.kanji.c_str(), kanji);
    if (failed(e)) {
      reportFailures(kProgram, {e});
      ok = false;
    }
    index = indexKanjiTable(kanji);
  }

  ImportOutput recordOut{data.records, {}, false};
  ImportOutput wordOut{data.words, {}, false};
  RecordCounts counts;
  int64_t entries = 0;
  if (ok && records != nullptr) {
    ok = openImportOutput(recordOut, false, options.check);
    if (ok) {
      importRecords(records->reader, records->path, options.utf8, recordOut, counts, problems);
    }
  }
  if (ok && words != nullptr) {
    ok = openImportOutput(wordOut, true, options.check);
    if (ok) {
      importWords(words->reader, words->path, options.utf8, index, wordOut, entries, problems);
    }
  }
  for (ImportFile& f : files) {
    closeTable(f.reader);
  }
  const bool whole = ok && problems.count == 0;
  printProblems(problems);
  bool written = finishImportOutput(recordOut, whole);
  written = finishImportOutput(wordOut, whole && written) && written;
  if (!whole || !written) {
    if (problems.count > 0) {
      std::fprintf(stderr, "%s: nothing was written\n", kProgram);
    }
    return 1;
  }
  const char* verb = options.check ? "would be written to" : "written to";
  if (records != nullptr) {
    std::printf("%" PRId64 " records (%" PRId64 " listed) %s %s\n", counts.records, counts.listed,
                verb, data.records.c_str());
  }
  if (words != nullptr) {
    std::printf("%" PRId64 " dictionary entries %s %s\n", entries, verb, data.words.c_str());
  }
  return 0;
}
