// Writing listing blocks.
#include "records/listing_writer.h"

#include <cstring>

#include "textutil/file_io.h"

namespace {

const char kUnlistedId[] = "        ";
const char kSeparatorLine[] = "----------\n";

// Writes a value as "%s" prints it: up to its first zero byte.
void put(std::string& line, const std::string& value) {
  const void* zero = std::memchr(value.data(), 0, value.size());
  const size_t n = zero == nullptr ? value.size() : static_cast<const char*>(zero) - value.data();
  line.append(value.data(), n);
}

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
  static thread_local std::string block;  // reused: no allocation per block
  block.clear();
  block += formatBlockNumber(recordCount);
  block += ' ';
  put(block, record.entryId);
  block += ", ";
  put(block, values.nameKey);
  block += " (";
  put(block, record.nameKanji1);
  block += ' ';
  put(block, record.nameKanji2);
  block += ' ';
  put(block, record.nameKanji3);
  block += ")\n";

  put(block, record.detail1);
  block += ", ";
  put(block, record.detail2);
  block += ", ";
  put(block, values.period);
  block += ", ";
  put(block, record.detail3);
  block += ", ";
  put(block, record.detail4);
  block += '\n';

  put(block, record.detail5);
  block += ", ";
  put(block, record.detail6);
  block += ", ";
  put(block, record.detail7);
  block += '\n';

  put(block, values.wordLine);
  block += '\n';
  put(block, values.kanjiLine);
  block += '\n';
  put(block, record.note);
  block += "\n\n";
  block += kSeparatorLine;
  writeText(out, block);
}
