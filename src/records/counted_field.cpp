// Decoding of counted text fields.
#include "records/counted_field.h"

void decodeFieldInto(std::string& out, const unsigned char* bytes, size_t offset, size_t capacity) {
  // The field with room to read ahead, decoded into a copy of its own.
  std::string from(reinterpret_cast<const char*>(bytes + offset), 1 + capacity);
  from.append(kSlotReadAhead, ' ');
  std::string to(1 + capacity, ' ');
  bool lineFeed = false;
  out.assign(decodeFieldTo(&to[0], from.data(), 0, capacity, lineFeed));
}

std::string decodeField(const unsigned char* bytes, size_t offset, size_t capacity) {
  std::string out;
  decodeFieldInto(out, bytes, offset, capacity);
  return out;
}
