// Block-buffered output with our own text convention.
#include "io/output_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "io/fault_injection.h"

namespace {

// The fuzzing build makes the flush size tiny as well. Large blocks and
// flushes mean few system calls, which cost much on a virtual machine.
#ifndef LISTCONV_OUTPUT_FLUSH_SIZE
#define LISTCONV_OUTPUT_FLUSH_SIZE (1 << 19)
#endif
const size_t kOutputFlushSize = LISTCONV_OUTPUT_FLUSH_SIZE;

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

bool openOutput(OutputFile& out, const char* path, bool text) {
  out = OutputFile();
  out.text = text;
  errno = 0;
  return attachStream(out, openStream(path, "wb"));
}

void openStandardOutput(OutputFile& out, bool text) {
  out = OutputFile();
  out.text = text;
  useBinaryMode(stdout);
  out.file = stdout;
  // A shell may have made it a file (>> list.rec): which one is known.
  out.over = fileIdOf(stdout);
}

bool attachStream(OutputFile& out, std::FILE* file) {
  out.file = file;
  if (file == nullptr) {
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
  if (!out.temp.empty() && out.error == 0 && !syncToDisk(out.file)) {
    out.error = errno != 0 ? errno : EIO;
  }
  if (std::fclose(out.file) != 0 && out.error == 0) {
    out.error = errno != 0 ? errno : EIO;
  }
  out.file = nullptr;
  return out.error == 0;
}
