// A listing record as it is stored, field by field: what the records export
// shows and what the import writes back into list.rec.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "records/source_record.h"

// The record's first four bytes, which no field covers.
constexpr size_t kReservedBytes = 4;

// The most bytes a count byte can cover: the capacity, but at most 127, the
// largest count a signed count byte holds.
size_t storableBytes(const StoredField& field);

// The bytes that the count byte of `field` covers in `bytes`: none for a
// count of 0 or a negative count, the whole slot for a count above the
// capacity. Every byte is kept, blanks and zero bytes included.
std::string_view coveredBytes(const RecordBytes& bytes, const StoredField& field);

// The stored content of one record: its reserved bytes and, for each field
// in record order, the bytes its count byte covers.
struct StoredRecord {
  std::array<unsigned char, kReservedBytes> reserved{};
  std::array<std::string, kStoredFieldCount> fields;
};

// The index of the first field that does not fit its slot
// (storableBytes), or kStoredFieldCount when every field fits.
size_t firstOverfullField(const StoredRecord& record);

// Writes `record` as 666 bytes: the reserved bytes, then for every field a
// count byte of its length and a slot of its bytes, blank-padded. Returns
// false, leaving `bytes` unspecified, when a field does not fit or when the
// record does not read back as `record` (by coveredBytes) and as the
// listing reads it (by the record decoder); neither can happen to a record
// whose fields fit, so false means a fault of this writer.
bool encodeStoredRecord(const StoredRecord& record, RecordBytes& bytes);

// Writes `value` into field `i` of `bytes`: a count byte of its length and
// the slot, blank-padded; the other bytes stay. False, leaving `bytes` as
// they were, when the value does not fit (storableBytes).
bool writeStoredField(RecordBytes& bytes, size_t i, std::string_view value);

// True when `bytes` read back as `record`: every field by coveredBytes and
// as the listing's decoder reads it, and the reserved bytes.
bool readsBackAs(const RecordBytes& bytes, const StoredRecord& record);

// The reserved bytes of `record` as eight upper-case hex digits, as the
// records export writes them.
std::string reservedText(const StoredRecord& record);

// Reads the reserved bytes of `record` from `text`: eight hex digits of
// either case, or "" for four zero bytes. False for any other text.
bool parseReservedText(std::string_view text, StoredRecord& record);

// The stored content of the 666 bytes of `bytes`.
void readStoredRecord(const RecordBytes& bytes, StoredRecord& record);
