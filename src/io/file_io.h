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
  std::string path;    // the output as messages name it; "" for standard output
  std::string target;  // a replacement's file to replace (links followed), else ""
  std::string temp;    // a replacement's own file, while it exists
};

// Creates or empties `path` for writing; false (with `error` set) on failure.
bool openOutput(OutputFile& out, const char* path, bool text);

// Appends the bytes of `data`, every LF as CR LF in a text file.
void writeBytes(OutputFile& out, std::string_view data);

// Writes what is buffered, then closes; false when any write failed.
bool closeOutput(OutputFile& out);

// What failed in a file operation: the operation ("open", "read", "create",
// "write"), the file as a message names it ("" for standard output) and the
// system's reason (an errno value). Nothing failed while `error` is 0.
struct FileError {
  const char* operation = "";
  std::string name;
  int error = 0;
};

// True when a failure is recorded.
inline bool failed(const FileError& e) {
  return e.error != 0;
}

// The message of a failure, without the program's name: "cannot read NAME:
// reason", or "cannot write to standard output: reason" for a nameless file.
std::string describeFailure(const FileError& e);

// The same message with a reason given as text.
std::string describeFailure(const char* operation, const std::string& name, const char* reason);

// The failure of an input named `name` that did not open with `error`; none
// when the file does not exist, which is no failure.
FileError openFailure(const std::string& name, int error);

// The failure of the reads of an input named `name`; none when every read
// succeeded.
FileError readFailure(const std::string& name, const InputFile& in);

// Sets `out` to write to standard output, in binary on every platform so that
// every platform writes the same bytes.
void openStandardOutput(OutputFile& out, bool text);

// Opens the file `path` names for an export's output. A regular file, or a
// name that is not there yet, is written as a replacement: a new file of a
// short hidden name (".lcx-" and six random characters) in the same folder,
// put in place by replaceWithOutput once it is whole, and removed by
// discardReplacement or when the program is ended by SIGINT, SIGTERM or
// SIGHUP (Ctrl-C, Ctrl-Break or a closed console on Windows). A symbolic
// link is followed: the file it leads to is replaced and the link stays.
// The replacement takes the permission bits of the file it replaces (and its
// owner and group, where the user may give them); a new file gets 0666 under
// the umask. Anything else (a device, a FIFO, a socket, an open file reached
// through /proc such as /dev/stdout) is written in place, directly. Returns
// what failed: "create" for a new name, "write" for an existing file that
// cannot be written (a folder, a read-only file).
FileError openExportOutput(OutputFile& out, const std::string& path, bool text);

// True when `out` is a replacement, not yet put in place or discarded.
bool isReplacement(const OutputFile& out);

// After closeOutput of a replacement: renames it to the file it replaces;
// false (with `error` set, and the new file still there) on failure.
bool replaceWithOutput(OutputFile& out);

// Removes the file of a replacement that is not to be put in place.
void discardReplacement(OutputFile& out);

// What is wrong with `dir` as the folder of the data files: none when it is
// a folder; else "use", `dir` and the reason (ENOTDIR for a file).
FileError folderFailure(const std::string& dir);

// Makes a write to a pipe whose reader has gone fail as any other write
// does, instead of ending the program by a signal.
void ignoreBrokenPipe();

// True when the file at `path` is there and may be read; it is not opened
// (a FIFO given as a data file is read once, by the run).
bool canOpenForReading(const std::string& path);

// Makes `dir` the current folder; 0, or the system's reason when it cannot.
int enterFolder(const char* dir);

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
