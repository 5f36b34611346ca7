// Counted text fields of the binary data files (kanjis.dat and list.rec): a
// count byte, read as a signed 8-bit number, followed by a slot of fixed size
// (the capacity).
#pragma once

#include <cstddef>
#include <string>

// Decodes the field whose count byte is at `offset` of `bytes` into `out`:
// `capacity` blanks over whose start the first min(count, capacity) slot
// bytes are copied when the count is above 0; a copied zero byte ends the
// text there. Precondition: offset + 1 + capacity bytes are readable.
void decodeField(const unsigned char* bytes, size_t offset, size_t capacity, std::string& out);
