// listconv's command line: the usage and the version are printed without
// touching any file; everything else converts.
#include "driver/command_line.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "io/file_error.h"

#ifndef LISTCONV_VERSION
#error "LISTCONV_VERSION is set by the build"
#endif

const char kUsage[] =
    "Usage: listconv\n"
    "Converts the listing records of the current folder into a text listing.\n"
    "\n"
    "Reads kanjis.dat (the kanji table), words.txt (the dictionary) and list.rec\n"
    "(the records) from the current folder and writes list.txt there, creating\n"
    "or emptying it on every run. A missing input file is passed over. Arguments\n"
    "are ignored, except one of these alone, which touches no file:\n"
    "\n"
    "  -h, --help, /?  print this help and exit\n"
    "  --version       print the version and exit\n"
    "\n"
    "Exit status: 0 on success; 1 when a file could not be opened, read or\n"
    "written, or standard output could not be written (standard error says why).\n"
    "\n"
    "More: 'man listconv' and README.md; listconv-export writes the same records\n"
    "as CSV, JSON Lines or an HTML catalogue.\n";

const char kVersionLine[] = "listconv " LISTCONV_VERSION "\n";

Request requestOf(int argc, const char* const* argv) {
  assert(argc >= 0);
  if (argc != 2) {
    return Request::convert;
  }
  const std::string arg = argv[1];
  if (arg == "--help" || arg == "-h" || arg == "/?") {
    return Request::usage;
  }
  return arg == "--version" ? Request::version : Request::convert;
}

int printOnConsole(const char* program, const std::string& text) {
  errno = 0;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) {
    return 0;
  }
  const FileError e{"write", "", errno != 0 ? errno : EIO};
  std::fprintf(stderr, "%s: %s\n", program, describeFailure(e).c_str());
  return 1;
}
