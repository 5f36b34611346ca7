// What the first bytes of a data file say it is, when it is not the file
// its name says: an image, a PDF, an archive, or text where records belong
// and the reverse.
#pragma once

#include <cstddef>
#include <string_view>

// What a file's first bytes look like.
enum class FileKind {
  expected,  // nothing says it is anything but the file its name says
  png,
  jpeg,
  gif,
  pdf,
  zip,
  rar,
  sevenZip,
  gzip,
  text,    // lines of text, where fixed binary records belong
  binary,  // bytes no text holds, where lines of text belong
};

// How many of a file's first bytes sniffFileKind looks at, at most.
constexpr size_t kSniffedBytes = 4096;

// What the first bytes `head` of a file say it is. `textFile`: the file
// should be text (words.txt), else fixed binary records (kanjis.dat,
// list.rec).
FileKind sniffFileKind(std::string_view head, bool textFile);

// What a kind's first bytes say, for a person: "it starts like a PNG
// image", "it reads as lines of text"; "" for expected.
const char* describeFileKind(FileKind kind);
