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

// Builds a record's block values; the record's name kanji and note are
// resolved and trimmed in place.
void assembleRecord(SourceRecord& record, BlockValues& values) {
  resolveNameCodes(record);
  trimTrailingBlanks(record.note);
  values.nameKey = buildNameKey(record.name1, record.name2, record.name3);
  RenderedWords words = renderWordText(record.wordText, values.nameKey, record.nameKanji1,
                                       record.nameKanji2, record.nameKanji3, WordDictionary);
  values.wordLine.swap(words.wordLine);
  values.kanjiLine.swap(words.kanjiLine);
  if (values.nameKey.size() < kNameKeyWidth) {
    values.nameKey.append(kNameKeyWidth - values.nameKey.size(), ' ');
  }
  values.period = annotateEra(record.period);
}

// Converts every record of `in` into `out`; returns the number of blocks.
int64_t convertRecords(InputFile& in, OutputFile& out) {
  int64_t recordCount = 0;
  RecordBytes bytes;
  SourceRecord record;
  BlockValues values;
  do {
    readSourceRecord(in, bytes);
    decodeSourceRecordInto(bytes, record);
    assembleRecord(record, values);
    writeListingBlock(out, record, values, recordCount);
  } while (!in.atEnd && out.error == 0);
  return recordCount;
}

void reportListingFailure(const char* what, int error) {
  std::fprintf(stderr, "listconv: cannot %s %s: %s\n", what, kListingFile, std::strerror(error));
}

}  // namespace

int runConversion() {
  std::printf("\n");
  std::fflush(stdout);
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
