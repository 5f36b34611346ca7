// Fuzz target: decoding a listing record.
//
// The input is one record; bytes missing at its end read as 0xFF, as they do
// from a file that ends inside a record. Every field must equal its counted
// text worked out from the raw bytes, and decoding into a record that held
// other values must give the same as decoding into a new one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "check.h"
#include "record_layout.h"
#include "records/source_record.h"

namespace {

using fixtures::Field;

// The members of the record that hold the fields, in record order.
std::string SourceRecord::*const kMembers[] = {
    &SourceRecord::entryId,   &SourceRecord::name1,     &SourceRecord::name2,
    &SourceRecord::name3,     &SourceRecord::nameCode1, &SourceRecord::nameCode2,
    &SourceRecord::nameCode3, &SourceRecord::detail1,   &SourceRecord::detail2,
    &SourceRecord::period,    &SourceRecord::detail3,   &SourceRecord::detail4,
    &SourceRecord::detail5,   &SourceRecord::detail6,   &SourceRecord::detail7,
    &SourceRecord::wordText,  &SourceRecord::note};
static_assert(std::size(kMembers) == std::size(fixtures::kAllFields), "one member a field");
static_assert(fixtures::kRecordSize == kRecordSize, "the records' size");

// The counted text of a field, from the raw bytes.
std::string expectedField(const RecordBytes& bytes, const Field& f) {
  const int count = static_cast<signed char>(bytes[f.countOffset]);
  std::string value(f.capacity, ' ');
  if (count <= 0) {
    return value;
  }
  const size_t copied = std::min(static_cast<size_t>(count), f.capacity);
  for (size_t i = 0; i < copied; ++i) {
    const unsigned char c = bytes[f.countOffset + 1 + i];
    if (c == 0) {
      return value.substr(0, i);
    }
    value[i] = static_cast<char>(c);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RecordBytes bytes;
  bytes.fill(0xFF);
  std::memcpy(bytes.data(), data, std::min(size, bytes.size()));

  SourceRecord fresh;
  decodeSourceRecord(bytes, fresh);
  for (size_t i = 0; i < std::size(kMembers); ++i) {
    const Field& f = fixtures::kAllFields[i];
    const std::string& got = fresh.*kMembers[i];
    FUZZ_CHECK(got == expectedField(bytes, f));
    FUZZ_CHECK(got.size() <= f.capacity);
  }

  // The run decodes every record into the same working record.
  RecordBytes other;
  for (size_t i = 0; i < other.size(); ++i) {
    other[i] = static_cast<unsigned char>(bytes[other.size() - 1 - i] ^ 0x5A);
  }
  SourceRecord reused;
  decodeSourceRecord(other, reused);
  reused.note.resize(3);  // as the record path's trimming leaves it
  decodeSourceRecord(bytes, reused);
  for (std::string SourceRecord::*const member : kMembers) {
    FUZZ_CHECK(reused.*member == fresh.*member);
  }
  return 0;
}
