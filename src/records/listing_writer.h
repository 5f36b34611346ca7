// The listing list.txt: one seven-line block for every listed record.
#pragma once

#include <cstdint>
#include <string>

#include "records/field_assembly.h"
#include "records/source_record.h"

struct OutputFile;

// list.txt is a Windows text file: its output file writes every line feed
// as CR LF (the `text` mode of openOutput).
const bool kListingLinesEndInCrLf = true;

// One listed record on its way to the listing and every export: what the
// record path works out for it, and the decoded record for every other
// value (its entryId, details and note). Free of any output format.
struct ListingBlock {
  const SourceRecord* record = nullptr;  // decoded; its note without trailing blanks
  int64_t number = 0;                    // the block's number, from 1
  std::string nameKey;                   // padded to kNameKeyWidth after the words
  NameKanji nameKanji;                   // the kanji texts of nameCode1 to nameCode3
  std::string period;                    // with the year ranges of its era rows
  std::string wordLine;                  // every processed word followed by one blank
  std::string kanjiLine;                 // the kanji of the words, trailing blanks removed
};

// True when a record is listed: its entryId is anything but eight blanks.
bool isListed(const SourceRecord& record);

// The seven lines of a block, each ended by a line feed. Precondition:
// block.record is set.
std::string formatListingBlock(const ListingBlock& block);

// Writes the block to the listing, opened with kListingLinesEndInCrLf.
void writeListingBlock(OutputFile& out, const ListingBlock& block);
