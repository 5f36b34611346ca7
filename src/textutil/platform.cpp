// Thread waits on Windows and elsewhere.
#include "textutil/platform.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

void platformWait(uint32_t milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  return static_cast<int>(SleepEx(static_cast<DWORD>(milliseconds), TRUE));
}

void platformPrepareTableMemory(const void*, size_t) {}

void platformPrepareHeap(size_t) {}

#else
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>

#include <cstdlib>
#include <vector>
#endif

// sleep_for resumes after a signal until the whole time has passed.
void platformWait(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  platformWait(milliseconds);
  return 0;
}

#if defined(__linux__) && defined(MADV_HUGEPAGE)
const size_t kLargePageBytes = size_t(2) << 20;

// Gives `advice` for the whole pages of `pageSize` bytes that lie inside
// [data, data + bytes).
void adviseWholePages(const void* data, size_t bytes, uintptr_t pageSize, int advice) {
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + pageSize - 1) & ~(pageSize - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(pageSize - 1);
  if (end > begin) {
    madvise(reinterpret_cast<void*>(begin), end - begin, advice);
  }
}
#endif

void platformPrepareTableMemory(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  adviseWholePages(data, bytes, kLargePageBytes, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  // All pages at once: one call instead of a fault per page.
  adviseWholePages(data, bytes, 4096, MADV_POPULATE_WRITE);
#endif
#else
  (void)data;
  (void)bytes;
#endif
}

void platformPrepareHeap(size_t bytes) {
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  // Pieces below glibc's largest threshold for mapping requests on their own.
  const size_t kPiece = kLargestPreparedHeapRequest;
  // Readying costs more than the page faults it saves for less than a large
  // page (and for the many small tables of tests and fuzzing).
  if (bytes < kLargePageBytes) {
    return;
  }
  // Requests up to a piece are served from the heap, and freed memory stays
  // there rather than going back to the system.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kPiece + 4096));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(INT32_MAX));
  // Whole large pages, and one more: the heap's top rarely starts on a
  // large-page boundary.
  bytes = (bytes + 2 * kLargePageBytes - 1) & ~(kLargePageBytes - 1);
  struct Piece {
    char* start;
    size_t size;
  };
  std::vector<Piece> pieces;
  size_t taken = 0;
  while (taken < bytes) {
    const size_t size = std::min(kPiece, bytes - taken);
    char* const start = static_cast<char*>(std::malloc(size));
    if (start == nullptr) {
      break;
    }
    pieces.push_back({start, size});
    taken += size;
  }
  if (pieces.empty()) {
    return;
  }
  // The pieces normally lie one after the other at the heap's top: then
  // they are readied as one range, so that the large pages across their
  // boundaries are had too. Pieces found elsewhere are readied one by one.
  char* low = pieces.front().start;
  char* high = low;
  for (const Piece& piece : pieces) {
    low = std::min(low, piece.start);
    high = std::max(high, piece.start + piece.size);
  }
  const size_t kPieceHeader = 64;
  if (static_cast<size_t>(high - low) <= taken + pieces.size() * kPieceHeader) {
    platformPrepareTableMemory(low, static_cast<size_t>(high - low));
  } else {
    for (const Piece& piece : pieces) {
      platformPrepareTableMemory(piece.start, piece.size);
    }
  }
  // Freed together, the pieces become one free area at the heap's top, from
  // which the allocations that follow are carved.
  for (const Piece& piece : pieces) {
    std::free(piece.start);
  }
#else
  (void)bytes;
#endif
}

#endif
