// Block-buffered input with our own text convention.
#include "io/input_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "io/fault_injection.h"
#include "io/platform.h"

namespace {

const int kEndOfData = -1;

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
  in.bytesRead += in.len;
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

}  // namespace

bool openInput(InputFile& in, const char* path, bool text) {
  in = InputFile();
  in.text = text;
  if (const int injected = takeInjectedOpenFailure(path)) {
    in.error = injected;
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

void openStandardInput(InputFile& in, bool text) {
  in = InputFile();
  in.text = text;
  useBinaryMode(stdin);
  in.file = stdin;
}

void closeInput(InputFile& in) {
  if (in.file != nullptr && in.file != stdin) {
    std::fclose(in.file);
  }
  in.file = nullptr;
}

namespace {

// Moves the stream to `offset` through the standard seek, whose offset is a
// long (32 bits on Windows); false, with `error` set, when it cannot.
bool seekStream(std::FILE* f, uint64_t offset, int whence, int& error) {
  if (offset > static_cast<uint64_t>(LONG_MAX)) {
    error = EOVERFLOW;
    return false;
  }
  errno = 0;
  if (std::fseek(f, static_cast<long>(offset), whence) != 0) {
    error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

}  // namespace

bool inputSize(InputFile& in, uint64_t& size) {
  if (in.file == nullptr) {
    return false;
  }
  // The block already read stands before the stream's position.
  const uint64_t at = in.bytesRead;
  int error = 0;
  if (!seekStream(in.file, 0, SEEK_END, error)) {
    in.error = error;
    return false;
  }
  errno = 0;
  const long end = std::ftell(in.file);
  if (end < 0 || !seekStream(in.file, at, SEEK_SET, error)) {
    in.error = end < 0 ? (errno != 0 ? errno : EIO) : error;
    return false;
  }
  size = static_cast<uint64_t>(end);
  return true;
}

bool inBlock(const InputFile& in, uint64_t offset) {
  return !in.atEnd && offset >= in.bytesRead - in.len && offset < in.bytesRead;
}

bool seekInput(InputFile& in, uint64_t offset) {
  if (in.file == nullptr) {
    return false;
  }
  if (inBlock(in, offset)) {
    in.pos = static_cast<size_t>(offset - (in.bytesRead - in.len));
    return true;
  }
  int error = 0;
  if (!seekStream(in.file, offset, SEEK_SET, error)) {
    in.error = error;
    return false;
  }
  std::clearerr(in.file);
  in.atEnd = false;
  in.pos = 0;
  in.len = 0;
  in.bytesRead = offset;
  return true;
}

size_t readBytesAt(InputFile& in, uint64_t offset, unsigned char* out, size_t n) {
  size_t got = 0;
  if (in.file != nullptr && in.error == 0 && seekStream(in.file, offset, SEEK_SET, in.error)) {
    got = readFromStream(in.file, out, n, in.error);
    std::clearerr(in.file);
    // Back to where the block's next refill reads.
    if (in.error == 0) {
      seekStream(in.file, in.bytesRead, SEEK_SET, in.error);
    }
  }
  std::memset(out + got, 0xFF, n - got);
  return got;
}

size_t readRecordBytes(InputFile& in, unsigned char* out, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (!haveData(in)) {
      std::memset(out + done, 0xFF, n - done);
      return done;
    }
    const size_t take = std::min(n - done, in.len - in.pos);
    std::memcpy(out + done, in.block.data() + in.pos, take);
    in.pos += take;
    done += take;
  }
  return done;
}

std::string_view peekBytes(InputFile& in, size_t n) {
  // A block holds at least the first bytes of the file in one piece: the
  // block is refilled only when all of it has been taken.
  if (in.pos == in.len) {
    refill(in);
  }
  const size_t have = std::min(n, in.len - in.pos);
  return std::string_view(reinterpret_cast<const char*>(in.block.data()) + in.pos, have);
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

FileError readFailure(const std::string& name, const InputFile& in) {
  return in.error == 0 ? FileError() : FileError{"read", name, in.error};
}
