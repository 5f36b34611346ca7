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
#include <string>

#include "check.h"
#include "records/source_record.h"

namespace {

// Where a field lies and which member of the record holds it.
struct Field {
  size_t countOffset;
  size_t capacity;
  const std::string SourceRecord::*member;
};

const Field kFields[] = {
    {4, 8, &SourceRecord::entryId},    {13, 7, &SourceRecord::name1},
    {21, 7, &SourceRecord::name2},     {29, 7, &SourceRecord::name3},
    {37, 4, &SourceRecord::nameCode1}, {42, 4, &SourceRecord::nameCode2},
    {47, 4, &SourceRecord::nameCode3}, {52, 8, &SourceRecord::detail1},
    {61, 8, &SourceRecord::detail2},   {70, 12, &SourceRecord::period},
    {83, 18, &SourceRecord::detail3},  {102, 18, &SourceRecord::detail4},
    {121, 10, &SourceRecord::detail5}, {132, 10, &SourceRecord::detail6},
    {143, 10, &SourceRecord::detail7}, {154, 255, &SourceRecord::wordText},
    {410, 255, &SourceRecord::note},
};

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
  for (const Field& f : kFields) {
    const std::string& got = fresh.*f.member;
    FUZZ_CHECK(got == expectedField(bytes, f));
    FUZZ_CHECK(got.size() <= f.capacity);
  }
  FUZZ_CHECK(fresh.nameKanji1 == fresh.nameCode1);
  FUZZ_CHECK(fresh.nameKanji2 == fresh.nameCode2);
  FUZZ_CHECK(fresh.nameKanji3 == fresh.nameCode3);

  // The run decodes every record into the same working record.
  RecordBytes other;
  for (size_t i = 0; i < other.size(); ++i) {
    other[i] = static_cast<unsigned char>(bytes[other.size() - 1 - i] ^ 0x5A);
  }
  SourceRecord reused;
  decodeSourceRecord(other, reused);
  reused.nameKanji1 = "resolved";
  decodeSourceRecord(bytes, reused);
  for (const Field& f : kFields) {
    FUZZ_CHECK(reused.*f.member == fresh.*f.member);
  }
  FUZZ_CHECK(reused.nameKanji1 == fresh.nameKanji1);
  return 0;
}
