// listconv: converts kanjis.dat, words.txt and list.rec into list.txt.
#include "driver/command_line.h"
#include "driver/run.h"
#include "io/file_io.h"

// --help, -h, /? or --version alone prints the usage or the version and
// touches no file; any other arguments are accepted and change nothing.
int main(int argc, char** argv) {
  // A console pipe whose reader has gone is a failed write like any other,
  // seen and reported where the console is written, not a silent end.
  ignoreBrokenPipe();
  switch (requestOf(argc, argv)) {
    case Request::usage:
      return printOnConsole(kUsage);
    case Request::version:
      return printOnConsole(kVersionLine);
    case Request::convert:
      break;
  }
  return runConversion();
}
