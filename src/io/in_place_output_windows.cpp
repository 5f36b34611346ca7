// Outputs written in place on Windows: opened with OPEN_ALWAYS, which
// creates the file or keeps it as it is, and emptied by the caller.
#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "io/in_place_output.h"
#include "io/platform.h"
#include "io/win32.h"

int linkRefusalAt(const std::string&) {
  return 0;  // no folder of Windows lets one user lay links for another
}

bool isInProc(const std::string&) {
  return false;
}

FileError openOutputInPlace(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  const HANDLE h =
      CreateFileW(widened(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return FileError{"create", path, errnoOf(GetLastError())};
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return FileError{"create", path, EIO};
  }
  return attachDescriptor(out, fd, "create");
}

FileError attachDescriptor(OutputFile& out, int fd, const char* operation) {
  errno = 0;
  if (!attachStream(out, _fdopen(fd, "wb"))) {
    _close(fd);
    return FileError{operation, out.path, out.error};
  }
  out.over = fileIdOf(out.file);
  return FileError();
}

bool emptyOutput(OutputFile& out) {
  const int fd = _fileno(out.file);
  if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) != FILE_TYPE_DISK) {
    return true;  // a device (NUL, CON) or a pipe has nothing to empty
  }
  const int error = _chsize_s(fd, 0);
  if (error != 0) {
    out.error = error;
    return false;
  }
  return true;
}
