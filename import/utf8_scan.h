// Where a text stops being UTF-8, for messages that point at the byte.
#pragma once

#include <cstddef>
#include <string_view>

// The offset of the first byte of `text` that does not begin or continue a
// well-formed UTF-8 sequence (no overlong form, no surrogate, nothing above
// U+10FFFF); text.size() when it is all UTF-8.
size_t firstNonUtf8(std::string_view text);
