// Fuzz target: a whole conversion run from fuzzed input files.
//
// Input layout: one flag byte, the length of the kanji file part and of the
// word file part (two bytes each, little-endian, cut to what is there), the
// two parts, and the rest as list.rec. Flag bits: 1 kanjis.dat present,
// 2 words.txt present, 4 list.rec present, 8 the kanji part is put behind
// the 525 records that name no kanji (so its records are looked at).
//
// The run happens in a private folder, where an old list.txt is waiting. With
// list.rec it must end with status 0 (no file fault); standard output must be
// the empty line and the summary with the number of records whose id is not
// eight blanks, counted here from the raw bytes, and list.txt must hold that
// many blocks' worth of text with every line feed stored as CR LF. Without
// list.rec the run ends with status 1 after the empty line and leaves the old
// list.txt as it was.
#include "driver/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "check.h"

namespace {

const size_t kRecordSize = 666;
const size_t kUnnamedKanjiRecords = 525;

// A listing of an earlier run, which a run without list.rec must keep and a
// run with it must replace in full.
const char kOldListing[] = "00001 an earlier listing\r\n";

int gHome = -1;        // the folder the fuzzer was started in
std::string gWorkdir;  // the private folder of the runs
int gConsole = -1;     // the file that stands in for standard output

void removeWorkdir() {
  if (!gWorkdir.empty()) {
    for (const char* name : {"kanjis.dat", "words.txt", "list.rec", "list.txt"}) {
      unlink((gWorkdir + "/" + name).c_str());
    }
    rmdir(gWorkdir.c_str());
  }
}

// Makes the private folder (in memory where possible) and catches standard
// output in a file, so the fuzzer's own output stays readable.
void setUp() {
  gHome = open(".", O_RDONLY | O_DIRECTORY);
  struct stat st;
  const std::string base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
  std::string tmpl = base + "/listconv-fuzz-XXXXXX";
  FUZZ_CHECK(gHome >= 0 && mkdtemp(&tmpl[0]) != nullptr);
  gWorkdir = tmpl;
  std::atexit(removeWorkdir);
  const std::string console = gWorkdir + ".console";
  gConsole = open(console.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND, 0600);
  FUZZ_CHECK(gConsole >= 0);
  unlink(console.c_str());
  std::fflush(stdout);
  FUZZ_CHECK(dup2(gConsole, STDOUT_FILENO) >= 0);
}

// What the program printed on standard output since the last call.
std::string takeConsole() {
  std::fflush(stdout);
  std::string out;
  char buf[4096];
  off_t at = 0;
  for (ssize_t n; (n = pread(gConsole, buf, sizeof buf, at)) > 0; at += n) {
    out.append(buf, static_cast<size_t>(n));
  }
  FUZZ_CHECK(ftruncate(gConsole, 0) == 0);
  return out;
}

void putFile(const char* name, const std::string& bytes, bool present) {
  unlink(name);
  if (present) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
}

std::string readFile(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The number of records of `recs` that are listed: those whose id is not
// eight blanks. Every pass reads a whole record, missing bytes being 0xFF,
// and a file that ends at a record boundary gets one more pass (never listed).
int64_t listedRecords(const std::string& recs) {
  int64_t listed = 0;
  for (size_t at = 0; at < recs.size(); at += kRecordSize) {
    std::string r = recs.substr(at, kRecordSize);
    r.resize(kRecordSize, '\xFF');
    const int count = static_cast<signed char>(r[4]);
    if (count <= 0) {
      continue;
    }
    const std::string id = r.substr(5, count < 8 ? count : 8);
    if (id.find('\0') != std::string::npos || id.find_first_not_of(' ') != std::string::npos) {
      ++listed;
    }
  }
  return listed;
}

uint16_t takeLength(const uint8_t*& data, size_t& size) {
  uint16_t n = 0;
  for (int i = 0; i < 2 && size > 0; ++i, ++data, --size) {
    n = static_cast<uint16_t>(n | (*data << (8 * i)));
  }
  return n;
}

std::string takeBytes(const uint8_t*& data, size_t& size, size_t n) {
  n = n < size ? n : size;
  std::string bytes(reinterpret_cast<const char*>(data), n);
  data += n;
  size -= n;
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (gHome < 0) {
    setUp();
  }
  const uint8_t flags = size > 0 ? data[0] : 0;
  if (size > 0) {
    ++data;
    --size;
  }
  const uint16_t kanjiLength = takeLength(data, size);
  const uint16_t wordsLength = takeLength(data, size);
  std::string kanjis = takeBytes(data, size, kanjiLength);
  const std::string words = takeBytes(data, size, wordsLength);
  const std::string recs = takeBytes(data, size, size);
  if ((flags & 8) != 0) {
    kanjis.insert(0, kUnnamedKanjiRecords * kKanjiRecordSize, 'k');
  }
  const bool haveRecords = (flags & 4) != 0;

  FUZZ_CHECK(chdir(gWorkdir.c_str()) == 0);
  putFile("kanjis.dat", kanjis, (flags & 1) != 0);
  putFile("words.txt", words, (flags & 2) != 0);
  putFile("list.rec", recs, haveRecords);
  putFile("list.txt", kOldListing, true);
  const int status = runConversion();
  const std::string console = takeConsole();
  const std::string listing = readFile("list.txt");
  FUZZ_CHECK(fchdir(gHome) == 0);

  if (!haveRecords) {
    FUZZ_CHECK(status == 1);
    FUZZ_CHECK(console == "\n");
    FUZZ_CHECK(listing == kOldListing);
    return 0;
  }
  FUZZ_CHECK(status == 0);
  const int64_t listed = listedRecords(recs);
  FUZZ_CHECK(console == "\n" + std::to_string(listed) + " records written to file LIST.TXT\n");

  FUZZ_CHECK((listed == 0) == listing.empty());
  if (listed > 0) {
    FUZZ_CHECK(listing.compare(0, 6, "00001 ") == 0);
    const std::string end = "\r\n\r\n----------\r\n";
    FUZZ_CHECK(listing.size() >= end.size() &&
               listing.compare(listing.size() - end.size(), end.size(), end) == 0);
  }
  const std::string separator = "\n----------\r\n";
  size_t separators = 0;
  for (size_t i = 0; i < listing.size(); ++i) {
    if (listing[i] == '\n') {
      FUZZ_CHECK(i > 0 && listing[i - 1] == '\r');
    }
    if (listing.compare(i, separator.size(), separator) == 0) {
      ++separators;
    }
  }
  FUZZ_CHECK(separators >= static_cast<size_t>(listed));
  return 0;
}
