// The run sequence: tables first, then every record of list.rec.
#include "driver/run.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "io/data_folder.h"
#include "io/in_place_output.h"
#include "records/era_annotation.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "textutil/core.h"

bool convertNextRecord(InputFile& in, const RunTables& tables, RecordWork& work,
                       int64_t& recordCount, UnknownWords* unknown) {
  SourceRecord& record = work.record;
  ListingBlock& block = work.block;
  readSourceRecord(in, work.bytes);
  decodeSourceRecord(work.bytes, record);
  if (!isListed(record)) {
    return false;  // nothing of it is shown, so nothing more is worked out
  }
  resolveNameCodes(record, tables.kanji, block.nameKanji, unknown);
  trimTrailingBlanks(record.note);
  // The words are rendered with the name key as built: a word is the record's
  // own name when it equals the unpadded key. Only then is the key padded for
  // the listing's column.
  block.nameKey = buildNameKey(record.name1, record.name2, record.name3);
  const NameKanji& kanji = block.nameKanji;
  const WordRendering rendering{
      tables.words, tables.kanji, {block.nameKey, kanji[0], kanji[1], kanji[2]}, unknown};
  renderWordText(record.wordText, rendering, work.scratch, block.wordLine, block.kanjiLine);
  padNameKey(block.nameKey);
  block.period = annotateEra(record.period);
  block.number = ++recordCount;
  block.record = &record;
  return true;
}

namespace {

// True when both names are equal once a-z are taken as A-Z.
bool sameButForCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), charEqualsIgnoreCase);
}

// "two files could be NAME in DIR: A and B" (three or more: "3 files ...:
// A, B and C"), the candidates in byte order.
std::string clashMessage(const char* name, const std::string& dir,
                         std::vector<std::string> candidates) {
  std::sort(candidates.begin(), candidates.end());
  std::string message =
      candidates.size() == 2 ? std::string("two") : std::to_string(candidates.size());
  message += " files could be ";
  message += name;
  message += dir.empty() ? "" : " in " + dir;
  message += ": ";
  for (size_t i = 0; i < candidates.size(); ++i) {
    message += i == 0 ? "" : i + 1 == candidates.size() ? " and " : ", ";
    message += candidates[i];
  }
  return message;
}

// The name the data file `name` has in a folder of the names `names`: its
// own when it is there, else the only one that differs from it in letter
// case; its own, and a clash in `files`, when several do.
std::string nameInFolder(const char* name, const std::string& dir,
                         const std::vector<std::string>& names, DataFiles& files) {
  std::vector<std::string> candidates;
  for (const std::string& other : names) {
    if (other == name) {
      return other;
    }
    if (sameButForCase(other, name)) {
      candidates.push_back(other);
    }
  }
  if (candidates.size() == 1) {
    return candidates.front();
  }
  if (candidates.size() > 1) {
    files.clashes.push_back(NameClash{name, clashMessage(name, dir, candidates)});
  }
  return name;
}

}  // namespace

DataFiles dataFilesIn(const std::string& dir) {
  DataFiles files;
  std::vector<std::string> names;
  const bool listed = namesToMatchIn(dir, names);
  const auto path = [&](const char* name) {
    const std::string found = listed ? nameInFolder(name, dir, names, files) : name;
    return dir.empty() ? found : pathInFolder(dir, found);
  };
  files.kanji = path(kKanjiFile);
  files.words = path(kWordFile);
  files.records = path(kRecordFile);
  return files;
}

bool reportNameClashes(const char* program, const DataFiles& files, const RunReads& reads) {
  bool any = false;
  for (const NameClash& clash : files.clashes) {
    const std::string_view file = clash.file;
    if ((file == kKanjiFile && reads.kanji) || (file == kWordFile && reads.words) ||
        (file == kRecordFile && reads.records)) {
      std::fprintf(stderr, "%s: %s\n", program, clash.message.c_str());
      any = true;
    }
  }
  return any;
}

const std::string* inputUnderOutput(const FileId& output, const DataFiles& files,
                                    const RunInputs& inputs) {
  const FileId records =
      inputs.records.file != nullptr ? fileIdOf(inputs.records.file) : fileIdAt(files.records);
  if (sameFile(output, records)) {
    return &files.records;
  }
  for (const std::string* input : {&files.words, &files.kanji}) {
    if (sameFile(output, fileIdAt(*input))) {
      return input;
    }
  }
  return nullptr;
}

void openRunInputs(const DataFiles& files, RunInputs& inputs, const RunReads& reads) {
  const auto note = [&inputs](FileError e) {
    if (failed(e)) {
      inputs.failures.push_back(std::move(e));
    }
  };
  RunTables& tables = inputs.tables;
  if (reads.kanji) {
    note(loadKanjiTableFrom(files.kanji.c_str(), tables.kanji));
  }
  if (reads.words) {
    note(loadWordDictionaryFrom(files.words.c_str(), tables.kanji, tables.words));
  }
  if (!reads.records) {
    return;
  }
  inputs.haveRecords = openInput(inputs.records, files.records.c_str(), false);
  if (!inputs.haveRecords) {
    note(openFailure(files.records, inputs.records.error));
  }
}

bool closeRunInputs(const char* program, const DataFiles& files, RunInputs& inputs) {
  closeInput(inputs.records);
  if (!inputs.haveRecords) {
    return true;  // its failure to open was met and reported already
  }
  const FileError e = readFailure(files.records, inputs.records);
  if (failed(e)) {
    reportFailures(program, {e});
    return false;
  }
  return true;
}

void reportFailures(const char* program, const std::vector<FileError>& failures) {
  for (const FileError& e : failures) {
    std::fprintf(stderr, "%s: %s\n", program, describeFailure(e).c_str());
  }
}

bool openDataFolderOf(const char* program, FolderLock& lock, const std::string& dir) {
  std::string said;
  const FileError e = openDataFolderToRead(lock, dir, dir.empty() ? "." : dir, said);
  if (!said.empty()) {
    std::fprintf(stderr, "%s: %s\n", program, said.c_str());
  }
  if (failed(e)) {
    reportFailures(program, {e});
  }
  return !failed(e);
}

namespace {

// Prints "listconv: cannot WHAT list.txt: reason".
void reportListingFailure(const char* what, int error) {
  reportFailures(kConverterName, {FileError{what, kListingFile, error}});
}

// Flushes the console output; records the reason of the first failure.
void flushConsole(int& error) {
  errno = 0;
  if (std::fflush(stdout) != 0 && error == 0) {
    error = errno != 0 ? errno : EIO;
  }
}

// True when the data file `dataFile` clashed: several files could be it.
bool clashedOver(const DataFiles& files, const char* dataFile) {
  for (const NameClash& clash : files.clashes) {
    if (std::string_view(clash.file) == dataFile) {
      return true;
    }
  }
  return false;
}

// True when the data file at `path` is simply not there: no clash, no
// failure to open it (which was reported already), and nothing at its name.
bool isMissing(const DataFiles& files, const char* dataFile, const std::string& path,
               const RunInputs& inputs) {
  for (const FileError& e : inputs.failures) {
    if (e.name == path) {
      return false;
    }
  }
  return !clashedOver(files, dataFile) && !fileIdAt(path).known;
}

// Prints what the listing shows for lack of a table file that is not there.
void reportMissingTables(const DataFiles& files, const RunInputs& inputs) {
  if (isMissing(files, kKanjiFile, files.kanji, inputs)) {
    std::fprintf(stderr,
                 "%s: no kanjis.dat in this folder: the listing shows ? for every kanji code "
                 "(and 1037 for code 3867)\n",
                 kConverterName);
  }
  if (isMissing(files, kWordFile, files.words, inputs)) {
    std::fprintf(stderr,
                 "%s: no words.txt in this folder: words get kanji only from codes in brackets "
                 "and from the record's own name, the others show ?\n",
                 kConverterName);
  }
}

// True, with the inputs closed and the message printed, when `listing` is one
// of the inputs: writing it would destroy that input.
bool isAnInput(const FileId& listing, const DataFiles& files, RunInputs& inputs) {
  const std::string* input = inputUnderOutput(listing, files, inputs);
  if (input == nullptr) {
    return false;
  }
  closeInput(inputs.records);
  std::fprintf(stderr, "%s: %s is the same file as %s\n", kConverterName, kListingFile,
               input->c_str());
  return true;
}

// Opens list.txt, emptied, as `listing`; false, with the inputs closed and
// the message printed, when it cannot be or must not be written. It is
// opened as it is and emptied only once the file really opened is known not
// to be one of the inputs.
bool openListing(const DataFiles& files, RunInputs& inputs, OutputFile& listing) {
  if (isAnInput(fileIdAt(kListingFile), files, inputs)) {
    return false;
  }
  const FileError opened = openOutputInPlace(listing, kListingFile, kListingLinesEndInCrLf);
  if (failed(opened)) {
    closeInput(inputs.records);
    reportFailures(kConverterName, {opened});
    return false;
  }
  if (isAnInput(listing.over, files, inputs)) {
    closeOutput(listing);
    return false;
  }
  if (!emptyOutput(listing)) {
    closeInput(inputs.records);
    closeOutput(listing);
    reportListingFailure("write", listing.error);
    return false;
  }
  return true;
}

// Loads the tables and converts list.rec into list.txt; returns the exit
// status. The console output is checked by the caller.
int convert() {
  FolderLock lock;
  if (!openDataFolderOf(kConverterName, lock, "")) {
    return 1;
  }
  const DataFiles files = dataFilesIn("");
  // A clash leaves its data file missing, as a file that fails to open does.
  const bool clashed = reportNameClashes(kConverterName, files);
  RunInputs inputs;
  openRunInputs(files, inputs);
  reportFailures(kConverterName, inputs.failures);
  bool readsOk = inputs.failures.empty() && !clashed;
  if (!inputs.haveRecords && inputs.records.error == ENOENT && !clashedOver(files, kRecordFile)) {
    // A run in the wrong folder: list.txt may be the only listing left.
    std::fprintf(stderr, "%s: no list.rec in this folder: list.txt left as it was\n",
                 kConverterName);
    return 1;
  }
  reportMissingTables(files, inputs);
  OutputFile listing;
  if (!openListing(files, inputs, listing)) {
    return 1;
  }
  if (!inputs.haveRecords) {
    const bool closed = closeOutput(listing);
    if (!closed) {
      reportListingFailure("write", listing.error);
    }
    return readsOk && closed ? 0 : 1;
  }
  RecordWork work;
  const int64_t recordCount = convertRecords(inputs.records, inputs.tables, listing, work, nullptr,
                                             [&] { writeListingBlock(listing, work.block); });
  readsOk = closeRunInputs(kConverterName, files, inputs) && readsOk;
  if (!closeOutput(listing)) {
    reportListingFailure("write", listing.error);
    return 1;
  }
  std::printf("%" PRId64 " records written to file LIST.TXT\n", recordCount);
  return readsOk ? 0 : 1;
}

}  // namespace

int runConversion() {
  int consoleError = 0;
  std::printf("\n");
  flushConsole(consoleError);
  const int status = convert();
  flushConsole(consoleError);
  if (consoleError == 0 && !std::ferror(stdout)) {
    return status;
  }
  // A console that cannot be written to (a full disk behind a redirection,
  // say) fails the run: its summary line is lost.
  reportFailures(kConverterName, {FileError{"write", "", consoleError != 0 ? consoleError : EIO}});
  return 1;
}
