// Outputs written in place on POSIX systems: every link on the way walked
// and checked, and the last name opened without following a link laid there
// since it was looked at.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "io/in_place_output.h"
#include "io/platform.h"

namespace {

// The most links followed from an output's name.
const int kMaxLinks = 40;

// Sets `next` to the path the link `link` leads to; 0, or the reason.
int linkTarget(const std::string& link, std::string& next) {
  char text[PATH_MAX];
  const ssize_t n = readlink(link.c_str(), text, sizeof text);
  if (n < 0 || static_cast<size_t>(n) >= sizeof text) {
    return n < 0 ? errno : ENAMETOOLONG;
  }
  const std::string to(text, static_cast<size_t>(n));
  next = to[0] == '/' ? to : folderOf(link) + to;
  return 0;
}

}  // namespace

FileError attachDescriptor(OutputFile& out, int fd, const char* operation) {
  struct stat st;
  if (fstat(fd, &st) == 0) {
    out.over = FileId{true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  }
  errno = 0;
  if (!attachStream(out, fdopen(fd, "wb"))) {
    close(fd);
    return FileError{operation, out.path, out.error};
  }
  return FileError();
}

int linkRefusalAt(const std::string& link) {
  struct stat st;
  if (lstat(link.c_str(), &st) != 0) {
    return errno;
  }
  if (!S_ISLNK(st.st_mode)) {
    return 0;
  }
  const std::string folder = folderOf(link);
  struct stat in;
  if (stat(folder.empty() ? "." : folder.c_str(), &in) != 0) {
    return errno;
  }
  const bool shared = (in.st_mode & S_ISVTX) != 0 && (in.st_mode & S_IWOTH) != 0;
  if (!shared || st.st_uid == geteuid() || st.st_uid == in.st_uid) {
    return 0;
  }
  return EACCES;
}

bool isInProc(const std::string& folder) {
  char real[PATH_MAX];
  if (realpath(folder.empty() ? "." : folder.c_str(), real) == nullptr) {
    return false;
  }
  return std::strncmp(real, "/proc/", 6) == 0;
}

FileError openOutputInPlace(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  std::string target = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      if (const int refused = linkRefusalAt(target)) {
        return FileError{"write", path, refused};
      }
      if (isInProc(folderOf(target))) {
        // A file the program has open (standard output, say): the kernel
        // knows where it leads.
        const int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        return fd < 0 ? FileError{"create", path, errno} : attachDescriptor(out, fd, "create");
      }
      std::string next;
      if (const int error = linkTarget(target, next)) {
        return FileError{"create", path, error};
      }
      target = next;
      continue;
    }
    // A link laid at the last name since it was looked at fails the open
    // (ELOOP) and is walked and checked as the others.
    const int fd =
        open(target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      return attachDescriptor(out, fd, "create");
    }
    if (errno != ELOOP) {
      return FileError{"create", path, errno};
    }
  }
  return FileError{"create", path, ELOOP};
}

bool emptyOutput(OutputFile& out) {
  struct stat st;
  const int fd = fileno(out.file);
  if (fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
    return true;  // a device or a FIFO has nothing to empty
  }
  if (ftruncate(fd, 0) != 0) {
    out.error = errno;
    return false;
  }
  return true;
}
