// Writes a benchmark data set (kanjis.dat, words.txt, list.rec) into a folder.
//
//   listconv_bench_data [--kanji K] [--words W] [--records R] [--seed S] [--out DIR]
//
// The same options always give the same bytes.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "synthetic.h"

namespace {

// What to generate and where.
struct Options {
  long long kanjiCount = 7000;
  long long wordCount = 30000;
  long long recordCount = 100000;
  unsigned long long seed = 1;
  std::string folder = "data";
};

void printUsage() {
  std::fprintf(stderr,
               "usage: listconv_bench_data [--kanji K] [--words W] [--records R] [--seed S] "
               "[--out DIR]\n"
               "  defaults: K=7000 (more than 525), W=30000 (at least 1), R=100000, S=1, "
               "DIR=data\n");
}

// Reads a whole decimal number of at least `min`; false when it is not one.
bool parseCount(const char* text, long long min, long long& value) {
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || n < min) {
    return false;
  }
  value = n;
  return true;
}

// Fills `options` from the command line; false on a bad or unknown option.
bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) {
      return false;
    }
    const char* value = argv[++i];
    long long seed = 0;
    bool ok = true;
    if (name == "--kanji") {
      ok = parseCount(value, synthetic::kFirstKanjiCode + 1, options.kanjiCount);
    } else if (name == "--words") {
      ok = parseCount(value, 1, options.wordCount);
    } else if (name == "--records") {
      ok = parseCount(value, 0, options.recordCount);
    } else if (name == "--seed") {
      ok = parseCount(value, 0, seed);
      options.seed = static_cast<unsigned long long>(seed);
    } else if (name == "--out") {
      options.folder = value;
    } else {
      ok = false;
    }
    if (!ok) {
      return false;
    }
  }
  return true;
}

// A file written through a large buffer; remembers the first failure.
struct Sink {
  std::FILE* file = nullptr;
  std::string path;
  bool failed = false;
};

bool openSink(Sink& sink, const std::string& path) {
  sink.path = path;
  sink.file = std::fopen(path.c_str(), "wb");
  if (sink.file == nullptr) {
    std::fprintf(stderr, "listconv_bench_data: cannot create %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  std::setvbuf(sink.file, nullptr, _IOFBF, 1 << 20);
  return true;
}

void put(Sink& sink, const std::string& bytes) {
  if (!sink.failed && std::fwrite(bytes.data(), 1, bytes.size(), sink.file) != bytes.size()) {
    sink.failed = true;
  }
}

// Closes the file; false (with a message) when any write failed.
bool closeSink(Sink& sink) {
  const bool closed = std::fclose(sink.file) == 0;
  if (sink.failed || !closed) {
    std::fprintf(stderr, "listconv_bench_data: cannot write %s\n", sink.path.c_str());
    return false;
  }
  return true;
}

bool writeKanjiFile(const Options& options) {
  Sink sink;
  if (!openSink(sink, options.folder + "/kanjis.dat")) {
    return false;
  }
  for (long long code = 0; code < options.kanjiCount; ++code) {
    put(sink, synthetic::kanjiRecord(code));
  }
  return closeSink(sink);
}

// Writes words.txt and collects its keys for the records' word texts.
bool writeWordFile(const Options& options, synthetic::Rng& rng, std::vector<std::string>& keys) {
  Sink sink;
  if (!openSink(sink, options.folder + "/words.txt")) {
    return false;
  }
  keys.reserve(static_cast<size_t>(options.wordCount));
  for (long long i = 0; i < options.wordCount; ++i) {
    const synthetic::DictionaryLine line = synthetic::randomDictionaryLine(rng, options.kanjiCount);
    put(sink, synthetic::formatDictionaryLine(line));
    keys.push_back(line.key);
  }
  return closeSink(sink);
}

bool writeRecordFile(const Options& options, synthetic::Rng& rng,
                     const std::vector<std::string>& keys) {
  Sink sink;
  if (!openSink(sink, options.folder + "/list.rec")) {
    return false;
  }
  for (long long i = 0; i < options.recordCount; ++i) {
    put(sink, synthetic::randomListingRecord(rng, i, keys, options.kanjiCount));
  }
  return closeSink(sink);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    printUsage();
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(options.folder, error);
  if (error) {
    std::fprintf(stderr, "listconv_bench_data: cannot create %s: %s\n", options.folder.c_str(),
                 error.message().c_str());
    return 1;
  }
  synthetic::Rng rng{options.seed};
  std::vector<std::string> keys;
  if (!writeKanjiFile(options) || !writeWordFile(options, rng, keys) ||
      !writeRecordFile(options, rng, keys)) {
    return 1;
  }
  std::printf("wrote %s: %lld kanji records, %lld dictionary lines, %lld listing records\n",
              options.folder.c_str(), options.kanjiCount, options.wordCount, options.recordCount);
  return 0;
}
