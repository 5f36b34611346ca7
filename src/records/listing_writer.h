// The listing list.txt: one seven-line block for every listed record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/source_record.h"

struct OutputFile;

// The values of a block that are more than a decoded field.
struct BlockValues {
  std::string nameKey;  // padded to 21 characters
  std::string period;   // the annotated period
  std::string wordLine;
  std::string kanjiLine;
};

// Everything a block prints, in the order printed. No value holds a zero
// byte: decoded fields end at one, and every other value is made of them.
struct BlockText {
  std::string_view entryId;
  std::string_view nameKey;  // padded to 21 characters
  std::string_view nameKanji1;
  std::string_view nameKanji2;
  std::string_view nameKanji3;
  std::string_view detail1;
  std::string_view detail2;
  std::string_view period;        // trailing blanks removed
  std::string_view periodRanges;  // printed right behind the period
  std::string_view detail3;
  std::string_view detail4;
  std::string_view detail5;
  std::string_view detail6;
  std::string_view detail7;
  std::string_view wordLine;
  std::string_view kanjiLine;
  std::string_view note;  // trailing blanks removed
  bool lineFeeds = true;  // false only when no value holds a line feed
  // True when every value but the name kanji and the period ranges is
  // followed by at least kBlockReadAhead - 1 readable bytes.
  bool readAhead = false;
};

// How far the block writer may read ahead of a value when BlockText::readAhead is set.
const size_t kBlockReadAhead = 16;

// True when a record with this entryId is listed: anything but eight blanks.
bool isListedId(std::string_view entryId);

// True when the record is listed.
bool isListed(const SourceRecord& record);

// Formats a block number as "%5.5d" does: at least five digits, zero-padded.
std::string formatBlockNumber(int64_t number);

// Writes the block of a listed record with the number `number`.
void writeBlock(OutputFile& out, const BlockText& text, int64_t number);

// Lists the record: when it is listed, raises `recordCount` and writes its
// block with that number. The note is written as it stands in the record.
void writeListingBlock(OutputFile& out, const SourceRecord& record, const BlockValues& values,
                       int64_t& recordCount);
