// listconv: converts kanjis.dat, words.txt and list.rec into list.txt.
#include "driver/run.h"

// Command-line arguments are accepted and change nothing.
int main() {
  return runConversion();
}
