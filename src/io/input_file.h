// Block-buffered input, in binary or in the Windows text convention (CR LF
// read as LF, byte 0x1A ending the data), done by our own code so that every
// platform reads the same bytes. A failed read is kept apart from the end of
// the data and remembered, with the system's error number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_error.h"

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
  size_t pos = 0;          // the next byte of `block` to deliver
  size_t len = 0;          // how many bytes of `block` hold data
  uint64_t bytesRead = 0;  // bytes the file has given so far, before any text translation
};

// The byte that ends the data of a file read in the text convention (DOS's
// end-of-file mark): the readers stop at it, and no writer writes it.
const char kCtrlZ = 0x1A;

// Opens `path` for reading; false, with `error` set to the system's reason,
// when it cannot be opened.
bool openInput(InputFile& in, const char* path, bool text);

// Reads standard input, in binary on every platform (`text` as for openInput).
void openStandardInput(InputFile& in, bool text);

// Closes the file; safe to call on a file that did not open. Standard input
// is left open, only let go.
void closeInput(InputFile& in);

// The size of the file in bytes; false, with in.error set, when the file has
// none that can be told (a pipe) or it is too large for the system's seek.
bool inputSize(InputFile& in, uint64_t& size);

// Makes the next byte read the one at `offset` from the file's start, the
// end no longer met; false, with in.error set, when the file cannot seek.
bool seekInput(InputFile& in, uint64_t offset);

// True when the byte at `offset` is in the block in hand, so that seekInput
// to it costs no read.
bool inBlock(const InputFile& in, uint64_t offset);

// Fills `out` with the `n` bytes at `offset` by a read of their own, apart
// from the block, whose reads go on where they were: for a record here and
// there in a large file. Bytes past the end read as 0xFF (the end is not
// marked). Returns how many came from the file; in.error is set when a seek
// or read failed.
size_t readBytesAt(InputFile& in, uint64_t offset, unsigned char* out, size_t n);

// Fills `out` with the next `n` bytes; bytes past the end of the data read as
// 0xFF and mark the end as met. Returns how many bytes came from the file.
size_t readRecordBytes(InputFile& in, unsigned char* out, size_t n);

// The first bytes of a file just opened, at most `n` (up to kInputBlockSize),
// as they stand in the file (before any text translation), without taking
// them: the reads after see them again. Fewer than `n` only where the file
// ends or a read fails first. The view stays valid until the next read.
std::string_view peekBytes(InputFile& in, size_t n);

// Reads the next piece of a line as a line read into a buffer of
// `maxChars` + 1 bytes would: up to and including the next line feed, at most
// `maxChars` bytes. False, with `out` empty, when no more data was found.
bool readLinePiece(InputFile& in, std::string& out, size_t maxChars);

// The failure of the reads of an input named `name`; none when every read
// succeeded.
FileError readFailure(const std::string& name, const InputFile& in);
