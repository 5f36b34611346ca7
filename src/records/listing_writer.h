// The listing list.txt: one seven-line block for every listed record.
#pragma once

#include <cstdint>
#include <string>

#include "records/source_record.h"

struct OutputFile;

// The values of a block that are more than a decoded field.
struct BlockValues {
  std::string nameKey;  // padded to 21 characters
  std::string period;   // the annotated period
  std::string wordLine;
  std::string kanjiLine;
};

// True when the record is listed: its entryId is anything but eight blanks.
bool isListed(const SourceRecord& record);

// Formats a block number as "%5.5d" does: at least five digits, zero-padded.
std::string formatBlockNumber(int64_t number);

// Lists the record: when it is listed, raises `recordCount` and writes its
// block with that number. The note is written as it stands in the record.
void writeListingBlock(OutputFile& out, const SourceRecord& record, const BlockValues& values,
                       int64_t& recordCount);
