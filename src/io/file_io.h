// The program's file I/O: block-buffered input and output in binary or
// Windows text conventions, done by our own code so that every platform reads
// and writes the same bytes. Read and write failures are kept apart from the
// end of the data and remembered, with the system's error number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// How many bytes an input file is read in at a time. The fuzzing build
// makes it tiny, so that small inputs cross many block ends.
#ifndef LISTCONV_INPUT_BLOCK_SIZE
#define LISTCONV_INPUT_BLOCK_SIZE (1 << 18)
#endif
const size_t kInputBlockSize = LISTCONV_INPUT_BLOCK_SIZE;

// An input file read in large blocks.
struct InputFile {
  std::FILE* file = nullptr;
  bool text = false;   // CR before LF dropped, byte 0x1A ends the data
  bool atEnd = false;  // a read has found no more data
  int error = 0;       // errno of a failed read; the data then ends there
  std::vector<unsigned char> block;
  size_t pos = 0;  // the next byte of `block` to deliver
  size_t len = 0;  // how many bytes of `block` hold data
};

// Opens `path` for reading; false, with `error` set to the system's reason,
// when it cannot be opened.
bool openInput(InputFile& in, const char* path, bool text);

// Closes the file; safe to call on a file that did not open.
void closeInput(InputFile& in);

// Fills `out` with the next `n` bytes; bytes past the end of the data read as
// 0xFF and mark the end as met.
void readRecordBytes(InputFile& in, unsigned char* out, size_t n);

// Reads the next piece of a line as a line read into a buffer of
// `maxChars` + 1 bytes would: up to and including the next line feed, at most
// `maxChars` bytes. False, with `out` empty, when no more data was found.
bool readLinePiece(InputFile& in, std::string& out, size_t maxChars);

// An output file written in large blocks.
struct OutputFile {
  std::FILE* file = nullptr;
  bool text = false;   // every LF stored as CR LF
  int error = 0;       // errno of the first failed open, write, flush or close
  std::string buffer;  // bytes waiting to be written
};

// Creates or empties `path` for writing; false (with `error` set) on failure.
bool openOutput(OutputFile& out, const char* path, bool text);

// Appends the bytes of `data`, every LF as CR LF in a text file.
void writeBytes(OutputFile& out, std::string_view data);

// Writes what is buffered, then closes; false when any write failed.
bool closeOutput(OutputFile& out);

// The program that the messages below start with ("listconv: ..."): listconv
// unless another program of the project sets its own name at its start.
extern const char* gProgramName;

// Prints "listconv: cannot read NAME: reason" on standard error when `error`
// is set; true when it is not.
bool reportReadFailure(const char* name, int error);

// For an input that did not open with `error`: prints "listconv: cannot open
// NAME: reason" on standard error, unless the file does not exist, which is
// no failure; true when it does not exist.
bool reportOpenFailure(const char* name, int error);

// True when `a` and `b` both name existing files and these are one and the
// same file (through a link, say): the same device and inode, or on Windows
// the same volume and file index.
bool isSameFile(const char* a, const char* b);

// Failures injected by tests. Once this many more bytes have been read
// (over all files), the next read that would deliver data fails with EIO;
// once this many more bytes have been written, the next write fails with EIO
// after writing what fits; the next opening of an input named
// `openFailName` fails with `openFailError`. Each fires once and then goes
// back to never. Negative (or an empty name) means never.
struct InjectedFaults {
  int64_t readFailAfter = -1;
  int64_t writeFailAfter = -1;
  std::string openFailName;
  int openFailError = 0;
};
extern InjectedFaults gInjectedFaults;
