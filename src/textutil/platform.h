// The one place that knows the platform: thread waits and memory hints.
// Windows uses the kernel's Sleep and SleepEx; other systems an ordinary wait
// of the same length.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest wait one platform call is given, in milliseconds (below the
// Windows value that means "wait for ever").
const uint32_t kMaxPlatformWaitMs = 0x7FFFFFFF;

// Suspends the calling thread for `milliseconds`.
// Precondition: milliseconds <= kMaxPlatformWaitMs.
void platformWait(uint32_t milliseconds);

// Suspends the calling thread for `milliseconds` in an alertable wait and
// returns the wait's result: 0 when the time ran out (on Windows,
// WAIT_IO_COMPLETION when a queued callback ended it early; elsewhere always 0,
// the full time being waited even across signals).
// Precondition: milliseconds <= kMaxPlatformWaitMs.
int platformWaitAlertable(uint32_t milliseconds);

// Asks for the memory of [data, data + bytes), not yet written, to be backed
// by large pages where the system offers them (Linux), which makes the first
// touch of a large table and random reads from it cheaper. A hint only; it
// does nothing elsewhere.
void platformAdviseLargePages(const void* data, size_t bytes);
