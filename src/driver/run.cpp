// The run sequence: tables first, then every record of list.rec.
#include "driver/run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "io/in_place_output.h"
#include "io/platform.h"
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

// True when the data file at `path` is simply not there: no clash, no
// failure to open it (which was reported already), and nothing at its name.
bool isMissing(const DataFiles& files, const char* dataFile, const std::string& path,
               const RunInputs& inputs) {
  for (const FileError& e : inputs.failures) {
    if (e.name == path) {
      return false;
    }
  }
  return clashOver(files, dataFile) == nullptr && !fileIdAt(path).known;
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
  const std::string* input = inputUnderOutput(listing, files, inputs.records);
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
  if (!inputs.haveRecords && inputs.records.error == ENOENT &&
      clashOver(files, kRecordFile) == nullptr) {
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
  const int64_t recordCount = convertRecords(inputs.records, inputs.tables, &listing, work, nullptr,
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
