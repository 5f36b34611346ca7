// Reading and decoding listing records.
#include "records/source_record.h"

#include "io/counted_field.h"
#include "io/input_file.h"

const StoredField kStoredFields[kStoredFieldCount] = {
    {"entryId", 4, 8},    {"name1", 13, 7},     {"name2", 21, 7},     {"name3", 29, 7},
    {"nameCode1", 37, 4}, {"nameCode2", 42, 4}, {"nameCode3", 47, 4}, {"detail1", 52, 8},
    {"detail2", 61, 8},   {"period", 70, 12},   {"detail3", 83, 18},  {"detail4", 102, 18},
    {"detail5", 121, 10}, {"detail6", 132, 10}, {"detail7", 143, 10}, {"wordText", 154, 255},
    {"note", 410, 255},
};

namespace {

// Where each stored field goes in the decoded record, in record order.
std::string SourceRecord::*const kMembers[kStoredFieldCount] = {
    &SourceRecord::entryId,   &SourceRecord::name1,     &SourceRecord::name2,
    &SourceRecord::name3,     &SourceRecord::nameCode1, &SourceRecord::nameCode2,
    &SourceRecord::nameCode3, &SourceRecord::detail1,   &SourceRecord::detail2,
    &SourceRecord::period,    &SourceRecord::detail3,   &SourceRecord::detail4,
    &SourceRecord::detail5,   &SourceRecord::detail6,   &SourceRecord::detail7,
    &SourceRecord::wordText,  &SourceRecord::note,
};

}  // namespace

void readSourceRecord(InputFile& in, RecordBytes& bytes) {
  readRecordBytes(in, bytes.data(), bytes.size());
}

void decodeSourceRecord(const RecordBytes& bytes, SourceRecord& record) {
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const StoredField& f = kStoredFields[i];
    decodeField(bytes.data(), f.countOffset, f.capacity, record.*kMembers[i]);
  }
}
