// Reading and decoding listing records.
#include "records/source_record.h"

#include "io/counted_field.h"
#include "io/input_file.h"

namespace {

// Where one field lies in the record and where it goes.
struct FieldLayout {
  size_t countOffset;
  size_t capacity;
  std::string SourceRecord::*member;
};

// The seventeen fields in record order.
const FieldLayout kFields[] = {
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

}  // namespace

void readSourceRecord(InputFile& in, RecordBytes& bytes) {
  readRecordBytes(in, bytes.data(), bytes.size());
}

void decodeSourceRecord(const RecordBytes& bytes, SourceRecord& record) {
  for (const FieldLayout& f : kFields) {
    decodeField(bytes.data(), f.countOffset, f.capacity, record.*f.member);
  }
}
