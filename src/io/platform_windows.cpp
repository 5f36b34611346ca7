// The platform calls on Windows: the wide-character API for every name, so
// that names outside the ANSI code page work.
#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <cassert>
#include <cerrno>

#include "io/platform.h"
#include "io/win32.h"

std::wstring widened(const std::string& text) {
  if (text.empty()) {
    return std::wstring();
  }
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    default:
      return EIO;
  }
}

namespace {

// The identity of an open handle: its volume and file index.
FileId idOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) {
    return FileId();
  }
  return FileId{true, info.dwVolumeSerialNumber,
                (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// True for a character that ends a folder's part of a path.
bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

}  // namespace

std::FILE* openStream(const std::string& path, const char* mode) {
  return _wfopen(widened(path).c_str(), widened(mode).c_str());
}

void useBinaryMode(std::FILE* file) {
  _setmode(_fileno(file), _O_BINARY);
}

bool syncToDisk(std::FILE* file) {
  errno = 0;
  return _commit(_fileno(file)) == 0;
}

FileId fileIdAt(const std::string& path) {
  const HANDLE h =
      CreateFileW(widened(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const FileId id = idOfHandle(h);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
  }
  return id;
}

FileId fileIdOf(std::FILE* file) {
  return idOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

bool canOpenForReading(const std::string& path) {
  return _waccess(widened(path).c_str(), 4) == 0;
}

int enterFolder(const char* dir) {
  assert(dir != nullptr);
  return _chdir(dir) == 0 ? 0 : errno;
}

FileError folderFailure(const std::string& dir) {
  const DWORD attributes = GetFileAttributesW(widened(dir).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return FileError{"use", dir, errnoOf(GetLastError())};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return FileError{"use", dir, ENOTDIR};
  }
  return FileError();
}

std::string pathInFolder(const std::string& dir, const std::string& name) {
  assert(!dir.empty());
  return isSeparator(dir.back()) ? dir + name : dir + "/" + name;
}

std::string folderOf(const std::string& path) {
  // A drive's colon ends its folder part too ("d:out.csv").
  const size_t at = path.find_last_of("/\\:");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// Windows opens a file by its name in any letter case: the exact name finds
// KANJIS.DAT as well as kanjis.dat.
bool namesToMatchIn(const std::string&, std::vector<std::string>& names) {
  names.clear();
  return false;
}

// Windows ends no program for a failed write.
void failWritesInsteadOfSignals() {}

bool isAbsolutePath(const std::string& path) {
  return (!path.empty() && isSeparator(path[0])) || (path.size() > 1 && path[1] == ':');
}

bool nameExists(const std::string& path) {
  return GetFileAttributesW(widened(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string narrowed(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) {
    return std::string();
  }
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], n, nullptr, nullptr);
  text.pop_back();  // the terminating zero
  return text;
}

bool listFolder(const std::string& dir, std::vector<std::string>& names) {
  names.clear();
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(
      widened(dir.empty() ? std::string("*") : pathInFolder(dir, "*")).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  do {
    names.push_back(narrowed(found.cFileName));
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return true;
}

int renameReplacing(const std::string& from, const std::string& to) {
  SetFileAttributesW(widened(from).c_str(), FILE_ATTRIBUTE_NORMAL);  // a replacement is hidden
  if (MoveFileExW(widened(from).c_str(), widened(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return errnoOf(GetLastError());
}

int linkOrCopyNew(const std::string& from, const std::string& to) {
  const std::wstring source = widened(from);
  const std::wstring kept = widened(to);
  // Both refuse an existing name: CopyFileW is told to fail if it exists.
  if (CreateHardLinkW(kept.c_str(), source.c_str(), nullptr) ||
      CopyFileW(source.c_str(), kept.c_str(), TRUE)) {
    return 0;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : errnoOf(error);
}

int removeFile(const std::string& path) {
  const std::wstring wide = widened(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(wide.c_str()) ? 0 : errnoOf(GetLastError());
}

// Windows writes a folder's names with the rename (MOVEFILE_WRITE_THROUGH).
int syncFolder(const std::string&) {
  return 0;
}
