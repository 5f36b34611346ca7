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

#include "io/win32.h"
#else
#include <sys/stat.h>
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
  in.file = std::fopen(path, "rb");
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
  out.file = std::fopen(path, "wb");
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

bool closeOutput(OutputFile& out) {
  if (out.file == nullptr) {
    return out.error == 0;
  }
  flushBuffer(out);
  if (std::fflush(out.file) != 0 && out.error == 0) {
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

namespace {

// Creates the file `path` for writing, failing when it exists; -1 (errno
// set) on failure.
int createNewFile(const std::string& path) {
#ifdef _WIN32
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
#endif
}

long processId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<long>(getpid());
#endif
}

}  // namespace

bool openReplacement(OutputFile& out, const std::string& path, bool text) {
  out = OutputFile();
  out.text = text;
  out.path = path;
  const long pid = processId();
  for (int attempt = 0; attempt < 100; ++attempt) {
    out.temp = path + ".part-" + std::to_string(pid) + "-" + std::to_string(attempt);
    errno = 0;
    const int fd = createNewFile(out.temp);
    if (fd < 0 && errno == EEXIST) {
      continue;
    }
    if (fd < 0) {
      out.error = errno != 0 ? errno : EIO;
      out.temp.clear();
      return false;
    }
    out.file = fdopen(fd, "wb");
    if (out.file == nullptr) {
      out.error = errno != 0 ? errno : EIO;
      close(fd);
      std::remove(out.temp.c_str());
      out.temp.clear();
      return false;
    }
    out.buffer.reserve(kOutputFlushSize + kOutputFlushSize / 4);
    return true;
  }
  out.error = EEXIST;
  out.temp.clear();
  return false;
}

bool replaceWithOutput(OutputFile& out) {
  assert(out.file == nullptr && !out.temp.empty());
#ifdef _WIN32
  if (MoveFileExA(out.temp.c_str(), out.path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    out.temp.clear();
    return true;
  }
  const DWORD reason = GetLastError();
  out.error = reason == ERROR_ACCESS_DENIED || reason == ERROR_SHARING_VIOLATION ? EACCES
              : reason == ERROR_PATH_NOT_FOUND                                   ? ENOENT
                                                                                 : EIO;
  return false;
#else
  errno = 0;
  if (std::rename(out.temp.c_str(), out.path.c_str()) == 0) {
    out.temp.clear();
    return true;
  }
  out.error = errno != 0 ? errno : EIO;
  return false;
#endif
}

void discardReplacement(OutputFile& out) {
  if (!out.temp.empty()) {
    std::remove(out.temp.c_str());
    out.temp.clear();
  }
}

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
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return false;
  }
  std::fclose(f);
  return true;
}

bool isSameFile(const char* a, const char* b) {
#ifdef _WIN32
  // The volume and the file index of an open handle name the file.
  BY_HANDLE_FILE_INFORMATION info[2];
  const char* paths[2] = {a, b};
  for (int i = 0; i < 2; ++i) {
    const HANDLE h =
        CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
