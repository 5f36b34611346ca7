// Folder locks on Windows: LockFileEx on the first byte of a small hidden
// file "listconv.lock" in the folder, which stays there. A byte-range lock
// needs a file's handle: on a folder's own handle (opened with
// FILE_FLAG_BACKUP_SEMANTICS) Wine refuses LockFileEx with
// ERROR_INVALID_HANDLE, as Windows does for a folder. The lock goes with the
// handle, also when the program is ended.
#include <cerrno>

#include "io/folder_lock.h"
#include "io/platform.h"
#include "io/win32.h"

namespace {

// The file whose first byte is locked.
const char kLockName[] = "listconv.lock";

}  // namespace

int lockFolder(FolderLock& lock, const std::string& dir, bool exclusive, bool wait) {
  if (lock.handle < 0) {
    const std::string path = dir.empty() ? std::string(kLockName) : pathInFolder(dir, kLockName);
    const HANDLE h = CreateFileW(widened(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return errnoOf(GetLastError());
    }
    lock.handle = reinterpret_cast<long long>(h);
  }
  const HANDLE h = reinterpret_cast<HANDLE>(lock.handle);
  OVERLAPPED at = {};
  if (lock.exclusive != exclusive) {
    UnlockFileEx(h, 0, 1, 0, &at);  // Windows changes a lock's kind only by taking it anew
  }
  const DWORD flags =
      (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (!LockFileEx(h, flags, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? kFolderLockHeld
                                                                      : errnoOf(error);
  }
  lock.exclusive = exclusive;
  return 0;
}

bool locksUnsupported(int reason) {
  return reason == ENOLCK || reason == EOPNOTSUPP || reason == ENOSYS;
}

void unlockFolder(FolderLock& lock) {
  if (lock.handle >= 0) {
    CloseHandle(reinterpret_cast<HANDLE>(lock.handle));
    lock.handle = -1;
  }
}
