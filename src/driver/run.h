// The run shared by listconv and listconv-export: the tables loaded,
// list.rec opened, and every record converted, one at a time, into the
// values of its block. listconv's own run, from the first console line to
// the summary, is runConversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/data_files.h"
#include "io/input_file.h"
#include "io/output_file.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

// The converter's name, which starts its messages.
const char kConverterName[] = "listconv";

// The two tables of a run: loaded before the first record, only read after.
struct RunTables {
  KanjiTable kanji;
  Dictionary words;
};

// The inputs of a run: the tables, the record file, open when it is there,
// and every failure met in loading the tables and opening the record file,
// in order.
struct RunInputs {
  RunTables tables;
  InputFile records;
  bool haveRecords = false;
  std::vector<FileError> failures;
};

// Loads the kanji table and the word dictionary from their files, then opens
// the record file, each as `reads` asks. A file that is missing or fails to
// open is taken as empty.
void openRunInputs(const DataFiles& files, RunInputs& inputs, const RunReads& reads = RunReads());

// Closes the record file; when a read of it failed, prints that under
// `program`'s name and returns false.
bool closeRunInputs(const char* program, const DataFiles& files, RunInputs& inputs);

// The working values of one record on its way from list.rec to its block,
// reused from record to record. A listed record's block refers to `record`.
struct RecordWork {
  RecordBytes bytes;
  SourceRecord record;
  ListingBlock block;
  RenderScratch scratch;
};

// Reads the next record of `in` and works out its block through `tables`:
// the values the listing and every export show. False when the record is not
// listed: nothing more is worked out for it. A listed record takes the next
// `recordCount` as its number. `unknown`, when given, collects what the
// record gave "?" for.
bool convertNextRecord(InputFile& in, const RunTables& tables, RecordWork& work,
                       int64_t& recordCount, UnknownWords* unknown = nullptr);

// Converts the records of `in` one at a time and calls `take()` for each
// listed one, its block in `work.block` (and what it gave "?" for in
// `unknown`, when given), until the end of `in` or, when `out` is given, a
// failed write to it; returns the number of listed records.
template <typename Take>
int64_t convertRecords(InputFile& in, const RunTables& tables, const OutputFile* out,
                       RecordWork& work, UnknownWords* unknown, Take&& take) {
  int64_t recordCount = 0;
  do {
    if (unknown != nullptr) {
      clearUnknownWords(*unknown);
    }
    if (convertNextRecord(in, tables, work, recordCount, unknown)) {
      take();
    }
  } while (!in.atEnd && (out == nullptr || out->error == 0));
  return recordCount;
}

// Converts the data files of the current folder into list.txt; returns the
// process exit status: 0 on success, 1 when a file could not be read or
// list.txt could not be written.
int runConversion();
