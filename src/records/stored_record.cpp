// Listing records field by field, as stored.
#include "records/stored_record.h"

#include <algorithm>
#include <cstring>

#include "io/counted_field.h"
#include "textutil/text_bytes.h"

namespace {

const size_t kLargestCount = 127;

// True when the listing's decoder reads `value` from the field as a record
// holding it by count: its bytes up to a zero byte, blank-padded to the
// capacity when no zero byte ends it.
bool decodesAs(const RecordBytes& bytes, const StoredField& field, std::string_view value,
               std::string& scratch) {
  decodeField(bytes.data(), field.countOffset, field.capacity, scratch);
  const size_t zero = value.find('\0');
  if (zero != std::string_view::npos) {
    return scratch == value.substr(0, zero);
  }
  return scratch.size() == field.capacity && scratch.compare(0, value.size(), value) == 0 &&
         scratch.find_first_not_of(' ', value.size()) == std::string::npos;
}

}  // namespace

size_t storableBytes(const StoredField& field) {
  return std::min(field.capacity, kLargestCount);
}

std::string_view coveredBytes(const RecordBytes& bytes, const StoredField& field) {
  const signed char count = static_cast<signed char>(bytes[field.countOffset]);
  const size_t covered = count <= 0 ? 0 : std::min(static_cast<size_t>(count), field.capacity);
  return std::string_view(reinterpret_cast<const char*>(bytes.data()) + field.countOffset + 1,
                          covered);
}

size_t firstOverfullField(const StoredRecord& record) {
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    if (record.fields[i].size() > storableBytes(kStoredFields[i])) {
      return i;
    }
  }
  return kStoredFieldCount;
}

bool writeStoredField(RecordBytes& bytes, size_t i, std::string_view value) {
  const StoredField& field = kStoredFields[i];
  if (value.size() > storableBytes(field)) {
    return false;
  }
  unsigned char* slot = bytes.data() + field.countOffset + 1;
  bytes[field.countOffset] = static_cast<unsigned char>(value.size());
  std::memcpy(slot, value.data(), value.size());
  std::memset(slot + value.size(), ' ', field.capacity - value.size());
  return true;
}

bool readsBackAs(const RecordBytes& bytes, const StoredRecord& record) {
  std::string scratch;
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    if (coveredBytes(bytes, kStoredFields[i]) != record.fields[i] ||
        !decodesAs(bytes, kStoredFields[i], record.fields[i], scratch)) {
      return false;
    }
  }
  return std::memcmp(bytes.data(), record.reserved.data(), kReservedBytes) == 0;
}

bool encodeStoredRecord(const StoredRecord& record, RecordBytes& bytes) {
  if (firstOverfullField(record) != kStoredFieldCount) {
    return false;
  }
  bytes.fill(' ');
  std::memcpy(bytes.data(), record.reserved.data(), kReservedBytes);
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    writeStoredField(bytes, i, record.fields[i]);
  }
  // Read back by the same code that reads list.rec, so that what is written
  // is what the listing and the next export see.
  return readsBackAs(bytes, record);
}

void readStoredRecord(const RecordBytes& bytes, StoredRecord& record) {
  std::memcpy(record.reserved.data(), bytes.data(), kReservedBytes);
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    record.fields[i].assign(coveredBytes(bytes, kStoredFields[i]));
  }
}

std::string reservedText(const StoredRecord& record) {
  std::string text;
  for (const unsigned char b : record.reserved) {
    appendHex(text, b, 2);
  }
  return text;
}

bool parseReservedText(std::string_view text, StoredRecord& record) {
  record.reserved.fill(0);
  if (text.empty()) {
    return true;
  }
  if (text.size() != 2 * kReservedBytes) {
    return false;
  }
  for (size_t i = 0; i < kReservedBytes; ++i) {
    const int high = hexDigitValue(text[2 * i]);
    const int low = hexDigitValue(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    record.reserved[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return true;
}
