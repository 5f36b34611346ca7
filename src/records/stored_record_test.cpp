#include "records/stored_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

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

// The cells of a Markdown table row, blanks around them removed.
std::vector<std::string> tableCells(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = line.find('|') + 1;
  for (size_t bar = line.find('|', start); bar != std::string::npos;
       start = bar + 1, bar = line.find('|', start)) {
    const size_t first = line.find_first_not_of(' ', start);
    const size_t last = line.find_last_not_of(' ', bar - 1);
    cells.push_back(first < bar ? line.substr(first, last - first + 1) : "");
  }
  return cells;
}

// The rows of the README's table of a record's fields (the one headed
// "| field | bytes |"), each as its cells; empty when there is none.
std::vector<std::vector<std::string>> readmeFieldRows(std::ifstream& readme) {
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(readme, line) && line.rfind("| field | bytes |", 0) != 0) {
  }
  std::getline(readme, line);  // the row under the header
  while (std::getline(readme, line) && line.rfind("|", 0) == 0) {
    rows.push_back(tableCells(line));
  }
  return rows;
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

// The README tells the people who keep the data what each field holds and how
// many bytes fit; the import refuses a value by the same figures.
TEST(StoredRecord, TheReadmeTableOfFieldsIsTheFieldTable) {
  const std::string path = LISTCONV_README;
  if (path.empty()) {
    GTEST_SKIP() << "no README at hand in a cross build";
  }
  std::ifstream readme(path);
  ASSERT_TRUE(readme) << path;
  const std::vector<std::vector<std::string>> rows = readmeFieldRows(readme);
  ASSERT_EQ(rows.size(), kStoredFieldCount) << "rows of the README's field table";
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const StoredField& f = kStoredFields[i];
    ASSERT_GE(rows[i].size(), 3u) << "row " << i + 1;
    EXPECT_EQ(rows[i][0], "`" + std::string(f.name) + "`") << "row " << i + 1;
    EXPECT_EQ(rows[i][1], std::to_string(storableBytes(f))) << f.name;
    EXPECT_FALSE(rows[i][2].empty()) << f.name << " is not described";
  }
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
