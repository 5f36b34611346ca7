// Writing listing blocks.
#include "records/listing_writer.h"

#include <cinttypes>
#include <cstdio>

#include "io/file_io.h"

bool isListed(const SourceRecord& record) {
  return record.entryId != "        ";
}

std::string formatListingBlock(const ListingBlock& b) {
  // "%5.5d": at least five digits, zero-padded.
  char number[32];
  std::snprintf(number, sizeof number, "%5.5" PRId64, b.number);
  std::string text;
  text.reserve(512);
  text.append(number).append(" ").append(b.entryId).append(", ").append(b.nameKey);
  text.append(" (").append(b.nameKanji1).append(" ").append(b.nameKanji2).append(" ");
  text.append(b.nameKanji3).append(")\n");
  text.append(b.detail1).append(", ").append(b.detail2).append(", ").append(b.period);
  text.append(", ").append(b.detail3).append(", ").append(b.detail4).append("\n");
  text.append(b.detail5).append(", ").append(b.detail6).append(", ").append(b.detail7);
  text.append("\n");
  text.append(b.wordLine).append("\n");
  text.append(b.kanjiLine).append("\n");
  text.append(b.note).append("\n\n");
  text.append("----------\n");
  return text;
}

void writeListingBlock(OutputFile& out, const ListingBlock& block) {
  writeBytes(out, formatListingBlock(block));
}
