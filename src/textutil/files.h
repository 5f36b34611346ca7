// Reading a whole text file with retries, and waits of the calling thread
// (files.cpp, in listconv_text).
#pragma once

#include <cstdint>
#include <string>

// The whole text file at `path` (Windows text conventions), or "" when it
// cannot be opened after three attempts 200 ms apart.
std::string readTextFile(const std::string& path);

// Suspends the calling thread for `seconds` seconds (none when negative);
// returns 0.
int sleepSeconds(int32_t seconds);

// Suspends the calling thread for `milliseconds` in an alertable wait (none
// when negative); returns the platform wait's result, 0 when the time ran out.
int sleepMilliseconds(int32_t milliseconds);
