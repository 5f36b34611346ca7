// Thread waits of the platform, for the text library's waits.
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
