// The export's replacement files on POSIX systems: created with O_EXCL,
// renamed into place, and removed by the handlers of the end signals.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/fault_injection.h"
#include "io/in_place_output.h"
#include "io/platform.h"
#include "io/replacement_file.h"

namespace {

// The replacement that the signal handlers remove ("" when none), kept where
// a handler may read it.
char gTempToRemove[PATH_MAX + 1];

// The signals that end the program and should not leave a replacement behind.
const int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The most links followed from an output's name.
const int kMaxLinks = 40;

// Removes the replacement, then ends the program by the same signal as it
// would have ended without this handler.
void removeTempAndEnd(int signal) {
  if (gTempToRemove[0] != '\0') {
    unlink(gTempToRemove);
  }
  std::signal(signal, SIG_DFL);
  raise(signal);
}

// Installs removeTempAndEnd for every end signal the program was not told
// to ignore (nohup ignores SIGHUP); once.
void watchEndSignals() {
  static bool watching = false;
  if (watching) {
    return;
  }
  watching = true;
  for (const int signal : kEndSignals) {
    struct sigaction old;
    if (sigaction(signal, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO) == 0 &&
        old.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction act;
    std::memset(&act, 0, sizeof act);
    act.sa_handler = removeTempAndEnd;
    sigemptyset(&act.sa_mask);
    sigaction(signal, &act, nullptr);
  }
}

// Holds the end signals back while the replacement's name changes, so that
// a handler sees either no name or a whole one of a file that is there.
void holdEndSignals(sigset_t& saved) {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : kEndSignals) {
    sigaddset(&held, signal);
  }
  sigprocmask(SIG_BLOCK, &held, &saved);
}

// Lets the end signals held by holdEndSignals through again.
void releaseEndSignals(const sigset_t& saved) {
  sigprocmask(SIG_SETMASK, &saved, nullptr);
}

// Opens the file at `path` in place, as it is: appended to when it is a
// regular file that the program already has open (through /proc).
FileError openInPlace(OutputFile& out, const std::string& path, bool append) {
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0));
  if (fd < 0) {
    return FileError{"write", out.path, errno};
  }
  struct stat st;
  if (fstat(fd, &st) == 0) {
    out.over = FileId{true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  }
  errno = 0;
  if (!attachStream(out, fdopen(fd, "wb"))) {
    close(fd);
    return FileError{"write", out.path, out.error};
  }
  return FileError();
}

// Gives the replacement the owner (or at least the group) and the permission
// bits of the file it replaces, as far as the user may.
void takeOwnerAndMode(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0 &&
      fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // The replacement keeps the user's own group.
  }
  if (fchmod(fd, old.st_mode & 0777) != 0) {
    // It was created readable and writable by the user alone.
  }
}

// Creates a replacement for `target`, which is the regular file `old`
// describes, or nothing when `old` is nullptr.
FileError createReplacement(OutputFile& out, const std::string& target, const struct stat* old) {
  out.target = target;
  const bool exists = old != nullptr;
  if (exists) {
    out.over = FileId{true, static_cast<uint64_t>(old->st_dev), static_cast<uint64_t>(old->st_ino)};
  }
  watchEndSignals();
  for (int attempt = 0; attempt < kReplacementNameAttempts; ++attempt) {
    const std::string temp = folderOf(target) + replacementName();
    if (temp.size() >= sizeof gTempToRemove) {
      return creationFailure(out, target, exists, ENAMETOOLONG);
    }
    sigset_t saved;
    holdEndSignals(saved);
    // A new file gets the usual mode under the umask; a replacement starts
    // as the user's alone and then takes the mode of the file it replaces.
    const int fd =
        open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    const int error = errno;
    if (fd >= 0) {
      std::memcpy(gTempToRemove, temp.c_str(), temp.size() + 1);
      out.temp = temp;
    }
    releaseEndSignals(saved);
    if (fd < 0 && error == EEXIST) {
      continue;
    }
    if (fd < 0) {
      return creationFailure(out, target, exists, error);
    }
    if (exists) {
      takeOwnerAndMode(fd, *old);
    }
    errno = 0;
    if (!attachStream(out, fdopen(fd, "wb"))) {
      close(fd);
      discardReplacement(out);
      return creationFailure(out, target, exists, out.error);
    }
    return FileError();
  }
  return creationFailure(out, target, exists, EEXIST);
}

}  // namespace

uint64_t replacementSeed() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec)) ^
         (static_cast<uint64_t>(getpid()) << 32) ^
         static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&now));
}

FileError openExportOutput(OutputFile& out, const std::string& path, bool text) {
  assert(!path.empty());
  out = OutputFile();
  out.text = text;
  out.path = path;
  std::string target = path;
  struct stat st;
  for (int links = 0;; ++links) {
    if (lstat(target.c_str(), &st) != 0) {
      const int error = errno;
      if (error == ENOENT) {
        return createReplacement(out, target, nullptr);
      }
      return FileError{"create", path, error};
    }
    if (!S_ISLNK(st.st_mode)) {
      break;
    }
    if (links == kMaxLinks) {
      return FileError{"create", path, ELOOP};
    }
    if (const int refused = linkRefusalAt(target)) {
      return FileError{"write", path, refused};
    }
    if (isInProc(folderOf(target))) {
      // A file the program has open (standard output, say): written as it is.
      struct stat to;
      return openInPlace(out, target, stat(target.c_str(), &to) == 0 && S_ISREG(to.st_mode));
    }
    char text[PATH_MAX];
    const ssize_t n = readlink(target.c_str(), text, sizeof text);
    if (n < 0 || static_cast<size_t>(n) >= sizeof text) {
      return FileError{"create", path, n < 0 ? errno : ENAMETOOLONG};
    }
    const std::string to(text, static_cast<size_t>(n));
    target = to[0] == '/' ? to : folderOf(target) + to;
  }
  if (S_ISDIR(st.st_mode)) {
    return FileError{"write", path, EISDIR};
  }
  if (!S_ISREG(st.st_mode)) {
    return openInPlace(out, target, false);  // a device, a FIFO, a socket
  }
  if (access(target.c_str(), W_OK) != 0) {
    return FileError{"write", path, errno};  // a read-only file stays as it is
  }
  return createReplacement(out, target, &st);
}

bool replaceWithOutput(OutputFile& out) {
  assert(out.file == nullptr && isReplacement(out));
  if (const int injected = takeInjectedRenameFailure()) {
    out.error = injected;
    return false;
  }
  sigset_t saved;
  holdEndSignals(saved);
  errno = 0;
  const bool renamed = std::rename(out.temp.c_str(), out.target.c_str()) == 0;
  const int error = errno;
  if (renamed) {
    gTempToRemove[0] = '\0';
    out.temp.clear();
  }
  releaseEndSignals(saved);
  if (!renamed) {
    out.error = error != 0 ? error : EIO;
  }
  return renamed;
}

namespace {

// Copies the file at `from` to a new file at `to`, synced; 0 or the
// system's reason.
int copyFile(const std::string& from, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    return errno;
  }
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    const int error = errno;
    close(in);
    return error;
  }
  static char block[1 << 16];
  int error = 0;
  for (ssize_t n; error == 0 && (n = read(in, block, sizeof block)) != 0;) {
    if (n < 0 || write(out, block, static_cast<size_t>(n)) != n) {
      error = errno != 0 ? errno : EIO;
    }
  }
  struct stat st;
  if (error == 0 && fstat(in, &st) == 0 && fchmod(out, st.st_mode & 0777) != 0) {
    // The copy stays the user's alone.
  }
  if (error == 0 && fsync(out) != 0 && errno != EINVAL) {
    error = errno;
  }
  close(in);
  if (close(out) != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    unlink(to.c_str());
  }
  return error;
}

}  // namespace

bool keepBackup(OutputFile& out, const std::string& backup) {
  assert(isReplacement(out));
  struct stat st;
  if (stat(out.target.c_str(), &st) != 0) {
    return true;  // nothing there yet
  }
  if (unlink(backup.c_str()) != 0 && errno != ENOENT) {
    out.error = errno;
    return false;
  }
  if (link(out.target.c_str(), backup.c_str()) == 0) {
    return true;
  }
  const int error = copyFile(out.target, backup);
  out.error = error;
  return error == 0;
}

void discardReplacement(OutputFile& out) {
  if (isReplacement(out)) {
    sigset_t saved;
    holdEndSignals(saved);
    unlink(out.temp.c_str());
    gTempToRemove[0] = '\0';
    releaseEndSignals(saved);
    out.temp.clear();
  }
}

void discardPendingReplacement() {
  sigset_t saved;
  holdEndSignals(saved);
  if (gTempToRemove[0] != '\0') {
    unlink(gTempToRemove);
    gTempToRemove[0] = '\0';
  }
  releaseEndSignals(saved);
}
