// The platform calls on POSIX systems (Linux, and emscripten for the page).
#include <dirent.h>
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

void failWritesInsteadOfSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}
