// Reading UTF-8: one sequence at a time, and checks of whole texts. The
// import's readers, the CP932 encoder and the messages that show a user's
// text all decide what is UTF-8 here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads the UTF-8 sequence at `s` (`left` bytes, at least one): returns its
// length and sets `cp`, or, when the bytes are not UTF-8 (a stray or missing
// continuation byte, an overlong form, a surrogate, past U+10FFFF), sets
// `malformed` and returns how many bytes belong to the bad part (the lead
// byte and the continuation bytes that still fitted it).
size_t readUtf8(const unsigned char* s, size_t left, uint32_t& cp, bool& malformed);

// The offset of the first byte of `text` that does not begin or continue a
// well-formed UTF-8 sequence (no overlong form, no surrogate, nothing above
// U+10FFFF); text.size() when it is all UTF-8.
size_t firstNonUtf8(std::string_view text);

// True when `text` is well-formed UTF-8: no stray or missing continuation
// byte, no overlong form, no surrogate, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);
