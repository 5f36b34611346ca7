// Reading a whole text file with retries, and the waits it uses.
#include "textutil/files.h"

#include <algorithm>

#include "io/input_file.h"
#include "io/waits.h"

namespace {

const int kOpenAttempts = 3;
const int32_t kRetryWaitMs = 200;
const size_t kMaxPieceChars = 2046;

// Waits `milliseconds` (any non-negative amount) in calls the platform accepts.
void waitLong(int64_t milliseconds) {
  while (milliseconds > 0) {
    const int64_t step = std::min<int64_t>(milliseconds, kMaxPlatformWaitMs);
    platformWait(static_cast<uint32_t>(step));
    milliseconds -= step;
  }
}

// Opens `path` as a text file; a path holding a zero byte names no file.
bool openTextFile(InputFile& in, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    return false;
  }
  return openInput(in, path.c_str(), /*text=*/true);
}

}  // namespace

std::string readTextFile(const std::string& path) {
  std::string result;
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    InputFile in;
    if (!openTextFile(in, path)) {
      sleepMilliseconds(kRetryWaitMs);
      continue;
    }
    // A longer line arrives in several pieces; each is appended whole. A read
    // error ends the data like the end of the file.
    std::string piece;
    while (readLinePiece(in, piece, kMaxPieceChars)) {
      result += piece;
    }
    closeInput(in);
    return result;
  }
  return result;
}

// A negative time waits not at all.
int sleepSeconds(int32_t seconds) {
  waitLong(static_cast<int64_t>(std::max<int32_t>(seconds, 0)) * 1000);
  return 0;
}

// A negative time waits not at all and gives 0.
int sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) {
    return platformWaitAlertable(0);
  }
  return platformWaitAlertable(static_cast<uint32_t>(milliseconds));
}
