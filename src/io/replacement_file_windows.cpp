// The export's replacement files on Windows: created hidden with
// CREATE_NEW, put in place with ReplaceFileW (which keeps the replaced
// file's attributes and access rights), and removed on a console break.
#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cwchar>

#include "io/fault_injection.h"
#include "io/platform.h"
#include "io/replacement_file.h"
#include "io/win32.h"

namespace {

// The replacement that a console break removes ("" when none), as a path of
// the wide API.
wchar_t gTempToRemove[32768];

// Removes the replacement when the console asks the program to end; the
// program then ends as it would have.
BOOL WINAPI removeTempOnBreak(DWORD) {
  if (gTempToRemove[0] != L'\0') {
    DeleteFileW(gTempToRemove);
  }
  return FALSE;
}

// Opens the file at `path` in place, as it is.
FileError openInPlace(OutputFile& out, const std::string& path) {
  errno = 0;
  if (!attachStream(out, openStream(path, "wb"))) {
    return FileError{"write", out.path, out.error};
  }
  out.over = fileIdOf(out.file);
  return FileError();
}

// Creates a replacement for `target`.
FileError createReplacement(OutputFile& out, const std::string& target, bool exists) {
  static const bool watching = SetConsoleCtrlHandler(removeTempOnBreak, TRUE) != 0;
  (void)watching;
  out.target = target;
  for (int attempt = 0; attempt < kReplacementNameAttempts; ++attempt) {
    const std::string temp = folderOf(target) + replacementName();
    const std::wstring wide = widened(temp);
    if (wide.size() >= sizeof gTempToRemove / sizeof gTempToRemove[0]) {
      return creationFailure(out, target, exists, ENAMETOOLONG);
    }
    // Others may read it, and a console break may delete it while it is open.
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        continue;
      }
      return creationFailure(out, target, exists, errnoOf(error));
    }
    std::wmemcpy(gTempToRemove, wide.c_str(), wide.size() + 1);
    out.temp = temp;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
      CloseHandle(h);
      discardReplacement(out);
      return creationFailure(out, target, exists, EIO);
    }
    errno = 0;
    if (!attachStream(out, _fdopen(fd, "wb"))) {
      _close(fd);
      discardReplacement(out);
      return creationFailure(out, target, exists, out.error);
    }
    return FileError();
  }
  return creationFailure(out, target, exists, EEXIST);
}

}  // namespace

uint64_t replacementSeed() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(_getpid()) << 32) ^
         static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&now));
}

FileError openExportOutput(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  const HANDLE h =
      CreateFileW(widened(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
      return createReplacement(out, path, false);
    }
    return FileError{"create", path, errnoOf(error)};
  }
  const DWORD type = GetFileType(h);
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (type != FILE_TYPE_DISK) {
    return openInPlace(out, path);  // a device (NUL, CON) or a pipe
  }
  if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileError{"write", path, EISDIR};
  }
  if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return FileError{"write", path, EACCES};
  }
  if (known) {
    out.over = FileId{true, info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  }
  return createReplacement(out, path, true);
}

bool replaceWithOutput(OutputFile& out) {
  assert(out.file == nullptr && isReplacement(out));
  if (const int injected = takeInjectedRenameFailure()) {
    out.error = injected;
    return false;
  }
  const std::wstring temp = widened(out.temp);
  const std::wstring target = widened(out.target);
  SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  // Replacing keeps the replaced file's attributes and access rights.
  if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr) ||
      MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    gTempToRemove[0] = L'\0';
    out.temp.clear();
    return true;
  }
  out.error = errnoOf(GetLastError());
  return false;
}

bool keepBackup(OutputFile& out, const std::string& backup) {
  assert(isReplacement(out));
  const std::wstring target = widened(out.target);
  const std::wstring kept = widened(backup);
  if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return true;  // nothing there yet
  }
  if (!DeleteFileW(kept.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    out.error = errnoOf(GetLastError());
    return false;
  }
  if (CreateHardLinkW(kept.c_str(), target.c_str(), nullptr) ||
      CopyFileW(target.c_str(), kept.c_str(), TRUE)) {
    return true;
  }
  out.error = errnoOf(GetLastError());
  return false;
}

void discardReplacement(OutputFile& out) {
  if (isReplacement(out)) {
    DeleteFileW(widened(out.temp).c_str());
    gTempToRemove[0] = L'\0';
    out.temp.clear();
  }
}

void discardPendingReplacement() {
  if (gTempToRemove[0] != L'\0') {
    DeleteFileW(gTempToRemove);
    gTempToRemove[0] = L'\0';
  }
}
