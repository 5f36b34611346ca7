// The listing records of list.rec: 666 bytes each, seventeen counted fields.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "records/counted_field.h"
#include "textutil/textutil.h"

struct InputFile;

const size_t kRecordSize = 666;

// The raw bytes of one listing record.
using RecordBytes = std::array<unsigned char, kRecordSize>;

// The decoded fields of one listing record, blank-padded to their capacities
// unless a zero byte ended them, plus the kanji texts of the name codes.
struct SourceRecord {
  std::string entryId;     // 8; eight blanks means the record is not listed
  std::string name1;       // 7
  std::string name2;       // 7
  std::string name3;       // 7
  std::string nameCode1;   // 4
  std::string nameCode2;   // 4
  std::string nameCode3;   // 4
  std::string detail1;     // 8
  std::string detail2;     // 8
  std::string period;      // 12
  std::string detail3;     // 18
  std::string detail4;     // 18
  std::string detail5;     // 10
  std::string detail6;     // 10
  std::string detail7;     // 10
  std::string wordText;    // 255 (at most 127 meaningful)
  std::string note;        // 255 (at most 127 meaningful)
  std::string nameKanji1;  // starts as nameCode1, resolved to its kanji text
  std::string nameKanji2;
  std::string nameKanji3;
};

// The seventeen fields of a record, in record order.
enum RecordField : size_t {
  EntryId,
  Name1,
  Name2,
  Name3,
  NameCode1,
  NameCode2,
  NameCode3,
  Detail1,
  Detail2,
  Period,
  Detail3,
  Detail4,
  Detail5,
  Detail6,
  Detail7,
  WordText,
  Note,
  kRecordFieldCount
};

// A decoded record laid out as in the file: every slot of `text` holds its
// field's decoded bytes, and each field views its decoded text inside
// `text`. Cheaper than SourceRecord: nothing is allocated per field.
struct RecordView {
  // The record, then bytes that are never part of a field, so that every
  // field can be read ahead by kFieldReadAhead bytes.
  static const size_t kFieldReadAhead = 16;
  std::array<char, kRecordSize + kFieldReadAhead> text{};
  std::string_view field[kRecordFieldCount];
  // How many leading bytes of each field may differ from a blank: those its
  // count copied (the whole field for short fields); the rest is padding.
  size_t filled[kRecordFieldCount] = {};
  bool lineFeeds = false;  // some field holds a line feed
};

// A field of `view` without its trailing blanks, found from where its
// padding starts rather than from its end.
inline std::string_view trimmedField(const RecordView& view, RecordField field) {
  const std::string_view text = view.field[field];
  return withoutTrailingBlanks(text.substr(0, std::min(view.filled[field], text.size())));
}

// Reads the next record; bytes past the end of the file read as 0xFF and
// mark the end as met (in.atEnd).
void readSourceRecord(InputFile& in, RecordBytes& bytes);

// Decodes all fields into `view`.
void decodeRecordView(const RecordBytes& bytes, RecordView& view);

// The same from a record at `bytes`, past which kSlotReadAhead more bytes
// are readable.
void decodeRecordView(const unsigned char* bytes, RecordView& view);

// Decodes all fields into `record`, reusing its storage.
void decodeSourceRecordInto(const RecordBytes& bytes, SourceRecord& record);

// The decoded record as a new value.
SourceRecord decodeSourceRecord(const RecordBytes& bytes);
