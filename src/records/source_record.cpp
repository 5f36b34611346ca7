// Reading and decoding listing records.
#include "records/source_record.h"

#include "io/counted_field.h"
#include "io/input_file.h"

const StoredField kStoredFields[kStoredFieldCount] = {
    {"entryId", 4, 8, &SourceRecord::entryId},
    {"name1", 13, 7, &SourceRecord::name1},
    {"name2", 21, 7, &SourceRecord::name2},
    {"name3", 29, 7, &SourceRecord::name3},
    {"nameCode1", 37, 4, &SourceRecord::nameCode1},
    {"nameCode2", 42, 4, &SourceRecord::nameCode2},
    {"nameCode3", 47, 4, &SourceRecord::nameCode3},
    {"detail1", 52, 8, &SourceRecord::detail1},
    {"detail2", 61, 8, &SourceRecord::detail2},
    {"period", 70, 12, &SourceRecord::period},
    {"detail3", 83, 18, &SourceRecord::detail3},
    {"detail4", 102, 18, &SourceRecord::detail4},
    {"detail5", 121, 10, &SourceRecord::detail5},
    {"detail6", 132, 10, &SourceRecord::detail6},
    {"detail7", 143, 10, &SourceRecord::detail7},
    {"wordText", 154, 255, &SourceRecord::wordText},
    {"note", 410, 255, &SourceRecord::note},
};

void readSourceRecord(InputFile& in, RecordBytes& bytes) {
  readRecordBytes(in, bytes.data(), bytes.size());
}

void decodeSourceRecord(const RecordBytes& bytes, SourceRecord& record) {
  for (const StoredField& f : kStoredFields) {
    decodeField(bytes.data(), f.countOffset, f.capacity, record.*f.member);
  }
}
