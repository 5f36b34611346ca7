// What a text that a person typed, or an export carried, becomes in the data
// files: the CP932 bytes they store. The import and the page both store
// their texts through here, and so refuse the same texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cp932/cp932_encode.h"

// Sets `out` to the bytes the data files store for `value`: its CP932 form
// when `utf8`, else its bytes as they stand. False, with `error` saying why,
// when CP932 cannot hold it (then `out` holds no part of it).
bool storedBytes(std::string_view value, bool utf8, std::string& out, Cp932EncodeError& error);

// As storedBytes, with the reason as the import's problems give it: "bytes
// that are not UTF-8", or the character CP932 cannot hold by its code point,
// with what to write instead where there is a usual stand-in.
bool storedBytes(std::string_view value, bool utf8, std::string& out, std::string& reason);

// " (ADVICE)", what to write instead of the character `codePoint` that CP932
// cannot hold; "" for a character without a usual stand-in.
std::string adviceInBrackets(uint32_t codePoint);
