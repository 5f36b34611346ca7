// Decoding of counted text fields.
#include "io/counted_field.h"

#include <algorithm>
#include <cassert>
#include <cstring>

void decodeField(const unsigned char* bytes, size_t offset, size_t capacity, std::string& out) {
  assert(bytes != nullptr);
  const signed char count = static_cast<signed char>(bytes[offset]);
  const size_t copied = count <= 0 ? 0 : std::min(static_cast<size_t>(count), capacity);
  const char* slot = reinterpret_cast<const char*>(bytes + offset + 1);
  const void* zero = std::memchr(slot, '\0', copied);
  if (zero != nullptr) {
    out.assign(slot, static_cast<const char*>(zero) - slot);
    return;
  }
  // The text keeps its storage, and mostly its length, from the field before.
  out.resize(capacity);
  std::memcpy(&out[0], slot, copied);
  std::memset(&out[0] + copied, ' ', capacity - copied);
}
