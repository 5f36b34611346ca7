// Thread waits on Windows: the kernel's Sleep and SleepEx.
#include <cassert>

#include "io/waits.h"
#include "io/win32.h"

void platformWait(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  Sleep(static_cast<DWORD>(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  return static_cast<int>(SleepEx(static_cast<DWORD>(milliseconds), TRUE));
}
