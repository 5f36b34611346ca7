// The listing list.txt: one seven-line block for every listed record.
#pragma once

#include <cstdint>
#include <string>

#include "records/source_record.h"

struct OutputFile;

// The values one block of the listing shows, in the order shown; produced
// by the record path, free of any output format.
struct ListingBlock {
  int64_t number = 0;  // the block's number, from 1
  std::string entryId;
  std::string nameKey;  // padded to 21 characters
  std::string nameKanji1;
  std::string nameKanji2;
  std::string nameKanji3;
  std::string detail1;
  std::string detail2;
  std::string period;  // with the year ranges of its era rows
  std::string detail3;
  std::string detail4;
  std::string detail5;
  std::string detail6;
  std::string detail7;
  std::string wordLine;   // every processed word followed by one blank
  std::string kanjiLine;  // the kanji of the words, trailing blanks removed
  std::string note;       // trailing blanks removed
};

// True when a record is listed: its entryId is anything but eight blanks.
bool isListed(const SourceRecord& record);

// The seven lines of a block, each ended by a line feed.
std::string formatListingBlock(const ListingBlock& block);

// Writes the block to the listing (every line feed as CR LF).
void writeListingBlock(OutputFile& out, const ListingBlock& block);
