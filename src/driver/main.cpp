// listconv: converts kanjis.dat, words.txt and list.rec into list.txt.
#include <cstdio>
#include <new>

#include "driver/command_line.h"
#include "driver/run.h"
#include "io/platform.h"

namespace {

// --help, -h, /? or --version alone prints the usage or the version and
// touches no file; any other arguments are accepted and change nothing.
int runCommandLine(int argc, char** argv) {
  switch (requestOf(argc, argv)) {
    case Request::usage:
      return printOnConsole(kConverterName, kUsage);
    case Request::version:
      return printOnConsole(kConverterName, kVersionLine);
    case Request::convert:
      break;
  }
  return runConversion();
}

}  // namespace

int main(int argc, char** argv) {
  // A console pipe whose reader has gone, or a file-size limit, is a failed
  // write like any other, seen and reported where the file is written, not
  // a silent end.
  failWritesInsteadOfSignals();
  try {
    return runCommandLine(argc, argv);
  } catch (const std::bad_alloc&) {
    // list.txt keeps what was written, as after any failed write.
    std::fprintf(stderr, "%s: out of memory\n", kConverterName);
    return 1;
  }
}
