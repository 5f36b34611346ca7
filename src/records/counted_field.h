// Counted text fields of the binary data files: a count byte, read as a
// signed 8-bit number, followed by a slot of fixed size (the capacity).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "textutil/byte_chunks.h"

// Decodes the field whose count byte is at `offset` of `bytes` into `out`:
// `capacity` bytes, blanks over whose start the first min(count, capacity)
// slot bytes are copied when the count is above 0; a copied zero byte ends
// the text there. Precondition: offset + 1 + capacity bytes are readable.
void decodeFieldInto(std::string& out, const unsigned char* bytes, size_t offset, size_t capacity);

// The decoded field as a new text.
std::string decodeField(const unsigned char* bytes, size_t offset, size_t capacity);

// How many slot bytes a count byte copies: min(count, capacity), none when
// the count, read as signed, is not above 0.
inline size_t copiedBytes(char countByte, size_t capacity) {
  const signed char count = static_cast<signed char>(countByte);
  return count <= 0 ? 0 : (static_cast<size_t>(count) < capacity ? count : capacity);
}

// How many bytes past the end of a slot the decoders may read.
const size_t kSlotReadAhead = 8;

// Decodes the field whose count byte is at `offset` of `bytes` into the same
// place of `out`: the slot bytes are copied, those behind the copied ones
// become blanks, and the result views the decoded text inside `out`.
// `lineFeed` is set when the text holds a line feed, else left as it is.
// Precondition: offset + 1 + capacity + kSlotReadAhead bytes are readable
// at `bytes` (those past the slot are only looked at, never used), and
// offset + 1 + capacity bytes are writable at `out`.
inline std::string_view decodeFieldTo(char* out, const char* bytes, size_t offset, size_t capacity,
                                      bool& lineFeed) {
  const size_t copied = copiedBytes(bytes[offset], capacity);
  const char* from = bytes + offset + 1;
  char* to = out + offset + 1;
  std::memcpy(to, from, capacity);
  // A copied zero byte ends the text.
  const void* zero = std::memchr(from, 0, copied);
  const size_t length = zero == nullptr ? copied : static_cast<const char*>(zero) - from;
  lineFeed = lineFeed || std::memchr(from, '\n', length) != nullptr;
  if (zero != nullptr) {
    return std::string_view(to, length);
  }
  std::memset(to + copied, ' ', capacity - copied);
  return std::string_view(to, capacity);
}

// decodeFieldTo for a short field, done in whole chunks of eight bytes: it
// may also overwrite up to 7 bytes of `out` past the slot (its last chunk),
// which suits fields decoded in the order they lie in.
inline std::string_view decodeShortFieldTo(char* out, const char* bytes, size_t offset,
                                           size_t capacity, bool& lineFeed) {
  const size_t copied = copiedBytes(bytes[offset], capacity);
  const char* from = bytes + offset + 1;
  char* to = out + offset + 1;
  for (size_t i = 0; i < capacity; i += 8) {
    const uint64_t chunk = loadChunk(from + i);
    const unsigned inCopy = copied <= i      ? 0
                            : copied - i < 8 ? static_cast<unsigned>(copied - i)
                                             : 8;
    const uint64_t zeros = marksBelow(bytesEqualTo(chunk, 0), inCopy);
    if (zeros != 0) {
      const unsigned k = firstMarkedByte(zeros);
      lineFeed = lineFeed || marksBelow(bytesEqualTo(chunk, '\n'), k) != 0;
      storeChunk(to + i, chunk);
      return std::string_view(to, i + k);
    }
    lineFeed = lineFeed || marksBelow(bytesEqualTo(chunk, '\n'), inCopy) != 0;
    const uint64_t kept = marksBelow(~0ull, inCopy);  // the copied bytes
    storeChunk(to + i, (chunk & kept) | (kEveryByte * ' ' & ~kept));
  }
  return std::string_view(to, capacity);
}
