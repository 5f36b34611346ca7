// Thread waits on POSIX systems: an ordinary wait of the same length.
#include <cassert>
#include <chrono>
#include <thread>

#include "io/waits.h"

// sleep_for resumes after a signal until the whole time has passed.
void platformWait(uint32_t milliseconds) {
  assert(milliseconds <= kMaxPlatformWaitMs);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int platformWaitAlertable(uint32_t milliseconds) {
  platformWait(milliseconds);
  return 0;
}
