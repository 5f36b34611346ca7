// The import's run: every export read row by row, each row turned into a
// record or a line as the old program reads it, and the files written only
// when no row of any file was refused.
#include "import_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>

#include "driver/run.h"
#include "import_problems.h"
#include "import_records.h"
#include "import_words.h"
#include "io/file_error.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "io/replacement_file.h"
#include "table_reader.h"
#include "table_rows.h"
#include "tables/kanji_index.h"
#include "tables/kanji_table.h"

namespace {

const char* const kProgram = kImportProgram;

// What a data file replaced is kept as, after its name.
const char kBackupSuffix[] = ".bak";

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

// Closes an output and puts it in place, or removes it; false (a message
// printed) when it could not be written, or `readBack`, given the written
// file's name, finds it other than meant.
bool finishImportOutput(ImportOutput& output, bool keep,
                        const std::function<bool(const std::string&)>& readBack = {}) {
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
  if (readBack && !readBack(output.file.temp)) {
    discardReplacement(output.file);
    return false;
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
  KanjiTable kanji;
  if (ok && words != nullptr) {
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
  WordChanges wordChanges;
  if (ok && records != nullptr) {
    ok = openImportOutput(recordOut, false, options.check);
    if (ok) {
      importRecords(records->reader, records->path, options.utf8, recordOut, counts, problems);
    }
  }
  if (ok && words != nullptr) {
    // Binary: the lines kept are written as they stand, and new ones end in CR LF.
    ok = openImportOutput(wordOut, false, options.check);
    if (ok) {
      importWords(words->reader, words->path, options.utf8, kanji, index, wordOut, wordChanges,
                  problems);
    }
  }
  for (ImportFile& f : files) {
    closeTable(f.reader);
  }
  const bool whole = ok && problems.count == 0;
  printProblems(problems);
  bool written = finishImportOutput(recordOut, whole);
  written = finishImportOutput(wordOut, whole && written && !wordChanges.same,
                               [&](const std::string& temp) {
                                 return wordsReadBack(temp, data.words, wordChanges);
                               }) &&
            written;
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
    printWordChanges(wordChanges, data.words, options.check, options.check);
  }
  return 0;
}
