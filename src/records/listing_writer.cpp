// Writing listing blocks.
#include "records/listing_writer.h"

#include <cstring>

#include "textutil/file_io.h"

namespace {

const char kUnlistedId[] = "        ";
const char kSeparatorLine[] = "----------\n";

// Lays a block out in a buffer sized beforehand, so that no piece needs a
// capacity check of its own.
struct BlockBuilder {
  char* at;

  void literal(const char* text, size_t n) {
    std::memcpy(at, text, n);
    at += n;
  }
  // A value as "%s" prints it: up to its first zero byte.
  void value(const std::string& v) {
    const void* zero = std::memchr(v.data(), 0, v.size());
    const size_t n = zero == nullptr ? v.size() : static_cast<const char*>(zero) - v.data();
    literal(v.data(), n);
  }
};

}  // namespace

bool isListed(const SourceRecord& record) {
  return record.entryId != kUnlistedId;
}

std::string formatBlockNumber(int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  if (digits.size() < 5) {
    digits.insert(0, 5 - digits.size(), '0');
  }
  return number < 0 ? "-" + digits : digits;
}

void writeListingBlock(OutputFile& out, const SourceRecord& record, const BlockValues& values,
                       int64_t& recordCount) {
  if (!isListed(record)) {
    return;
  }
  ++recordCount;
  const std::string number = formatBlockNumber(recordCount);
  const std::string* values_[] = {&number,
                                  &record.entryId,
                                  &values.nameKey,
                                  &record.nameKanji1,
                                  &record.nameKanji2,
                                  &record.nameKanji3,
                                  &record.detail1,
                                  &record.detail2,
                                  &values.period,
                                  &record.detail3,
                                  &record.detail4,
                                  &record.detail5,
                                  &record.detail6,
                                  &record.detail7,
                                  &values.wordLine,
                                  &values.kanjiLine,
                                  &record.note};
  size_t bound = 64;  // the literal parts of the seven lines
  for (const std::string* v : values_) {
    bound += v->size();
  }
  static thread_local std::string block;  // reused: no allocation per block
  block.resize(bound);
  BlockBuilder b{&block[0]};
  b.value(number);
  b.literal(" ", 1);
  b.value(record.entryId);
  b.literal(", ", 2);
  b.value(values.nameKey);
  b.literal(" (", 2);
  b.value(record.nameKanji1);
  b.literal(" ", 1);
  b.value(record.nameKanji2);
  b.literal(" ", 1);
  b.value(record.nameKanji3);
  b.literal(")\n", 2);

  b.value(record.detail1);
  b.literal(", ", 2);
  b.value(record.detail2);
  b.literal(", ", 2);
  b.value(values.period);
  b.literal(", ", 2);
  b.value(record.detail3);
  b.literal(", ", 2);
  b.value(record.detail4);
  b.literal("\n", 1);

  b.value(record.detail5);
  b.literal(", ", 2);
  b.value(record.detail6);
  b.literal(", ", 2);
  b.value(record.detail7);
  b.literal("\n", 1);

  b.value(values.wordLine);
  b.literal("\n", 1);
  b.value(values.kanjiLine);
  b.literal("\n", 1);
  b.value(record.note);
  b.literal("\n\n", 2);
  b.literal(kSeparatorLine, sizeof kSeparatorLine - 1);
  writeBytes(out, block.data(), b.at - block.data());
}
