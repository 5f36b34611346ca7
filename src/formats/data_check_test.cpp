// The check's report on folders of right and wrong data files.
#include "formats/data_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "formats/file_kind.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A small real PNG's first bytes (its signature and header chunk), then
// filler: 1298 bytes, as an image renamed list.rec would be.
std::string pngImage() {
  std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0(\0\0\0\x1E\x08\0\0\0\0", 29);
  while (png.size() < 1298) {
    png += static_cast<char>(png.size() * 7 % 256);
  }
  return png;
}

// A folder of data files made from the sample, then changed.
struct FolderCase {
  const char* name;
  std::function<void(const fs::path&)> change;
};

const char kSampleWords[] =
    "words.txt: 34 lines, 34 entries\n"
    "  1 entry is never found: an earlier entry has its key (line 33, key \"KATANA\" as on "
    "line 1)\n"
    "  1 entry has a code that names no kanji, shown as ? (line 34, code \"999\")\n";

const std::string kSampleKanji =
    "kanjis.dat: 545 records of 166 bytes; codes 525 to 544 name kanji\n";

const std::string kSampleUnknown =
    "unknown words and codes: 5 words and 2 codes show as ?; listconv-export --format unknown "
    "lists them\n";

const std::string kSampleRecords = "list.rec: 14 records of 666 bytes: 12 listed, 2 not listed\n";

// The data files of the sample under other names.
void rename(const fs::path& dir, const char* from, const char* to) {
  fs::rename(dir / from, dir / to);
}

const FolderCase kFolderCases[] = {
    {"the sample", [](const fs::path&) {}},
    {"a PNG image as list.rec",
     [](const fs::path& dir) { writeBytes(dir / "list.rec", pngImage()); }},
    {"a record cut short",
     [](const fs::path& dir) {
       writeBytes(dir / "list.rec", readBytes(dir / "list.rec").substr(0, 9224));
     }},
    {"a words.txt line cut by the reader, and one that just fits",
     [](const fs::path& dir) {
       writeBytes(dir / "words.txt", readBytes(dir / "words.txt") + "LONGWORD" +
                                         std::string(71, ' ') + "530\r\nFITS" +
                                         std::string(75, 'x') + "\r\nNEXT next 531\r\n");
     }},
    {"keys given twice",
     [](const fs::path& dir) {
       writeBytes(dir / "words.txt", "A a 525\r\nB b 526\r\nA x 527\r\nB y 528\r\n");
     }},
    {"names in upper case",
     [](const fs::path& dir) {
       rename(dir, "kanjis.dat", "KANJIS.DAT");
       rename(dir, "words.txt", "Words.Txt");
       rename(dir, "list.rec", "LIST.REC");
     }},
    {"two names that differ in case",
     [](const fs::path& dir) {
       rename(dir, "list.rec", "LIST.REC");
       fs::copy_file(dir / "LIST.REC", dir / "List.rec");
     }},
    {"no data files",
     [](const fs::path& dir) {
       for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
         fs::remove(dir / name);
       }
     }},
    {"text as kanjis.dat and records as words.txt",
     [](const fs::path& dir) {
       const std::string words = readBytes(dir / "words.txt");
       writeBytes(dir / "words.txt", readBytes(dir / "list.rec"));
       writeBytes(dir / "kanjis.dat", words);
     }},
};

// The report each case of kFolderCases gives, in order; {DIR} stands for
// the folder's path.
const std::string kReports[] = {
    kSampleKanji + kSampleWords + kSampleRecords + kSampleUnknown,

    kSampleKanji + kSampleWords +
        "list.rec: 2 records of 666 bytes: 2 listed, 0 not listed\n"
        "  does not look like list.rec: it starts like a PNG image\n"
        "  the size, 1298 bytes, is not a whole number of 666-byte records: the last 632 bytes "
        "are read as record 2, with 0xFF for its missing 34 bytes\n"
        "unknown words and codes: 2 words and 1 code show as ?; listconv-export --format "
        "unknown lists them\n",

    kSampleKanji + kSampleWords + kSampleRecords +
        "  the size, 9224 bytes, is not a whole number of 666-byte records: the last 566 bytes "
        "are read as record 14, with 0xFF for its missing 100 bytes\n" +
        kSampleUnknown,

    // The cut line's rest, "530", is an entry of its own: it and the lines
    // without codes take the 999 of line 34.
    kSampleKanji +
        "words.txt: 37 lines, 38 entries\n"
        "  1 line is longer than 79 bytes: the reader cuts it there and reads the rest as a "
        "line of its own (line 35)\n"
        "  1 entry is never found: an earlier entry has its key (line 33, key \"KATANA\" as on "
        "line 1)\n"
        "  4 entries have a code that names no kanji, shown as ? (first: line 34, code "
        "\"999\")\n" +
        kSampleRecords + kSampleUnknown,

    kSampleKanji +
        "words.txt: 4 lines, 4 entries\n"
        "  2 entries are never found: an earlier entry has their key (first: line 3, key \"A\" "
        "as on line 1)\n" +
        kSampleRecords +
        "unknown words and codes: 26 words and 2 codes show as ?; listconv-export --format "
        "unknown lists them\n",

    "kanjis.dat (as KANJIS.DAT): 545 records of 166 bytes; codes 525 to 544 name kanji\n"
    "words.txt (as Words.Txt): 34 lines, 34 entries\n"
    "  1 entry is never found: an earlier entry has its key (line 33, key \"KATANA\" as on "
    "line 1)\n"
    "  1 entry has a code that names no kanji, shown as ? (line 34, code \"999\")\n"
    "list.rec (as LIST.REC): 14 records of 666 bytes: 12 listed, 2 not listed\n" +
        kSampleUnknown,

    kSampleKanji + kSampleWords +
        "list.rec: not read: two files could be list.rec in {DIR}: LIST.REC and List.rec\n",

    "kanjis.dat: not there; every kanji code shows as ?\n"
    "words.txt: not there; words get kanji only from codes in brackets and from the record's "
    "own name\n"
    "list.rec: not there; the listing is empty\n",

    "kanjis.dat: 3 records of 166 bytes; no code names a kanji: they start at record 525\n"
    "  does not look like kanjis.dat: it reads as lines of text\n"
    "  the size, 651 bytes, is not a whole number of 166-byte records: the last 153 bytes are "
    "read as record 3, with 0xFF for its missing 13 bytes\n"
    "words.txt: 1 line, 3 entries\n"
    "  does not look like words.txt: it holds bytes that no text file holds\n"
    "  1 line is longer than 79 bytes: the reader cuts it there and reads the rest as a line "
    "of its own (line 1)\n" +
        kSampleRecords +
        "unknown words and codes: 26 words and 15 codes show as ?; listconv-export --format "
        "unknown lists them\n",
};

std::string replaced(std::string text, const std::string& dir) {
  const size_t at = text.find("{DIR}");
  return at == std::string::npos ? text : text.replace(at, 5, dir);
}

TEST(DataCheck, TellsWhatEachFolderHoldsAndWhatLooksWrong) {
  static_assert(std::size(kFolderCases) == std::size(kReports), "a report for every folder");
  const fs::path base =
      fs::temp_directory_path() / ("listconv-data-check-" + std::to_string(std::random_device()()));
  for (size_t i = 0; i < std::size(kFolderCases); ++i) {
    const FolderCase& c = kFolderCases[i];
    SCOPED_TRACE(c.name);
    const fs::path dir = base / std::to_string(i);
    fs::create_directories(dir);
    for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
      fs::copy_file(fs::path(LISTCONV_SAMPLE_DIR) / name, dir / name);
    }
    c.change(dir);

    DataCheck check;
    std::vector<FileError> failures;
    checkDataFiles(dataFilesIn(dir.string()), check, failures);
    TextEncoding encoding;
    std::string report;
    appendDataCheckReport(report, check, encoding, false);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(report, replaced(kReports[i], dir.string()));
  }
  fs::remove_all(base);
}

// First bytes that say what a file is, where a data file should be.
struct KindCase {
  std::string head;
  bool textFile;
  FileKind kind;
};

TEST(FileKind, FirstBytesTellImagesArchivesAndTheWrongKindOfFile) {
  const std::string record("\0\0\0\0\x06A-0001\0\0\x04Masa   ", 21);
  const KindCase cases[] = {
      {pngImage(), false, FileKind::png},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF", false, FileKind::jpeg},
      {"GIF89a\x01\0", true, FileKind::gif},
      {"%PDF-1.4\n", true, FileKind::pdf},
      {"PK\x03\x04\x14\0", false, FileKind::zip},
      {"\x1F\x8B\x08\0", true, FileKind::gzip},
      {"KATANA katana 530\r\nTACHI tachi 533 530\r\n", false, FileKind::text},
      {"KATANA katana 530\r\nTACHI tachi 533 530\r\n", true, FileKind::expected},
      {"KATANA katana 530\r\nTACHI tachi\x1B 533 530\r\nWAKIZASHI wakizashi 533 530 "
       "545\r\nTANTO tanto 533 530\r\n",
       true, FileKind::expected},  // a stray control byte
      {record, true, FileKind::binary},
      {record, false, FileKind::expected},
      {"A record without a line feed", false, FileKind::expected},
      {"", false, FileKind::expected},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.head);
    EXPECT_EQ(sniffFileKind(c.head, c.textFile), c.kind);
  }
}

}  // namespace
