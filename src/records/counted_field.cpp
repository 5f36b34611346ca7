// Decoding of counted text fields.
#include "records/counted_field.h"

#include <cstring>

void decodeFieldInto(std::string& out, const unsigned char* bytes, size_t offset, size_t capacity) {
  out.assign(capacity, ' ');
  const signed char count = static_cast<signed char>(bytes[offset]);
  if (count <= 0) {
    return;
  }
  const size_t copied = static_cast<size_t>(count) < capacity ? count : capacity;
  const unsigned char* slot = bytes + offset + 1;
  const void* zero = std::memchr(slot, 0, copied);
  if (zero != nullptr) {
    out.assign(reinterpret_cast<const char*>(slot), static_cast<const unsigned char*>(zero) - slot);
    return;
  }
  out.replace(0, copied, reinterpret_cast<const char*>(slot), copied);
}

std::string decodeField(const unsigned char* bytes, size_t offset, size_t capacity) {
  std::string out;
  decodeFieldInto(out, bytes, offset, capacity);
  return out;
}
