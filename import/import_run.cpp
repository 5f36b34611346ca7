// The import's run: every export read row by row, each row turned into a
// record or a line as the old program reads it, and the files written only
// when no row of any file was refused.
#include "import_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "driver/data_files.h"
#include "formats/table_rows.h"
#include "import_problems.h"
#include "import_records.h"
#include "import_words.h"
#include "io/data_change.h"
#include "io/data_folder.h"
#include "io/data_journal.h"
#include "io/file_error.h"
#include "io/folder_lock.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "io/replacement_file.h"
#include "table_reader.h"
#include "tables/kanji_index.h"
#include "tables/kanji_table.h"

namespace {

const char* const kProgram = kImportProgram;

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

// The outputs of an import, written as one change of the data folder; each
// output's file is the change's file of the same place while it is written.
struct ImportChange {
  DataChange change;
  std::vector<ImportOutput*> outputs;
};

// Opens `output` as a file of the change unless `check`; false (a message
// printed) when it cannot be opened.
bool openImportOutput(ImportChange& writes, ImportOutput& output, bool text, bool check) {
  if (check) {
    return true;
  }
  size_t index = 0;
  const FileError e = addChangedFile(writes.change, output.path, text, index);
  if (failed(e)) {
    reportFailures(kProgram, {e});
    return false;
  }
  output.file = std::move(writes.change.files[index].out);
  output.open = true;
  writes.outputs.push_back(&output);
  return true;
}

// An export named on the command line, open, and what it holds.
struct ImportFile {
  std::string path;  // as messages name it (shownFileName)
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
    f.path = shownFileName(options.files[i]);
    if (openTable(f.reader, options.files[i].c_str(), tableOptions) != TableStatus::ok) {
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
    if (f.content == TableContent::records) {
      printIgnoredColumns(f.path, f.reader.header, recordColumns(), kRecordColumnCount, "records");
    } else if (f.content == TableContent::dictionary) {
      printIgnoredColumns(f.path, f.reader.header, kWordColumns, kWordColumnCount, "dictionary");
    }
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

// Closes the outputs and puts them in place as one change (`keep`), or
// removes them; false (a message printed) when they could not be written.
bool finishImportOutputs(ImportChange& writes, bool keep) {
  bool closed = true;
  for (size_t i = 0; i < writes.outputs.size(); ++i) {
    ImportOutput& output = *writes.outputs[i];
    if (!closeOutput(output.file) && keep && closed) {
      reportFailures(kProgram, {FileError{"write", output.path, output.file.error}});
      closed = false;
    }
    output.open = false;
    writes.change.files[i].out = std::move(output.file);
  }
  // A file whose every byte would stay as it is, is not rewritten.
  for (size_t i = writes.outputs.size(); i-- > 0;) {
    if (writes.outputs[i]->unchanged) {
      dropChangedFile(writes.change, i);
      writes.outputs.erase(writes.outputs.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  if (writes.change.files.empty()) {
    abandonDataChange(writes.change);
    return closed;
  }
  if (!keep || !closed) {
    abandonDataChange(writes.change);
    return closed;
  }
  bool committed = false;
  const FileError e = commitDataChange(writes.change, committed);
  if (failed(e)) {
    reportFailures(kProgram, {e});
    if (committed) {
      std::fprintf(stderr,
                   "%s: the import is committed: the next listconv-import, listconv or "
                   "listconv-export in this folder puts it in place\n",
                   kProgram);
    }
    return false;
  }
  return true;
}

// Says which backups the import made.
void sayBackups(const DataChange& change) {
  for (const ChangedFile& f : change.files) {
    if (!f.backup.empty()) {
      std::printf("%s kept as %s\n", f.path.c_str(), f.backup.c_str());
    }
  }
}

// Locks the data folder of the import (for writing unless `options.check`)
// and recovers an interrupted import; false (a message printed) when it
// cannot.
bool openDataFolder(const ImportOptions& options, FolderLock& lock) {
  const std::string shown = options.dir.empty() ? "." : options.dir;
  std::string said;
  FileError e;
  if (options.check) {
    e = openDataFolderToRead(lock, options.dir, shown, said);
  } else {
    const WriterLock got = openDataFolderToWrite(lock, options.dir, shown, options.wait, said, e);
    if (got == WriterLock::heldByAnother) {
      std::fprintf(stderr, "%s: another listconv-import is writing %s\n", kProgram, shown.c_str());
      return false;
    }
  }
  if (!said.empty()) {
    std::fprintf(stderr, "%s: %s\n", kProgram, said.c_str());
  }
  if (failed(e)) {
    reportFailures(kProgram, {e});
    return false;
  }
  return true;
}

// The import, once its data folder is locked.
int importLocked(const ImportOptions& options) {
  const DataFiles data = dataFilesIn(options.dir);
  Problems problems;
  std::vector<ImportFile> files;
  bool ok = openImportFiles(options, files, problems);
  ImportFile* records = theFileOf(files, TableContent::records, problems);
  ImportFile* words = theFileOf(files, TableContent::dictionary, problems);
  // The dictionary's kanji and the records' name codes are looked up in
  // kanjis.dat.
  const RunReads uses{words != nullptr || records != nullptr, words != nullptr, records != nullptr};
  ok = !reportNameClashes(kProgram, data, uses) && ok;
  refuseInputsAsOutputs(files, records != nullptr ? data.records : "",
                        words != nullptr ? data.words : "", problems);
  ok = ok && problems.count == 0;
  KanjiIndex index;
  KanjiTable kanji;
  if (ok && (words != nullptr || records != nullptr)) {
    const FileError e = loadKanjiTableFrom(data.kanji.c_str(), kanji);
    if (failed(e)) {
      reportFailures(kProgram, {e});
      ok = false;
    }
    index = indexKanjiTable(kanji);
  }

  ImportChange writes;
  writes.change.dir = options.dir;
  writes.change.backup = options.backup;
  ImportOutput recordOut{data.records, {}, false};
  ImportOutput wordOut{data.words, {}, false};
  RecordCounts counts;
  WordChanges wordChanges;
  if (ok && records != nullptr) {
    ok = openImportOutput(writes, recordOut, false, options.check);
    if (ok) {
      importRecords(records->reader, records->path, options.utf8, kanji, recordOut, counts,
                    problems);
    }
  }
  if (ok && words != nullptr) {
    // Binary: the lines kept are written as they stand, and new ones end in CR LF.
    ok = openImportOutput(writes, wordOut, false, options.check);
    if (ok) {
      importWords(words->reader, words->path, options.utf8, kanji, index, wordOut, wordChanges,
                  problems);
    }
  }
  for (ImportFile& f : files) {
    closeTable(f.reader);
  }
  if (ok && problems.count == 0) {
    checkRecordsWritten(recordOut, counts, problems);
  }
  recordOut.unchanged = counts.same;
  wordOut.unchanged = wordChanges.same;
  if (ok && problems.count == 0 && wordOut.open && !wordOut.unchanged &&
      closeOutput(wordOut.file) && isReplacement(wordOut.file)) {
    ok = wordsReadBack(wordOut.file.temp, data.words, wordChanges);
  }
  const bool whole = ok && problems.count == 0;
  printProblems(problems);
  const bool begun = !writes.outputs.empty();
  const bool written = finishImportOutputs(writes, whole);
  if (!whole || !written) {
    if (problems.count > 0) {
      std::fprintf(stderr, "%s: nothing was written\n", kProgram);
    } else if ((begun || !written) && !hasJournal(options.dir)) {
      std::fprintf(stderr, "%s: nothing was changed\n", kProgram);
    }
    return 1;
  }
  if (records != nullptr) {
    printRecordSummary(counts, data.records, options.check);
  }
  if (words != nullptr) {
    printWordChanges(wordChanges, data.words, options.check, options.check);
  }
  sayBackups(writes.change);
  return 0;
}

}  // namespace

int runImport(const ImportOptions& options) {
  if (!dataFolderIsThere(kProgram, options.dir)) {
    return 1;
  }
  FolderLock lock;
  if (!openDataFolder(options, lock)) {
    return 1;
  }
  const int status = importLocked(options);
  unlockFolder(lock);
  return status;
}
