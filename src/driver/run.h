// The run of the converter, from the first console line to the summary.
#pragma once

#include <cstdint>

#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"

struct InputFile;

// The working values of one record on its way from list.rec to its block,
// reused from record to record.
struct RecordWork {
  RecordBytes bytes;
  SourceRecord record;
  ListingBlock block;
  RenderScratch scratch;
};

// Reads the next record of `in` and works out the values of its block, as
// the listing and every export show them. False when the record is not
// listed: nothing more is worked out for it. A listed record takes the next
// `recordCount` as its number. `unknown`, when given, collects what the
// record's words gave "?" for.
bool convertNextRecord(InputFile& in, RecordWork& work, int64_t& recordCount,
                       UnknownWords* unknown = nullptr);

// Converts the data files of the current folder into list.txt; returns the
// process exit status: 0 on success, 1 when a file could not be read or
// list.txt could not be written.
int runConversion();
