// The value every file operation of the programs returns when it fails, and
// its message: each program prints it under its own name.
#pragma once

#include <string>
#include <vector>

// What failed in a file operation: the operation ("open", "read", "create",
// "write"), the file as a message names it ("" for standard output) and the
// system's reason (an errno value). Nothing failed while `error` is 0.
struct FileError {
  const char* operation = "";
  std::string name;
  int error = 0;
};

// The reason of a FileError for a file that is to be replaced as a whole but
// is not a regular file (a device, a FIFO); no errno has this value.
const int kNotRegularFile = -2;

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

// Prints "PROGRAM: MESSAGE" on standard error for every failure.
void reportFailures(const char* program, const std::vector<FileError>& failures);
