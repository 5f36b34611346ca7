// Block-buffered file input and output with our own text conventions.
#include "io/file_io.h"

#include <fcntl.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cwchar>

#include "io/win32.h"
#else
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

InjectedFaults gInjectedFaults;

namespace {

// The fuzzing build makes the flush size tiny as well. Large blocks and
// flushes mean few system calls, which cost much on a virtual machine.
#ifndef LISTCONV_OUTPUT_FLUSH_SIZE
#define LISTCONV_OUTPUT_FLUSH_SIZE (1 << 19)
#endif
const size_t kOutputFlushSize = LISTCONV_OUTPUT_FLUSH_SIZE;
const int kEndOfData = -1;
const unsigned char kCtrlZ = 0x1A;

// Reads up to `n` bytes from the stream, honouring an injected failure: the
// budget counts the bytes delivered, and the first read that would deliver
// more fails, once. A read that meets the end of the data still meets it.
size_t readFromStream(std::FILE* f, unsigned char* dst, size_t n, int& error) {
  int64_t& budget = gInjectedFaults.readFailAfter;
  if (budget > 0) {
    n = std::min(n, static_cast<size_t>(budget));
  }
  errno = 0;
  const size_t got = std::fread(dst, 1, n, f);
  if (got < n && std::ferror(f)) {
    error = errno != 0 ? errno : EIO;
  }
  if (budget == 0 && got > 0) {
    budget = -1;
    error = EIO;
    return 0;
  }
  if (budget > 0) {
    budget -= static_cast<int64_t>(got);
  }
  return got;
}

// Refills the block; false when no more data can be had.
bool refill(InputFile& in) {
  if (in.atEnd || in.error != 0) {
    return false;
  }
  in.block.resize(kInputBlockSize);
  in.pos = 0;
  in.len = readFromStream(in.file, in.block.data(), kInputBlockSize, in.error);
  return in.len > 0;
}

// True when a byte is ready in the block; otherwise marks the end as met.
bool haveData(InputFile& in) {
  if (in.pos < in.len || refill(in)) {
    return true;
  }
  in.atEnd = true;
  return false;
}

// The next raw byte, or kEndOfData (marking the end as met).
int nextRawByte(InputFile& in) {
  return haveData(in) ? in.block[in.pos++] : kEndOfData;
}

// The next byte as the platform's text mode delivers it.
int nextTextByte(InputFile& in) {
  int c = nextRawByte(in);
  if (c == kCtrlZ) {
    in.atEnd = true;  // refill() reads no further once the end is met
    in.pos = in.len;
    return kEndOfData;
  }
  if (c == '\r') {
    if (in.pos == in.len && !refill(in)) {
      return c;  // a final CR is data; the end is met by the next read
    }
    if (in.block[in.pos] == '\n') {
      ++in.pos;
      return '\n';
    }
  }
  return c;
}

// The position of the first `c` among the `n` bytes at `p`, or `n`.
size_t stopOf(const unsigned char* p, size_t n, unsigned char c) {
  const void* at = std::memchr(p, c, n);
  return at == nullptr ? n : static_cast<const unsigned char*>(at) - p;
}

// Writes `n` bytes to the stream, honouring an injected failure: what fits in
// the budget is written, then the write fails, once.
bool writeToStream(OutputFile& out, const char* data, size_t n) {
  int64_t& budget = gInjectedFaults.writeFailAfter;
  const bool injected = budget >= 0 && static_cast<int64_t>(n) > budget;
  if (injected) {
    n = static_cast<size_t>(budget);
    budget = -1;
  } else if (budget >= 0) {
    budget -= static_cast<int64_t>(n);
  }
  errno = 0;
  if (n > 0 && std::fwrite(data, 1, n, out.file) != n) {
    out.error = errno != 0 ? errno : EIO;
    return false;
  }
  if (injected) {
    out.error = EIO;
    return false;
  }
  return true;
}

// Writes out what is buffered; after a failure nothing more is written.
void flushBuffer(OutputFile& out) {
  if (out.error == 0) {
    writeToStream(out, out.buffer.data(), out.buffer.size());
  }
  out.buffer.clear();
}

#ifdef _WIN32
// The UTF-16 of a UTF-8 text, for the wide-character API.
std::wstring widened(const std::string& text) {
  if (text.empty()) {
    return std::wstring();
  }
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

#endif

// Opens the file a UTF-8 path names, in binary, with a mode of fopen.
std::FILE* openStream(const char* path, const char* mode) {
#ifdef _WIN32
  return _wfopen(widened(path).c_str(), widened(mode).c_str());
#else
  return std::fopen(path, mode);
#endif
}

}  // namespace

bool openInput(InputFile& in, const char* path, bool text) {
  in = InputFile();
  in.text = text;
  if (!gInjectedFaults.openFailName.empty() && gInjectedFaults.openFailName == path) {
    gInjectedFaults.openFailName.clear();
    in.error = gInjectedFaults.openFailError;
    return false;
  }
  errno = 0;
  in.file = openStream(path, "rb");
  if (in.file == nullptr) {
    in.error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

void closeInput(InputFile& in) {
  if (in.file != nullptr) {
    std::fclose(in.file);
    in.file = nullptr;
  }
}

void readRecordBytes(InputFile& in, unsigned char* out, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (!haveData(in)) {
      std::memset(out + done, 0xFF, n - done);
      return;
    }
    const size_t take = std::min(n - done, in.len - in.pos);
    std::memcpy(out + done, in.block.data() + in.pos, take);
    in.pos += take;
    done += take;
  }
}

bool readLinePiece(InputFile& in, std::string& out, size_t maxChars) {
  out.clear();
  while (out.size() < maxChars) {
    if (!haveData(in)) {
      break;
    }
    // Take the run of bytes that need no translation in one piece.
    const unsigned char* run = in.block.data() + in.pos;
    const size_t room = std::min(in.len - in.pos, maxChars - out.size());
    size_t n = stopOf(run, room, '\n');
    if (in.text) {
      n = stopOf(run, n, kCtrlZ);
      n = stopOf(run, n, '\r');
    }
    out.append(reinterpret_cast<const char*>(run), n);
    in.pos += n;
    if (n == room) {
      continue;
    }
    const int c = in.text ? nextTextByte(in) : nextRawByte(in);
    if (c == kEndOfData) {
      break;
    }
    out.push_back(static_cast<char>(c));
    if (c == '\n') {
      break;
    }
  }
  return !out.empty();
}

bool openOutput(OutputFile& out, const char* path, bool text) {
  out = OutputFile();
  out.text = text;
  errno = 0;
  out.file = openStream(path, "wb");
  if (out.file == nullptr) {
    out.error = errno != 0 ? errno : EIO;
    return false;
  }
  out.buffer.reserve(kOutputFlushSize + kOutputFlushSize / 4);
  return true;
}

void writeBytes(OutputFile& out, std::string_view data) {
  if (!out.text) {
    out.buffer.append(data);
  } else {
    // Room for the worst case, every byte a line feed; the runs between line
    // feeds are copied in one piece each.
    std::string& buffer = out.buffer;
    const size_t used = buffer.size();
    buffer.resize(used + 2 * data.size());
    char* to = &buffer[used];
    for (size_t lf = data.find('\n'); lf != std::string_view::npos; lf = data.find('\n')) {
      std::memcpy(to, data.data(), lf);
      to += lf;
      *to++ = '\r';
      *to++ = '\n';
      data.remove_prefix(lf + 1);
    }
    std::memcpy(to, data.data(), data.size());
    to += data.size();
    buffer.resize(static_cast<size_t>(to - buffer.data()));
  }
  if (out.buffer.size() >= kOutputFlushSize) {
    flushBuffer(out);
  }
}

namespace {

// Has the system write the file's data to its disk: a replacement is put in
// place only once its data would survive a crash.
bool syncToDisk(std::FILE* f) {
  errno = 0;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

}  // namespace

bool closeOutput(OutputFile& out) {
  if (out.file == nullptr) {
    return out.error == 0;
  }
  flushBuffer(out);
  if (std::fflush(out.file) != 0 && out.error == 0) {
    out.error = errno != 0 ? errno : EIO;
  }
  if (!out.temp.empty() && out.error == 0 && !syncToDisk(out.file)) {
    out.error = errno != 0 ? errno : EIO;
  }
  if (std::fclose(out.file) != 0 && out.error == 0) {
    out.error = errno != 0 ? errno : EIO;
  }
  out.file = nullptr;
  return out.error == 0;
}

std::string describeFailure(const char* operation, const std::string& name, const char* reason) {
  std::string text = "cannot ";
  text += operation;
  text += name.empty() ? " to standard output" : " " + name;
  text += ": ";
  text += reason;
  return text;
}

std::string describeFailure(const FileError& e) {
  return describeFailure(e.operation, e.name, std::strerror(e.error));
}

FileError openFailure(const std::string& name, int error) {
  if (error == ENOENT) {
    return FileError();
  }
  return FileError{"open", name, error};
}

FileError readFailure(const std::string& name, const InputFile& in) {
  return in.error == 0 ? FileError() : FileError{"read", name, in.error};
}

void openStandardOutput(OutputFile& out, bool text) {
  out = OutputFile();
  out.text = text;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  out.file = stdout;
}


// ---- The export's output files ---------------------------------------------

namespace {

// A replacement's name in its folder: this, then kTempRandomChars characters.
const char kTempPrefix[] = ".lcx-";
const int kTempRandomChars = 6;
// How many names are tried before giving up (each taken one is another
// run's, maybe one that was killed before it could remove it).
const int kTempAttempts = 100;

// The next value of a 64-bit generator (splitmix64) over `state`.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

uint64_t randomSeed();

// Random letters and digits for a replacement's name.
std::string randomName() {
  static uint64_t state = randomSeed();
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint64_t r = nextRandom(state);
  std::string name = kTempPrefix;
  for (int i = 0; i < kTempRandomChars; ++i) {
    name += kAlphabet[r % 62];
    r /= 62;
  }
  return name;
}

// The folder part of `path`, up to and including its last separator; "" for
// a bare name.
std::string folderOf(const std::string& path) {
#ifdef _WIN32
  const size_t at = path.find_last_of("/\\:");
#else
  const size_t at = path.rfind('/');
#endif
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// Makes a new replacement's stream of a file descriptor.
bool streamOf(OutputFile& out, int fd) {
  out.file = fdopen(fd, "wb");
  if (out.file == nullptr) {
    out.error = errno != 0 ? errno : EIO;
    return false;
  }
  out.buffer.reserve(kOutputFlushSize + kOutputFlushSize / 4);
  return true;
}

}  // namespace

bool isReplacement(const OutputFile& out) {
  return !out.temp.empty();
}

#ifdef _WIN32

namespace {

// The replacement that a console break removes ("" when none), as a path of
// the wide API.
wchar_t gTempToRemove[32768];

uint64_t randomSeed() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(_getpid()) << 32) ^
         static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&now));
}

// The errno value nearest to a Windows error.
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
  out.file = openStream(path.c_str(), "wb");
  if (out.file == nullptr) {
    return FileError{"write", out.path, errno != 0 ? errno : EIO};
  }
  return FileError();
}

// Creates a replacement for `target`.
FileError createReplacement(OutputFile& out, const std::string& target, bool exists) {
  static const bool watching = SetConsoleCtrlHandler(removeTempOnBreak, TRUE) != 0;
  (void)watching;
  out.target = target;
  const char* operation = exists ? "write" : "create";
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string temp = folderOf(target) + randomName();
    const std::wstring wide = widened(temp);
    if (wide.size() >= sizeof gTempToRemove / sizeof gTempToRemove[0]) {
      return FileError{operation, out.path, ENAMETOOLONG};
    }
    // Others may read it, and a console break may delete it while it is open.
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        continue;
      }
      return FileError{operation, out.path, errnoOf(error)};
    }
    std::wmemcpy(gTempToRemove, wide.c_str(), wide.size() + 1);
    out.temp = temp;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
      CloseHandle(h);
      discardReplacement(out);
      return FileError{operation, out.path, EIO};
    }
    if (!streamOf(out, fd)) {
      _close(fd);
      discardReplacement(out);
      return FileError{operation, out.path, out.error};
    }
    return FileError();
  }
  return FileError{operation, out.path, EEXIST};
}

}  // namespace

FileError openExportOutput(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  const HANDLE h = CreateFileW(widened(path).c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
  return createReplacement(out, path, true);
}

bool replaceWithOutput(OutputFile& out) {
  assert(out.file == nullptr && isReplacement(out));
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

void discardReplacement(OutputFile& out) {
  if (isReplacement(out)) {
    DeleteFileW(widened(out.temp).c_str());
    gTempToRemove[0] = L'\0';
    out.temp.clear();
  }
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

#else

namespace {

// The replacement that the signal handlers remove ("" when none), kept where
// a handler may read it.
char gTempToRemove[PATH_MAX + 1];

uint64_t randomSeed() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec)) ^
         (static_cast<uint64_t>(getpid()) << 32) ^
         static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&now));
}

// The signals that end the program and should not leave a replacement behind.
const int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

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

void releaseEndSignals(const sigset_t& saved) {
  sigprocmask(SIG_SETMASK, &saved, nullptr);
}

// True when the folder `folder` ("" for the current one) lies in /proc, where
// a link names a file the program has open (/dev/stdout leads there).
bool isInProc(const std::string& folder) {
  char real[PATH_MAX];
  if (realpath(folder.empty() ? "." : folder.c_str(), real) == nullptr) {
    return false;
  }
  return std::strncmp(real, "/proc/", 6) == 0;
}

// Opens the file at `path` in place, as it is: appended to when it is a
// regular file that the program already has open (through /proc).
FileError openInPlace(OutputFile& out, const std::string& path, bool append) {
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0));
  if (fd < 0) {
    return FileError{"write", out.path, errno};
  }
  if (!streamOf(out, fd)) {
    close(fd);
    return FileError{"write", out.path, out.error};
  }
  return FileError();
}

// Gives the replacement the owner (or at least the group) and the permission
// bits of the file it replaces, as far as the user may.
void takeOwnerAndMode(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
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
  const char* operation = old != nullptr ? "write" : "create";
  watchEndSignals();
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string temp = folderOf(target) + randomName();
    if (temp.size() >= sizeof gTempToRemove) {
      return FileError{operation, out.path, ENAMETOOLONG};
    }
    sigset_t saved;
    holdEndSignals(saved);
    // A new file gets the usual mode under the umask; a replacement starts
    // as the user's alone and then takes the mode of the file it replaces.
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        old != nullptr ? 0600 : 0666);
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
      return FileError{operation, out.path, error};
    }
    if (old != nullptr) {
      takeOwnerAndMode(fd, *old);
    }
    if (!streamOf(out, fd)) {
      close(fd);
      discardReplacement(out);
      return FileError{operation, out.path, out.error};
    }
    return FileError();
  }
  return FileError{operation, out.path, EEXIST};
}

// The most links followed from an output's name.
const int kMaxLinks = 40;

}  // namespace

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

#endif

void ignoreBrokenPipe() {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

int enterFolder(const char* dir) {
  assert(dir != nullptr);
#ifdef _WIN32
  return _chdir(dir) == 0 ? 0 : errno;
#else
  return chdir(dir) == 0 ? 0 : errno;
#endif
}

bool canOpenForReading(const std::string& path) {
#ifdef _WIN32
  return _waccess(widened(path).c_str(), 4) == 0;
#else
  return access(path.c_str(), R_OK) == 0;
#endif
}

bool isSameFile(const char* a, const char* b) {
#ifdef _WIN32
  // The volume and the file index of an open handle name the file.
  BY_HANDLE_FILE_INFORMATION info[2];
  const char* paths[2] = {a, b};
  for (int i = 0; i < 2; ++i) {
    const HANDLE h = CreateFileW(widened(paths[i]).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return false;
    }
    const BOOL ok = GetFileInformationByHandle(h, &info[i]);
    CloseHandle(h);
    if (!ok) {
      return false;
    }
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
#else
  struct stat sa;
  struct stat sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}
