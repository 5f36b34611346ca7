// The run sequence: tables first, then every record of list.rec.
#include "driver/run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "io/file_io.h"
#include "records/era_annotation.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

bool convertNextRecord(InputFile& in, RecordWork& work, int64_t& recordCount,
                       UnknownWords* unknown) {
  SourceRecord& record = work.record;
  ListingBlock& block = work.block;
  readSourceRecord(in, work.bytes);
  decodeSourceRecord(work.bytes, record);
  if (!isListed(record)) {
    return false;  // nothing of it is shown, so nothing more is worked out
  }
  resolveNameCodes(record);
  trimTrailingBlanks(record.note);
  block.nameKey = buildNameKey(record.name1, record.name2, record.name3);
  renderWordText(record.wordText,
                 {block.nameKey, record.nameKanji1, record.nameKanji2, record.nameKanji3},
                 WordDictionary, block.wordLine, block.kanjiLine, work.scratch, unknown);
  padNameKey(block.nameKey);
  block.period = annotateEra(record.period);

  block.number = ++recordCount;
  block.entryId = record.entryId;
  block.nameKanji1 = record.nameKanji1;
  block.nameKanji2 = record.nameKanji2;
  block.nameKanji3 = record.nameKanji3;
  block.detail1 = record.detail1;
  block.detail2 = record.detail2;
  block.detail3 = record.detail3;
  block.detail4 = record.detail4;
  block.detail5 = record.detail5;
  block.detail6 = record.detail6;
  block.detail7 = record.detail7;
  block.note = record.note;
  return true;
}

namespace {

const char kRecordFile[] = "list.rec";
const char kListingFile[] = "list.txt";

// Converts every record of `in` into a block of `out`, one record at a
// time, until the end of `in` is met or a write fails; returns the number of
// blocks.
int64_t convertRecords(InputFile& in, OutputFile& out) {
  RecordWork work;
  int64_t recordCount = 0;
  do {
    if (convertNextRecord(in, work, recordCount)) {
      writeListingBlock(out, work.block);
    }
  } while (!in.atEnd && out.error == 0);
  return recordCount;
}

void reportListingFailure(const char* what, int error) {
  std::fprintf(stderr, "listconv: cannot %s %s: %s\n", what, kListingFile, std::strerror(error));
}

// Flushes the console output; records the reason of the first failure.
void flushConsole(int& error) {
  errno = 0;
  if (std::fflush(stdout) != 0 && error == 0) {
    error = errno != 0 ? errno : EIO;
  }
}

// The input that list.txt is the same file as, or nullptr: writing the
// listing would destroy it.
const char* inputUnderListing() {
  for (const char* input : {kRecordFile, kWordFile, kKanjiFile}) {
    if (isSameFile(kListingFile, input)) {
      return input;
    }
  }
  return nullptr;
}

// Loads the tables and converts list.rec into list.txt; returns the exit
// status. The console output is checked by the caller.
int convert() {
  bool readsOk = loadKanjiTable();
  readsOk = loadWordDictionary() && readsOk;

  InputFile records;
  const bool haveRecords = openInput(records, kRecordFile, false);
  if (!haveRecords) {
    readsOk = reportOpenFailure(kRecordFile, records.error) && readsOk;
  }
  if (const char* input = inputUnderListing()) {
    closeInput(records);
    std::fprintf(stderr, "listconv: %s is the same file as %s\n", kListingFile, input);
    return 1;
  }
  OutputFile listing;
  if (!openOutput(listing, kListingFile, true)) {
    closeInput(records);
    reportListingFailure("create", listing.error);
    return 1;
  }
  if (!haveRecords) {
    const bool closed = closeOutput(listing);
    if (!closed) {
      reportListingFailure("write", listing.error);
    }
    return readsOk && closed ? 0 : 1;
  }
  const int64_t recordCount = convertRecords(records, listing);
  closeInput(records);
  readsOk = reportReadFailure(kRecordFile, records.error) && readsOk;
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
  std::fprintf(stderr, "listconv: cannot write to standard output: %s\n",
               std::strerror(consoleError != 0 ? consoleError : EIO));
  return 1;
}
