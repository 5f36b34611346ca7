// Block-buffered output, in binary or with the CR LF rule of the listing
// (every LF stored as CR LF), done by our own code so that every platform
// writes the same bytes. The first failure is remembered, with the system's
// error number; nothing more is written after it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "io/platform.h"

// An output file written in large blocks.
struct OutputFile {
  std::FILE* file = nullptr;
  bool text = false;   // every LF stored as CR LF
  int error = 0;       // errno of the first failed open, write, flush or close
  std::string buffer;  // bytes waiting to be written
  std::string path;    // the output as messages name it; "" for standard output
  std::string target;  // a replacement's file to replace (links followed), else ""
  std::string temp;    // a replacement's own file, while it exists
  FileId over;         // the file that the output writes over or into, when known
};

// Creates or empties `path` for writing; false (with `error` set) on failure.
bool openOutput(OutputFile& out, const char* path, bool text);

// Sets `out` to write to standard output, in binary on every platform so that
// every platform writes the same bytes; `over` is the file it is, if known.
void openStandardOutput(OutputFile& out, bool text);

// Makes `out` write to the open stream `file`, as openOutput does; false
// (with `error` set from errno) when `file` is nullptr.
bool attachStream(OutputFile& out, std::FILE* file);

// Appends the bytes of `data`, every LF as CR LF in a text file.
void writeBytes(OutputFile& out, std::string_view data);

// Writes what is buffered, then closes (syncing a replacement to its disk
// first, so that it is put in place only once its data would survive a
// crash); false when any write failed.
bool closeOutput(OutputFile& out);
