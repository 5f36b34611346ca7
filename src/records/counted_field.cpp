// Decoding of counted text fields.
#include "records/counted_field.h"

#include <cstring>

namespace {

// Finishes a slot whose bytes have been laid out at `slot`: the bytes behind
// the copied ones become blanks. Returns the length of the decoded text.
size_t finishSlot(char* slot, unsigned char countByte, size_t capacity) {
  const signed char count = static_cast<signed char>(countByte);
  const size_t copied = count <= 0 ? 0 : (static_cast<size_t>(count) < capacity ? count : capacity);
  // A zero byte ends the text; short slots are searched inline.
  if (copied > 16) {
    if (const void* zero = std::memchr(slot, 0, copied)) {
      return static_cast<const char*>(zero) - slot;
    }
  } else {
    for (size_t i = 0; i < copied; ++i) {
      if (slot[i] == '\0') {
        return i;
      }
    }
  }
  std::memset(slot + copied, ' ', capacity - copied);
  return capacity;
}

}  // namespace

void decodeFieldInto(std::string& out, const unsigned char* bytes, size_t offset, size_t capacity) {
  out.assign(reinterpret_cast<const char*>(bytes + offset + 1), capacity);
  out.resize(finishSlot(&out[0], bytes[offset], capacity));
}

std::string decodeField(const unsigned char* bytes, size_t offset, size_t capacity) {
  std::string out;
  decodeFieldInto(out, bytes, offset, capacity);
  return out;
}

std::string_view decodeFieldInPlace(char* bytes, size_t offset, size_t capacity) {
  char* slot = bytes + offset + 1;
  return std::string_view(slot, finishSlot(slot, static_cast<unsigned char>(bytes[offset]), capacity));
}
