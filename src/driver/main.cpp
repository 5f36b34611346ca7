// listconv: converts kanjis.dat, words.txt and list.rec into list.txt.
#include <csignal>

#include "driver/run.h"

// Command-line arguments are accepted and change nothing.
int main() {
#ifdef SIGPIPE
  // A console pipe whose reader has gone is a failed write like any other,
  // seen and reported where the console is written, not a silent end.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  return runConversion();
}
