#include "records/stored_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "io/counted_field.h"

namespace {

const StoredField& fieldNamed(const char* name) {
  for (const StoredField& f : kStoredFields) {
    if (std::strcmp(f.name, name) == 0) {
      return f;
    }
  }
  ADD_FAILURE() << "no field " << name;
  return kStoredFields[0];
}

// A record of 0xFF bytes with one field's count byte and slot set.
RecordBytes recordWith(const StoredField& field, unsigned char count, const std::string& slot) {
  RecordBytes bytes;
  bytes.fill(0xFF);
  bytes[field.countOffset] = count;
  std::memcpy(bytes.data() + field.countOffset + 1, slot.data(), slot.size());
  return bytes;
}

}  // namespace

TEST(StoredRecord, TheFieldsTileTheRecordAfterItsReservedBytes) {
  size_t next = kReservedBytes;
  for (const StoredField& f : kStoredFields) {
    EXPECT_EQ(f.countOffset, next) << f.name;
    next = f.countOffset + 1 + f.capacity;
  }
  EXPECT_EQ(next, kRecordSize);
}

TEST(StoredRecord, CoveredBytesAreWhatTheCountByteCovers) {
  struct Case {
    const char* field;
    unsigned char count;
    std::string slot;
    std::string covered;
  };
  const Case cases[] = {
      {"entryId", 3, "ABCDEFGH", "ABC"},
      {"entryId", 0, "ABCDEFGH", ""},
      {"note", 0x90, std::string(200, 'n'), ""},
      {"name1", 20, "1234567", "1234567"},  // cut to the slot
      {"detail1", 8, std::string("AB\0D  \0 ", 8), std::string("AB\0D  \0 ", 8)},  // zeros kept
      {"wordText", 127, std::string(130, 'w'), std::string(127, 'w')},
      {"period", 5, "ab   ", "ab   "},  // trailing blanks kept
  };
  for (const Case& c : cases) {
    const StoredField& f = fieldNamed(c.field);
    EXPECT_EQ(coveredBytes(recordWith(f, c.count, c.slot), f), c.covered) << c.field;
  }
}

TEST(StoredRecord, AnEncodedRecordReadsBackAsStoredAndAsTheListingDecodesIt) {
  StoredRecord record;
  record.reserved = {0x01, 0x00, 0xFF, 0x7F};
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    record.fields[i] =
        std::string(storableBytes(kStoredFields[i]) - i % 3, static_cast<char>('a' + i));
  }
  record.fields[0] = "";                      // an empty field
  record.fields[7] = std::string("x\0y", 3);  // a zero byte ends the listing's text
  record.fields[10] = std::string(5, ' ');    // blanks only
  RecordBytes bytes;
  ASSERT_TRUE(encodeStoredRecord(record, bytes));
  StoredRecord back;
  readStoredRecord(bytes, back);
  EXPECT_EQ(back.reserved, record.reserved);
  EXPECT_EQ(back.fields, record.fields);
  std::string decoded;
  decodeField(bytes.data(), kStoredFields[7].countOffset, kStoredFields[7].capacity, decoded);
  EXPECT_EQ(decoded, "x");
  decodeField(bytes.data(), kStoredFields[1].countOffset, kStoredFields[1].capacity, decoded);
  EXPECT_EQ(decoded, record.fields[1] + std::string(7 - record.fields[1].size(), ' '));
}

TEST(StoredRecord, AFieldBeyondWhatItsCountByteCanCoverIsRefused) {
  StoredRecord record;
  record.fields[15] = std::string(128, 'w');  // wordText: a count byte holds at most 127
  EXPECT_EQ(firstOverfullField(record), 15u);
  RecordBytes bytes;
  EXPECT_FALSE(encodeStoredRecord(record, bytes));
  record.fields[15].pop_back();
  record.fields[3] = "12345678";  // name3 holds 7
  EXPECT_EQ(firstOverfullField(record), 3u);
  record.fields[3].pop_back();
  EXPECT_EQ(firstOverfullField(record), kStoredFieldCount);
  EXPECT_TRUE(encodeStoredRecord(record, bytes));
}

TEST(StoredRecord, AFieldWrittenAloneLeavesEveryOtherByte) {
  RecordBytes bytes;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 13 % 256);
  }
  const RecordBytes before = bytes;
  const StoredField& note = fieldNamed("note");
  const size_t i = static_cast<size_t>(&note - kStoredFields);
  ASSERT_TRUE(writeStoredField(bytes, i, "new"));
  for (size_t at = 0; at < bytes.size(); ++at) {
    if (at < note.countOffset || at > note.countOffset + note.capacity) {
      ASSERT_EQ(bytes[at], before[at]) << at;
    }
  }
  EXPECT_EQ(bytes[note.countOffset], 3);
  EXPECT_EQ(coveredBytes(bytes, note), "new");
  const std::string slot(reinterpret_cast<const char*>(bytes.data()) + note.countOffset + 1,
                         note.capacity);
  EXPECT_EQ(slot, "new" + std::string(note.capacity - 3, ' '));
  // Too long for the count byte: refused, nothing changed.
  const RecordBytes written = bytes;
  EXPECT_FALSE(writeStoredField(bytes, i, std::string(128, 'x')));
  EXPECT_EQ(bytes, written);
}

TEST(StoredRecord, AnyRecordReadsBackAsItsStoredContent) {
  // Odd counts (above the capacity, negative, zero bytes) read back as read.
  RecordBytes bytes;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 31 % 256);
  }
  StoredRecord record;
  readStoredRecord(bytes, record);
  EXPECT_TRUE(readsBackAs(bytes, record));
  record.fields[3] += "x";
  EXPECT_FALSE(readsBackAs(bytes, record));
  readStoredRecord(bytes, record);
  record.reserved[2] ^= 1;
  EXPECT_FALSE(readsBackAs(bytes, record));
}

TEST(StoredRecord, ReservedBytesAreWrittenAsEightHexDigitsAndReadBackInEitherCase) {
  StoredRecord record;
  record.reserved = {0x00, 0x9F, 0xA0, 0xFF};
  EXPECT_EQ(reservedText(record), "009FA0FF");
  struct TextCase {
    const char* text;
    bool taken;
    std::array<unsigned char, kReservedBytes> reserved;
  };
  const TextCase cases[] = {
      {"009FA0FF", true, {0x00, 0x9F, 0xA0, 0xFF}},
      {"009fa0fF", true, {0x00, 0x9F, 0xA0, 0xFF}},
      {"", true, {0, 0, 0, 0}},
      {"009FA0F", false, {0, 0, 0, 0}},    // seven digits
      {"009FA0FF0", false, {0, 0, 0, 0}},  // nine
      {"009FA0FG", false, {0, 0, 0, 0}},   // a letter beyond F
      {"0x9FA0FF", false, {0, 0, 0, 0}},   // a prefix
      {"009FA0F ", false, {0, 0, 0, 0}},   // a blank
      {"009F:0FF", false, {0, 0, 0, 0}},   // the byte after 9
      {"009F@0FF", false, {0, 0, 0, 0}},   // the byte before A
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.text);
    StoredRecord read;
    EXPECT_EQ(parseReservedText(c.text, read), c.taken);
    if (c.taken) {
      EXPECT_EQ(read.reserved, c.reserved);
    }
  }
}
