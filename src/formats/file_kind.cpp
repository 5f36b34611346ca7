// Telling a data file from an image, a PDF, an archive or the wrong kind of
// file by its first bytes.
#include "formats/file_kind.h"

namespace {

// A kind that a file's first bytes name outright.
struct Signature {
  std::string_view start;
  FileKind kind;
};

const Signature kSignatures[] = {
    {std::string_view("\x89PNG\r\n\x1A\n", 8), FileKind::png},
    {"\xFF\xD8\xFF", FileKind::jpeg},
    {"GIF87a", FileKind::gif},
    {"GIF89a", FileKind::gif},
    {"%PDF-", FileKind::pdf},
    {"PK\x03\x04", FileKind::zip},
    {"PK\x05\x06", FileKind::zip},  // an empty zip
    {"Rar!\x1A\x07", FileKind::rar},
    {"7z\xBC\xAF\x27\x1C", FileKind::sevenZip},
    {"\x1F\x8B", FileKind::gzip},
};

// A control byte that no line of text holds: all below a blank but tab, line
// feed, form feed, carriage return and the DOS end-of-file byte 0x1A; and
// DEL.
bool isBinaryByte(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r' && c != 0x1A) || c == 0x7F;
}

// True when `head` holds a zero byte, or more than one control byte in 64
// that no text has: a stray one is a slip in a text, many are no text.
bool looksBinary(std::string_view head) {
  size_t control = 0;
  for (const char c : head) {
    if (c == '\0') {
      return true;
    }
    control += isBinaryByte(static_cast<unsigned char>(c)) ? 1 : 0;
  }
  return control * 64 > head.size();
}

// True when `head` reads as lines of text: a line feed, and no byte that a
// text lacks. Records have count bytes below a blank in every record.
bool looksText(std::string_view head) {
  if (head.find('\n') == std::string_view::npos) {
    return false;
  }
  for (const char c : head) {
    if (isBinaryByte(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

}  // namespace

FileKind sniffFileKind(std::string_view head, bool textFile) {
  head = head.substr(0, kSniffedBytes);
  for (const Signature& s : kSignatures) {
    if (head.substr(0, s.start.size()) == s.start) {
      return s.kind;
    }
  }
  if (textFile) {
    return looksBinary(head) ? FileKind::binary : FileKind::expected;
  }
  return looksText(head) ? FileKind::text : FileKind::expected;
}

const char* describeFileKind(FileKind kind) {
  switch (kind) {
    case FileKind::png:
      return "it starts like a PNG image";
    case FileKind::jpeg:
      return "it starts like a JPEG image";
    case FileKind::gif:
      return "it starts like a GIF image";
    case FileKind::pdf:
      return "it starts like a PDF document";
    case FileKind::zip:
      return "it starts like a ZIP archive";
    case FileKind::rar:
      return "it starts like a RAR archive";
    case FileKind::sevenZip:
      return "it starts like a 7-Zip archive";
    case FileKind::gzip:
      return "it starts like a gzip-compressed file";
    case FileKind::text:
      return "it reads as lines of text";
    case FileKind::binary:
      return "it holds bytes that no text file holds";
    case FileKind::expected:
      break;
  }
  return "";
}
