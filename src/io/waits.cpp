// Thread waits on Windows and elsewhere: the one place that knows them.
#include "io/waits.h"

#include <cassert>

#ifdef _WIN32
#include "io/win32.h"

void platformWait(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  Sleep(static_cast<DWORD>(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  return static_cast<int>(SleepEx(static_cast<DWORD>(milliseconds), TRUE));
}

#else
#include <chrono>
#include <cstdint>
#include <thread>

// sleep_for resumes after a signal until the whole time has passed.
void platformWait(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  platformWait(milliseconds);
  return 0;
}

#endif
