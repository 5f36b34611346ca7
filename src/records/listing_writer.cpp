// Writing listing blocks.
#include "records/listing_writer.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "io/output_file.h"

bool isListed(const SourceRecord& record) {
  return record.entryId != "        ";
}

std::string formatListingBlock(const ListingBlock& b) {
  // "%5.5d": at least five digits, zero-padded.
  char number[32];
  const int digits = std::snprintf(number, sizeof number, "%5.5" PRId64, b.number);
  // The seven lines, piece by piece.
  // clang-format off
  const std::string_view pieces[] = {
      {number, static_cast<size_t>(digits)}, " ", b.entryId, ", ", b.nameKey,
          " (", b.nameKanji1, " ", b.nameKanji2, " ", b.nameKanji3, ")\n",
      b.detail1, ", ", b.detail2, ", ", b.period, ", ", b.detail3, ", ", b.detail4, "\n",
      b.detail5, ", ", b.detail6, ", ", b.detail7, "\n",
      b.wordLine, "\n",
      b.kanjiLine, "\n",
      b.note, "\n\n",
      "----------\n"};
  // clang-format on
  size_t size = 0;
  for (const std::string_view piece : pieces) {
    size += piece.size();
  }
  std::string text(size, ' ');
  char* at = &text[0];
  for (const std::string_view piece : pieces) {
    std::memcpy(at, piece.data(), piece.size());
    at += piece.size();
  }
  return text;
}

void writeListingBlock(OutputFile& out, const ListingBlock& block) {
  writeBytes(out, formatListingBlock(block));
}
