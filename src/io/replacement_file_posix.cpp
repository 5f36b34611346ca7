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

// The files that the signal handlers remove (each "" when none), kept where
// a handler may read them: the replacements being written and the journal of
// a change not yet committed.
const int kMaxFilesToRemove = 8;
char gFilesToRemove[kMaxFilesToRemove][PATH_MAX + 1];

// The signals that end the program and should not leave a replacement behind.
const int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The most links followed from an output's name.
const int kMaxLinks = 40;

// Removes every file to remove, the last named first (the journal of a change
// goes after its replacements).
void removeFilesToRemove() {
  for (int i = kMaxFilesToRemove - 1; i >= 0; --i) {
    if (gFilesToRemove[i][0] != '\0') {
      unlink(gFilesToRemove[i]);
      gFilesToRemove[i][0] = '\0';
    }
  }
}

// Removes the files to remove, then ends the program by the same signal as
// it would have ended without this handler.
void removeTempAndEnd(int signal) {
  removeFilesToRemove();
  std::signal(signal, SIG_DFL);
  raise(signal);
}

// Adds `path` to the files the handlers remove, in the first free slot
// after every taken one; false when it is too long or no slot is free. End
// signals must be held.
bool addFileToRemove(const std::string& path) {
  if (path.size() >= sizeof gFilesToRemove[0]) {
    return false;
  }
  for (const auto& slot : gFilesToRemove) {
    if (path == slot) {
      return true;  // already there
    }
  }
  int free = kMaxFilesToRemove;
  while (free > 0 && gFilesToRemove[free - 1][0] == '\0') {
    --free;
  }
  if (free == kMaxFilesToRemove) {
    return false;
  }
  std::memcpy(gFilesToRemove[free], path.c_str(), path.size() + 1);
  return true;
}

// Takes `path` off the files the handlers remove. End signals must be held.
void dropFileToRemove(const std::string& path) {
  for (auto& slot : gFilesToRemove) {
    if (path == slot) {
      slot[0] = '\0';
    }
  }
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
  return fd < 0 ? FileError{"write", out.path, errno} : attachDescriptor(out, fd, "write");
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
// describes, or nothing when `old` is nullptr: of the name `named`, or of a
// new random name when that is "".
FileError createReplacement(OutputFile& out, const std::string& target, const struct stat* old,
                            const std::string& named = std::string()) {
  out.target = target;
  const bool exists = old != nullptr;
  if (exists) {
    out.over = FileId{true, static_cast<uint64_t>(old->st_dev), static_cast<uint64_t>(old->st_ino)};
  }
  watchEndSignals();
  for (int attempt = 0; attempt < kReplacementNameAttempts; ++attempt) {
    const std::string temp = named.empty() ? folderOf(target) + replacementName() : named;
    sigset_t saved;
    holdEndSignals(saved);
    if (!addFileToRemove(temp)) {
      releaseEndSignals(saved);
      return creationFailure(out, target, exists, ENAMETOOLONG);
    }
    // A new file gets the usual mode under the umask; a replacement starts
    // as the user's alone and then takes the mode of the file it replaces.
    const int fd =
        open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    const int error = errno;
    if (fd >= 0) {
      out.temp = temp;
    } else {
      dropFileToRemove(temp);
    }
    releaseEndSignals(saved);
    if (fd < 0 && error == EEXIST && named.empty()) {
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

namespace {

// Follows the links from `path` as far as the user may, to `target`, which
// `st` then describes (when `there`); a link into /proc ends at the link
// (`inProc`). Returns what failed.
FileError followLinks(const std::string& path, std::string& target, struct stat& st, bool& there,
                      bool& inProc) {
  target = path;
  there = false;
  inProc = false;
  for (int links = 0;; ++links) {
    if (lstat(target.c_str(), &st) != 0) {
      const int error = errno;
      return error == ENOENT ? FileError() : FileError{"create", path, error};
    }
    if (!S_ISLNK(st.st_mode)) {
      there = true;
      return FileError();
    }
    if (links == kMaxLinks) {
      return FileError{"create", path, ELOOP};
    }
    if (const int refused = linkRefusalAt(target)) {
      return FileError{"write", path, refused};
    }
    if (isInProc(folderOf(target))) {
      inProc = true;  // a file the program has open (standard output, say)
      return FileError();
    }
    char text[PATH_MAX];
    const ssize_t n = readlink(target.c_str(), text, sizeof text);
    if (n < 0 || static_cast<size_t>(n) >= sizeof text) {
      return FileError{"create", path, n < 0 ? errno : ENAMETOOLONG};
    }
    const std::string to(text, static_cast<size_t>(n));
    target = to[0] == '/' ? to : folderOf(target) + to;
  }
}

// What is wrong with replacing the existing file `target`, which `st`
// describes, as the output `path`: a folder, or a file the user may not write.
FileError replacingFailure(const std::string& path, const std::string& target,
                           const struct stat& st) {
  if (S_ISDIR(st.st_mode)) {
    return FileError{"write", path, EISDIR};
  }
  if (access(target.c_str(), W_OK) != 0) {
    return FileError{"write", path, errno};  // a read-only file stays as it is
  }
  return FileError();
}

}  // namespace

FileError openExportOutput(OutputFile& out, const std::string& path, bool text) {
  assert(!path.empty());
  out = OutputFile();
  out.text = text;
  out.path = path;
  std::string target;
  struct stat st;
  bool there = false;
  bool inProc = false;
  const FileError e = followLinks(path, target, st, there, inProc);
  if (failed(e)) {
    return e;
  }
  if (inProc) {
    struct stat to;
    return openInPlace(out, target, stat(target.c_str(), &to) == 0 && S_ISREG(to.st_mode));
  }
  if (!there) {
    return createReplacement(out, target, nullptr);
  }
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) {
    return openInPlace(out, target, false);  // a device, a FIFO, a socket
  }
  const FileError refused = replacingFailure(path, target, st);
  return failed(refused) ? refused : createReplacement(out, target, &st);
}

FileError findDataTarget(OutputFile& out, const std::string& path, bool text) {
  assert(!path.empty());
  out = OutputFile();
  out.text = text;
  out.path = path;
  struct stat st;
  bool there = false;
  bool inProc = false;
  const FileError e = followLinks(path, out.target, st, there, inProc);
  if (failed(e)) {
    return e;
  }
  if (inProc || (there && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))) {
    return FileError{"replace", path, kNotRegularFile};
  }
  return there ? replacingFailure(path, out.target, st) : FileError();
}

FileError createDataReplacement(OutputFile& out, const std::string& temp) {
  assert(!out.target.empty() && !temp.empty());
  struct stat st;
  if (lstat(out.target.c_str(), &st) != 0) {
    return createReplacement(out, out.target, nullptr, temp);
  }
  if (!S_ISREG(st.st_mode)) {
    return FileError{"replace", out.path, kNotRegularFile};
  }
  return createReplacement(out, out.target, &st, temp);
}

void holdEndSignalsForCommit(bool hold) {
  static sigset_t saved;
  if (hold) {
    holdEndSignals(saved);
  } else {
    releaseEndSignals(saved);
  }
}

bool removeOnEndSignal(const std::string& path, bool remove) {
  sigset_t saved;
  holdEndSignals(saved);
  watchEndSignals();
  const bool added = remove ? addFileToRemove(path) : true;
  if (!remove) {
    dropFileToRemove(path);
  }
  releaseEndSignals(saved);
  return added;
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
    dropFileToRemove(out.temp);
    out.temp.clear();
  }
  releaseEndSignals(saved);
  if (!renamed) {
    out.error = error != 0 ? error : EIO;
  }
  return renamed;
}

void discardReplacement(OutputFile& out) {
  if (isReplacement(out)) {
    sigset_t saved;
    holdEndSignals(saved);
    unlink(out.temp.c_str());
    dropFileToRemove(out.temp);
    releaseEndSignals(saved);
    out.temp.clear();
  }
}

void discardPendingReplacement() {
  sigset_t saved;
  holdEndSignals(saved);
  removeFilesToRemove();
  releaseEndSignals(saved);
}
