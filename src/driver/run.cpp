// The run sequence: tables first, then every record of list.rec.
#include "driver/run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "records/era_annotation.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "textutil/file_io.h"

namespace {

const char kRecordFile[] = "list.rec";
const char kListingFile[] = "list.txt";

// Converts every record of `in` into `out`; returns the number of blocks.
int64_t convertRecords(InputFile& in, OutputFile& out) {
  int64_t recordCount = 0;
  RecordBytes bytes;
  RecordView record;
  BlockText block;
  RenderedWords scratch;
  do {
    readSourceRecord(in, bytes);
    decodeRecordView(bytes, record);
    // A record that is not listed shows nothing of what would be worked out.
    if (isListedId(record.field[EntryId])) {
      assembleRecord(record, WordDictionary, block, scratch);
      writeBlock(out, block, ++recordCount);
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

// Loads the tables and converts list.rec into list.txt; returns the exit
// status. The console output is checked by the caller.
int convert() {
  bool readsOk = loadKanjiTable();
  readsOk = loadWordDictionary() && readsOk;

  InputFile records;
  const bool haveRecords = openInput(records, kRecordFile, false);
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
