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

// Readies [data, data + bytes), memory about to be filled with a large
// table: where the system offers it (Linux), the memory is asked to be
// backed by large pages and is mapped in one call rather than by a page
// fault per page, which makes filling the table and reading it at random
// cheaper. A hint only; elsewhere it does nothing.
void platformPrepareTableMemory(const void* data, size_t bytes);

// Readies the heap for about `bytes` of small allocations made next, such as
// the many small lists of a large table: where the allocator allows it
// (glibc on Linux), that much heap is readied as platformPrepareTableMemory
// readies a table, in whole large pages, and the heap no longer gives freed
// memory back to the system. Less than a large page (2 MiB) is not worth it
// and nothing is done. A hint only; elsewhere it does nothing.
void platformPrepareHeap(size_t bytes);

// The largest single request that the heap readied by platformPrepareHeap
// serves; larger ones are mapped on their own.
const size_t kLargestPreparedHeapRequest = size_t(16) << 20;
