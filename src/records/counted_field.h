// Counted text fields of the binary data files: a count byte, read as a
// signed 8-bit number, followed by a slot of fixed size (the capacity).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Decodes the field whose count byte is at `offset` of `bytes` into `out`:
// `capacity` bytes, blanks over whose start the first min(count, capacity)
// slot bytes are copied when the count is above 0; a copied zero byte ends
// the text there. Precondition: offset + 1 + capacity bytes are readable.
void decodeFieldInto(std::string& out, const unsigned char* bytes, size_t offset, size_t capacity);

// The decoded field as a new text.
std::string decodeField(const unsigned char* bytes, size_t offset, size_t capacity);

// Decodes the field where it stands: the slot bytes behind the copied ones
// become blanks, and the result views the decoded text inside `bytes`.
// Same precondition.
std::string_view decodeFieldInPlace(char* bytes, size_t offset, size_t capacity);
