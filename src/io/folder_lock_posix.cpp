// Folder locks on POSIX systems: flock() on a descriptor of the folder
// itself, so no file is needed in it; the lock goes with the descriptor,
// even when the program is killed.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "io/folder_lock.h"

namespace {

// The lowest descriptor the lock takes where it can.
const int kLockDescriptorFloor = 64;

}  // namespace

int lockFolder(FolderLock& lock, const std::string& dir, bool exclusive, bool wait) {
  if (lock.handle < 0) {
    int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      return errno;
    }
    // Out of the way of the low numbers, which the data files then take as
    // they did without a lock (/dev/fd/3 names list.rec, as users know it).
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, kLockDescriptorFloor);
    if (high >= 0) {
      close(fd);
      fd = high;
    }
    lock.handle = fd;
  }
  const int fd = static_cast<int>(lock.handle);
  const int operation = (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
  while (flock(fd, operation) != 0) {
    const int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (error == EWOULDBLOCK) {
      return kFolderLockHeld;
    }
    return error;
  }
  lock.exclusive = exclusive;
  return 0;
}

bool locksUnsupported(int reason) {
  return reason == ENOLCK || reason == EOPNOTSUPP || reason == ENOSYS;
}

void unlockFolder(FolderLock& lock) {
  if (lock.handle >= 0) {
    close(static_cast<int>(lock.handle));  // closing lets the lock go
    lock.handle = -1;
  }
}
