// The listing records of list.rec: 666 bytes each, seventeen counted fields.
#pragma once

#include <array>
#include <cstddef>
#include <string>

struct InputFile;

const size_t kRecordSize = 666;

// The raw bytes of one listing record.
using RecordBytes = std::array<unsigned char, kRecordSize>;

// The decoded fields of one listing record, blank-padded to their capacities
// unless a zero byte ended them. They stay as decoded, but for the note,
// whose trailing blanks the record path removes once the record is listed.
struct SourceRecord {
  std::string entryId;    // 8; eight blanks means the record is not listed
  std::string name1;      // 7
  std::string name2;      // 7
  std::string name3;      // 7
  std::string nameCode1;  // 4
  std::string nameCode2;  // 4
  std::string nameCode3;  // 4
  std::string detail1;    // 8
  std::string detail2;    // 8
  std::string period;     // 12
  std::string detail3;    // 18
  std::string detail4;    // 18
  std::string detail5;    // 10
  std::string detail6;    // 10
  std::string detail7;    // 10
  std::string wordText;   // 255 (at most 127 meaningful)
  std::string note;       // 255 (at most 127 meaningful)
};

// One stored field of a listing record: its name in exports and imports,
// where its count byte lies, the size of the slot that follows it, and the
// member it is decoded into.
struct StoredField {
  const char* name;
  size_t countOffset;
  size_t capacity;
  std::string SourceRecord::*member;
};

// The seventeen stored fields, in record order.
constexpr size_t kStoredFieldCount = 17;
extern const StoredField kStoredFields[kStoredFieldCount];

// Reads the next record; bytes past the end of the file read as 0xFF and
// mark the end as met (in.atEnd).
void readSourceRecord(InputFile& in, RecordBytes& bytes);

// Decodes the seventeen fields into `record`, reusing its storage.
void decodeSourceRecord(const RecordBytes& bytes, SourceRecord& record);
