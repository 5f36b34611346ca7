// The run sequence: tables first, then every record of list.rec.
#include "driver/run.h"

#include <array>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

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

static_assert(kInputReadAhead >= kSlotReadAhead, "records are decoded where they are read");

// A record between its reading and its block.
struct RecordInFlight {
  RecordView record;
  bool listed = false;
  RenderedWords words;  // its prepared words, then its lines
};

// How many records are worked on at once: the one being read and prepared,
// the one being written and those in between, whose dictionary memory is
// being loaded.
const size_t kRecordsInFlight = 3;
const size_t kPrefetchLag = (kRecordsInFlight - 1) / 2;

// Converts every record of `in` into `out`; returns the number of blocks.
// Records pass through three steps, each record one step behind the one
// read after it, so that the memory its lookups need has arrived by the
// time it is written.
int64_t convertRecords(InputFile& in, OutputFile& out) {
  std::vector<RecordInFlight> ring(kRecordsInFlight);
  // A record that straddles two blocks of the file is put together here.
  std::array<unsigned char, kRecordSize + kInputReadAhead> spill{};
  BlockText block;
  int64_t recordCount = 0;
  size_t read = 0;  // records read so far
  size_t done = 0;  // records finished so far
  bool reading = true;
  while (reading || done < read) {
    if (reading) {
      RecordInFlight& next = ring[read % kRecordsInFlight];
      decodeRecordView(readRecordBytesInPlace(in, spill.data(), kRecordSize), next.record);
      // A record that is not listed shows nothing of what would be worked out.
      next.listed = isListedId(next.record.field[EntryId]);
      if (next.listed) {
        prepareRecord(next.record, WordDictionary, next.words);
      }
      ++read;
      reading = !in.atEnd;
    }
    if (reading && read - done < kRecordsInFlight) {
      continue;  // filling the pipeline
    }
    RecordInFlight& oldest = ring[done % kRecordsInFlight];
    if (oldest.listed) {
      assemblePreparedRecord(oldest.record, WordDictionary, block, oldest.words);
      writeBlock(out, block, ++recordCount);
      if (out.error != 0) {
        break;
      }
    }
    ++done;
    // Halfway between its reading and its writing, a record's words are
    // located in the index and their dictionary records asked for.
    if (done + kPrefetchLag < read) {
      RecordInFlight& middle = ring[(done + kPrefetchLag) % kRecordsInFlight];
      if (middle.listed) {
        locatePreparedWords(WordDictionary, middle.words);
      }
    }
  }
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
