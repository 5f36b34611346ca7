// listconv: converts kanjis.dat, words.txt and list.rec into list.txt.
#include "driver/run.h"
#include "io/file_io.h"

// Command-line arguments are accepted and change nothing.
int main() {
  // A console pipe whose reader has gone is a failed write like any other,
  // seen and reported where the console is written, not a silent end.
  ignoreBrokenPipe();
  return runConversion();
}
