// The platform calls on POSIX systems (Linux, and emscripten for the page).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>

#include "io/platform.h"

namespace {

// The identity a stat call found.
FileId idOf(const struct stat& st) {
  return FileId{true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace

std::FILE* openStream(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

void useBinaryMode(std::FILE*) {}

bool syncToDisk(std::FILE* file) {
  errno = 0;
  return fsync(fileno(file)) == 0 || errno == EINVAL || errno == EROFS;
}

FileId fileIdAt(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? idOf(st) : FileId();
}

FileId fileIdOf(std::FILE* file) {
  struct stat st;
  return fstat(fileno(file), &st) == 0 ? idOf(st) : FileId();
}

bool canOpenForReading(const std::string& path) {
  return access(path.c_str(), R_OK) == 0;
}

int enterFolder(const char* dir) {
  assert(dir != nullptr);
  return chdir(dir) == 0 ? 0 : errno;
}

FileError folderFailure(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) {
    return FileError{"use", dir, errno};
  }
  if (!S_ISDIR(st.st_mode)) {
    return FileError{"use", dir, ENOTDIR};
  }
  return FileError();
}

std::string pathInFolder(const std::string& dir, const std::string& name) {
  assert(!dir.empty());
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string folderOf(const std::string& path) {
  const size_t at = path.rfind('/');
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

bool namesToMatchIn(const std::string& dir, std::vector<std::string>& names) {
  return listFolder(dir, names);
}

void failWritesInsteadOfSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

bool isAbsolutePath(const std::string& path) {
  return !path.empty() && path[0] == '/';
}

bool nameExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool listFolder(const std::string& dir, std::vector<std::string>& names) {
  names.clear();
  DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
  if (folder == nullptr) {
    return false;
  }
  while (const dirent* entry = readdir(folder)) {
    names.emplace_back(entry->d_name);
  }
  closedir(folder);
  return true;
}

int renameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

namespace {

// Copies the open file `in` to a new file `to` (O_EXCL), synced, with the
// permission bits of `in`; 0 or the system's reason, and no file left on
// failure.
int copyToNew(int in, const std::string& to) {
  struct stat st;
  if (fstat(in, &st) != 0) {
    return errno;
  }
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    return errno;
  }
  static char block[1 << 16];
  int error = 0;
  for (ssize_t n; error == 0 && (n = read(in, block, sizeof block)) != 0;) {
    if (n < 0 || write(out, block, static_cast<size_t>(n)) != n) {
      error = errno != 0 ? errno : EIO;
    }
  }
  if (error == 0 && fchmod(out, st.st_mode & 0777) != 0) {
    // The copy stays the user's alone.
  }
  if (error == 0 && fsync(out) != 0 && errno != EINVAL && errno != EROFS) {
    error = errno;
  }
  if (close(out) != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    unlink(to.c_str());
  }
  return error;
}

}  // namespace

int linkOrCopyNew(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) == 0) {
    return 0;
  }
  if (errno == EEXIST || errno == ENOENT) {
    return errno;
  }
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) {
    return errno;
  }
  const int error = copyToNew(in, to);
  close(in);
  return error;
}

int removeFile(const std::string& path) {
  return unlink(path.c_str()) == 0 ? 0 : errno;
}

int syncFolder(const std::string& dir) {
  const int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  int error = 0;
  if (fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != EBADF) {
    error = errno;
  }
  close(fd);
  return error;
}
