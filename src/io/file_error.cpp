// Failures of file operations and their messages.
#include "io/file_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string describeFailure(const char* operation, const std::string& name, const char* reason) {
  std::string text = "cannot ";
  text += operation;
  text += name.empty() ? " to standard output" : " " + name;
  text += ": ";
  text += reason;
  return text;
}

std::string describeFailure(const FileError& e) {
  if (e.error == kNotRegularFile) {
    return describeFailure(e.operation, e.name,
                           "not a regular file (a data file is replaced as a whole)");
  }
  return describeFailure(e.operation, e.name, std::strerror(e.error));
}

FileError openFailure(const std::string& name, int error) {
  if (error == ENOENT) {
    return FileError();
  }
  return FileError{"open", name, error};
}

void reportFailures(const char* program, const std::vector<FileError>& failures) {
  for (const FileError& e : failures) {
    std::fprintf(stderr, "%s: %s\n", program, describeFailure(e).c_str());
  }
}
