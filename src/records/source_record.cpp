// Reading and decoding listing records.
#include "records/source_record.h"

#include <cstring>

#include "records/counted_field.h"
#include "textutil/file_io.h"

namespace {

// Where one field lies in the record and where it goes.
struct FieldLayout {
  size_t countOffset;
  size_t capacity;
  std::string SourceRecord::*member;
};

// Indexed by RecordField.
const FieldLayout kFields[kRecordFieldCount] = {
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

// Fields up to this capacity are decoded in whole chunks; every one of them
// is followed by more of the record.
const size_t kShortField = 24;

}  // namespace

void readSourceRecord(InputFile& in, RecordBytes& bytes) {
  readRecordBytes(in, bytes.data(), bytes.size());
}

void decodeRecordView(const unsigned char* bytes, RecordView& view) {
  const char* from = reinterpret_cast<const char*>(bytes);
  view.lineFeeds = false;
  // In record order, as short fields may spill over into the next one.
  for (size_t i = 0; i < kRecordFieldCount; ++i) {
    const FieldLayout& f = kFields[i];
    if (f.capacity <= kShortField) {
      view.field[i] =
          decodeShortFieldTo(view.text.data(), from, f.countOffset, f.capacity, view.lineFeeds);
      view.filled[i] = f.capacity;
    } else {
      view.field[i] =
          decodeFieldTo(view.text.data(), from, f.countOffset, f.capacity, view.lineFeeds);
      view.filled[i] = copiedBytes(from[f.countOffset], f.capacity);
    }
  }
}

void decodeRecordView(const RecordBytes& bytes, RecordView& view) {
  std::array<unsigned char, kRecordSize + kSlotReadAhead> padded{};
  std::memcpy(padded.data(), bytes.data(), kRecordSize);
  decodeRecordView(padded.data(), view);
}

void decodeSourceRecordInto(const RecordBytes& bytes, SourceRecord& record) {
  RecordView view;
  decodeRecordView(bytes, view);
  for (size_t i = 0; i < kRecordFieldCount; ++i) {
    (record.*kFields[i].member).assign(view.field[i]);
  }
  record.nameKanji1 = record.nameCode1;
  record.nameKanji2 = record.nameCode2;
  record.nameKanji3 = record.nameCode3;
}

SourceRecord decodeSourceRecord(const RecordBytes& bytes) {
  SourceRecord record;
  decodeSourceRecordInto(bytes, record);
  return record;
}
