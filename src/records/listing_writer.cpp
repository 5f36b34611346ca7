// Writing listing blocks.
#include "records/listing_writer.h"

#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "io/output_file.h"

bool isListed(const SourceRecord& record) {
  return record.entryId != "        ";
}

std::string formatListingBlock(const ListingBlock& b) {
  assert(b.record != nullptr);
  const SourceRecord& r = *b.record;
  // "%5.5d": at least five digits, zero-padded.
  char number[32];
  const int digits = std::snprintf(number, sizeof number, "%5.5" PRId64, b.number);
  // The seven lines, piece by piece.
  // clang-format off
  const std::string_view pieces[] = {
      {number, static_cast<size_t>(digits)}, " ", r.entryId, ", ", b.nameKey,
          " (", b.nameKanji[0], " ", b.nameKanji[1], " ", b.nameKanji[2], ")\n",
      r.detail1, ", ", r.detail2, ", ", b.period, ", ", r.detail3, ", ", r.detail4, "\n",
      r.detail5, ", ", r.detail6, ", ", r.detail7, "\n",
      b.wordLine, "\n",
      b.kanjiLine, "\n",
      r.note, "\n\n",
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
