// What the fuzz targets use to report a broken expectation.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run as a crash, naming the expectation, when `cond` is false.
#define FUZZ_CHECK(cond)                                                                  \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (false)
