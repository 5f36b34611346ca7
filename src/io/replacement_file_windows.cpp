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

// The files that a console break removes (each "" when none), as paths of
// the wide API: the replacements being written and the journal of a change
// not yet committed.
const int kMaxFilesToRemove = 8;
wchar_t gFilesToRemove[kMaxFilesToRemove][32768];

// True while a committed change is put in place: a break then waits.
volatile LONG gCommitting = 0;

// Removes every file to remove, the last named first.
void removeFilesToRemove() {
  for (int i = kMaxFilesToRemove - 1; i >= 0; --i) {
    if (gFilesToRemove[i][0] != L'\0') {
      DeleteFileW(gFilesToRemove[i]);
      gFilesToRemove[i][0] = L'\0';
    }
  }
}

// Removes the files when the console asks the program to end; the program
// then ends as it would have. A committed change is let finish first (the
// handler runs on a thread of its own).
BOOL WINAPI removeTempOnBreak(DWORD) {
  while (gCommitting != 0) {
    Sleep(10);
  }
  removeFilesToRemove();
  return FALSE;
}

// Adds `path` to the files a break removes; false when no slot is free.
bool addFileToRemove(const std::string& path) {
  const std::wstring wide = widened(path);
  if (wide.size() >= sizeof gFilesToRemove[0] / sizeof gFilesToRemove[0][0]) {
    return false;
  }
  for (const auto& slot : gFilesToRemove) {
    if (wide == slot) {
      return true;  // already there
    }
  }
  int free = kMaxFilesToRemove;
  while (free > 0 && gFilesToRemove[free - 1][0] == L'\0') {
    --free;
  }
  if (free == kMaxFilesToRemove) {
    return false;
  }
  std::wmemcpy(gFilesToRemove[free], wide.c_str(), wide.size() + 1);
  return true;
}

// Takes `path` off the files a break removes.
void dropFileToRemove(const std::string& path) {
  const std::wstring wide = widened(path);
  for (auto& slot : gFilesToRemove) {
    if (wide == slot) {
      slot[0] = L'\0';
    }
  }
}

// Has removeTempOnBreak watch the console's breaks; once.
void watchBreaks() {
  static const bool watching = SetConsoleCtrlHandler(removeTempOnBreak, TRUE) != 0;
  (void)watching;
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

// Creates a replacement for `target`: of the name `named`, or of a new
// random name when that is "".
FileError createReplacement(OutputFile& out, const std::string& target, bool exists,
                            const std::string& named = std::string()) {
  watchBreaks();
  out.target = target;
  for (int attempt = 0; attempt < kReplacementNameAttempts; ++attempt) {
    const std::string temp = named.empty() ? folderOf(target) + replacementName() : named;
    const std::wstring wide = widened(temp);
    if (!addFileToRemove(temp)) {
      return creationFailure(out, target, exists, ENAMETOOLONG);
    }
    // Others may read it, and a console break may delete it while it is open.
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      dropFileToRemove(temp);
      const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
      if (taken && named.empty()) {
        continue;
      }
      return creationFailure(out, target, exists, taken ? EEXIST : errnoOf(error));
    }
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

// What stands at an output's name: nothing, or a file, on a disk or not (a
// device, a pipe), with its identity where the system tells it.
struct OutputTarget {
  bool there = false;
  bool disk = false;
  FileId id;
};

// Looks at what stands at `path` for an output; a folder or a read-only file
// there is a failure, as is a name that cannot be looked at.
FileError lookAtTarget(const std::string& path, OutputTarget& target) {
  const HANDLE h =
      CreateFileW(widened(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? FileError() : FileError{"create", path, errnoOf(error)};
  }
  target.there = true;
  const DWORD type = GetFileType(h);
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  target.disk = type == FILE_TYPE_DISK;
  if (!target.disk || !known) {
    return FileError();
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileError{"write", path, EISDIR};
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return FileError{"write", path, EACCES};
  }
  target.id = FileId{true, info.dwVolumeSerialNumber,
                     (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return FileError();
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
  OutputTarget target;
  const FileError e = lookAtTarget(path, target);
  if (failed(e)) {
    return e;
  }
  if (!target.there) {
    return createReplacement(out, path, false);
  }
  if (!target.disk) {
    return openInPlace(out, path);  // a device (NUL, CON) or a pipe
  }
  out.over = target.id;
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
    dropFileToRemove(out.temp);
    out.temp.clear();
    return true;
  }
  out.error = errnoOf(GetLastError());
  return false;
}

void discardReplacement(OutputFile& out) {
  if (isReplacement(out)) {
    DeleteFileW(widened(out.temp).c_str());
    dropFileToRemove(out.temp);
    out.temp.clear();
  }
}

void discardPendingReplacement() {
  removeFilesToRemove();
}

FileError findDataTarget(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  out.target = path;  // Windows' links are not followed: the name is replaced
  OutputTarget target;
  const FileError e = lookAtTarget(path, target);
  if (failed(e) || !target.there) {
    return e;
  }
  if (!target.disk) {
    return FileError{"replace", path, kNotRegularFile};
  }
  out.over = target.id;
  return FileError();
}

FileError createDataReplacement(OutputFile& out, const std::string& temp) {
  return createReplacement(out, out.target, nameExists(out.target), temp);
}

void holdEndSignalsForCommit(bool hold) {
  InterlockedExchange(&gCommitting, hold ? 1 : 0);
}

bool removeOnEndSignal(const std::string& path, bool remove) {
  watchBreaks();
  if (!remove) {
    dropFileToRemove(path);
    return true;
  }
  return addFileToRemove(path);
}
