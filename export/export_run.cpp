// The export's run: tables first, then every record of list.rec, one at a
// time, through the conversion's own record path.
#include "export_run.h"

#include <fcntl.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "driver/run.h"
#include "export_formats.h"
#include "io/file_io.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include "io/win32.h"
#else
#include <unistd.h>
#endif

namespace {

const char kRecordFile[] = "list.rec";
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// Where the export goes: standard output, or a file written under a
// temporary name beside it and renamed into place when the export succeeded.
struct ExportTarget {
  OutputFile out;
  std::string path;  // the output file; "" for standard output
  std::string temp;  // the temporary file, while it exists
};

// The path of a data file in the folder `dir` ("" for the current one).
std::string dataPath(const std::string& dir, const char* name) {
  if (dir.empty()) {
    return name;
  }
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

// Creates a file of a new name beside `path` and opens it for writing;
// false, with out.error set, when none can be created.
bool createTempBeside(ExportTarget& target) {
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = static_cast<long>(getpid());
#endif
  for (int attempt = 0; attempt < 100; ++attempt) {
    target.temp = target.path + ".part-" + std::to_string(pid) + "-" + std::to_string(attempt);
    errno = 0;
#ifdef _WIN32
    const int fd = _open(target.temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                         _S_IREAD | _S_IWRITE);
#else
    const int fd = open(target.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
#endif
    if (fd < 0 && errno == EEXIST) {
      continue;
    }
    if (fd < 0) {
      target.out.error = errno != 0 ? errno : EIO;
      target.temp.clear();
      return false;
    }
    target.out.file = fdopen(fd, "wb");
    if (target.out.file == nullptr) {
      target.out.error = errno != 0 ? errno : EIO;
      close(fd);
      std::remove(target.temp.c_str());
      target.temp.clear();
      return false;
    }
    return true;
  }
  target.out.error = EEXIST;
  target.temp.clear();
  return false;
}

// Opens the export's output: the temporary file beside `path`, or standard
// output (in binary, so that every platform writes the same bytes).
bool openTarget(ExportTarget& target, const std::string& path) {
  target.path = path;
  if (!path.empty()) {
    return createTempBeside(target);
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  target.out.file = stdout;
  return true;
}

// Removes the temporary file, if there is one.
void discardTemp(ExportTarget& target) {
  if (!target.temp.empty()) {
    std::remove(target.temp.c_str());
    target.temp.clear();
  }
}

// Renames the temporary file to the output file, replacing it; false, with
// `error` set, on failure.
bool moveIntoPlace(ExportTarget& target, int& error) {
#ifdef _WIN32
  if (MoveFileExA(target.temp.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    target.temp.clear();
    return true;
  }
  const DWORD reason = GetLastError();
  error = reason == ERROR_ACCESS_DENIED || reason == ERROR_SHARING_VIOLATION ? EACCES
          : reason == ERROR_PATH_NOT_FOUND                                   ? ENOENT
                                                                             : EIO;
  return false;
#else
  if (std::rename(target.temp.c_str(), target.path.c_str()) == 0) {
    target.temp.clear();
    return true;
  }
  error = errno != 0 ? errno : EIO;
  return false;
#endif
}

// Prints "listconv-export: cannot WHAT OUTPUT: reason".
void reportOutputFailure(const ExportTarget& target, const char* what, const char* reason) {
  if (target.path.empty()) {
    std::fprintf(stderr, "%s: cannot %s to standard output: %s\n", gProgramName, what, reason);
  } else {
    std::fprintf(stderr, "%s: cannot %s %s: %s\n", gProgramName, what, target.path.c_str(), reason);
  }
}

// The number of listed records in the record file at `path`, read and
// decoded as the conversion reads them; the catalogue's heading shows it
// before the first row.
int64_t countListedRecords(const std::string& path) {
  InputFile in;
  if (!openInput(in, path.c_str(), false)) {
    return 0;
  }
  RecordBytes bytes;
  SourceRecord record;
  int64_t count = 0;
  do {
    readSourceRecord(in, bytes);
    decodeSourceRecord(bytes, record);
    count += isListed(record) ? 1 : 0;
  } while (!in.atEnd);
  closeInput(in);
  return count;
}

// True when the file at `path` can be opened for reading.
bool isReadable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return false;
  }
  std::fclose(f);
  return true;
}

// The names of the data files there are, for the catalogue's heading.
std::string sourceNames(const std::string& dir) {
  std::string names;
  for (const char* name : {kKanjiFile, kWordFile, kRecordFile}) {
    if (isReadable(dataPath(dir, name))) {
      names += names.empty() ? "" : ", ";
      names += name;
    }
  }
  return names.empty() ? "no data files" : names;
}

// What is written before the first record.
void appendStart(std::string& out, const ExportOptions& options, const CatalogueHeading& heading) {
  if (options.bom) {
    out += kByteOrderMark;
  }
  if (options.format == ExportFormat::csv) {
    appendCsvHeader(out);
  } else if (options.format == ExportFormat::html) {
    appendCatalogueStart(out, heading);
  }
}

// Converts every record of `records` and writes it, one at a time, until the
// end of the records or a failed write (a catalogue page's rows under
// `heading`); returns the number of listed records.
int64_t exportRecords(InputFile& records, const ExportOptions& options, ExportTarget& target,
                      TextEncoding& encoding, UnknownReport& report,
                      const CatalogueHeading& heading) {
  RecordWork work;
  UnknownWords unknown;
  ExportRow row;
  std::string chunk;
  int64_t recordCount = 0;
  const bool noteUnknown = options.format == ExportFormat::unknown;
  do {
    unknown.words.clear();
    unknown.codes.clear();
    if (!convertNextRecord(records, work, recordCount, noteUnknown ? &unknown : nullptr)) {
      continue;
    }
    chunk.clear();
    switch (options.format) {
      case ExportFormat::csv:
        fillExportRow(work, row);
        appendCsvRow(chunk, row, encoding);
        break;
      case ExportFormat::jsonl:
        fillExportRow(work, row);
        appendJsonLine(chunk, row, encoding);
        break;
      case ExportFormat::listing:
        appendListingBlock(chunk, work.block, encoding);
        break;
      case ExportFormat::unknown:
        noteUnknowns(report, work, unknown);
        break;
      case ExportFormat::html:
        fillExportRow(work, row);
        appendCatalogueRow(chunk, row, encoding, recordCount, heading);
        break;
    }
    writeBytes(target.out, chunk);
  } while (!records.atEnd && target.out.error == 0);
  return recordCount;
}

// The input that the output file is, under another name or the same, or
// nullptr: writing the export would destroy it.
const std::string* inputUnderOutput(const std::string& output, const std::string (&inputs)[3]) {
  for (const std::string& input : inputs) {
    if (!output.empty() && isSameFile(output.c_str(), input.c_str())) {
      return &input;
    }
  }
  return nullptr;
}

}  // namespace

int runExport(const ExportOptions& options) {
  const std::string kanjiPath = dataPath(options.dir, kKanjiFile);
  const std::string wordPath = dataPath(options.dir, kWordFile);
  const std::string recordPath = dataPath(options.dir, kRecordFile);
  const std::string inputs[3] = {recordPath, wordPath, kanjiPath};
  if (const std::string* input = inputUnderOutput(options.output, inputs)) {
    std::fprintf(stderr, "%s: %s is the same file as %s\n", gProgramName, options.output.c_str(),
                 input->c_str());
    return 1;
  }

  bool readsOk = loadKanjiTableFrom(kanjiPath.c_str(), KanjiTable);
  readsOk = loadWordDictionaryFrom(wordPath.c_str(), WordDictionary) && readsOk;
  InputFile records;
  const bool haveRecords = openInput(records, recordPath.c_str(), false);
  if (!haveRecords) {
    readsOk = reportOpenFailure(recordPath.c_str(), records.error) && readsOk;
  }

  CatalogueHeading heading;
  if (options.format == ExportFormat::html) {
    heading.title = options.title;
    heading.count = haveRecords ? countListedRecords(recordPath) : 0;
    heading.sources = sourceNames(options.dir);
  }
  ExportTarget target;
  if (!openTarget(target, options.output)) {
    closeInput(records);
    reportOutputFailure(target, "create", std::strerror(target.out.error));
    return 1;
  }

  TextEncoding encoding;
  encoding.utf8 = options.utf8;
  UnknownReport report;
  std::string chunk;
  appendStart(chunk, options, heading);
  writeBytes(target.out, chunk);
  int64_t recordCount = 0;
  if (haveRecords) {
    recordCount = exportRecords(records, options, target, encoding, report, heading);
    closeInput(records);
    readsOk = reportReadFailure(recordPath.c_str(), records.error) && readsOk;
  }
  chunk.clear();
  if (options.format == ExportFormat::unknown) {
    appendUnknownReport(chunk, report, encoding);
  } else if (options.format == ExportFormat::html) {
    appendCatalogueEnd(chunk, heading, recordCount);
  }
  writeBytes(target.out, chunk);

  if (!closeOutput(target.out)) {
    discardTemp(target);
    reportOutputFailure(target, "write", std::strerror(target.out.error));
    return 1;
  }
  if (options.format == ExportFormat::html && readsOk && recordCount != heading.count) {
    std::fprintf(stderr, "%s: %s changed while it was read\n", gProgramName, recordPath.c_str());
    readsOk = false;
  }
  if (!target.path.empty()) {
    // Only a whole export replaces the output file.
    int error = 0;
    if (!readsOk) {
      discardTemp(target);
      reportOutputFailure(target, "write", "the export is incomplete");
      return 1;
    }
    if (!moveIntoPlace(target, error)) {
      discardTemp(target);
      reportOutputFailure(target, "write", std::strerror(error));
      return 1;
    }
  }
  if (encoding.undecodable > 0) {
    std::fprintf(stderr,
                 "%s: %" PRIu64 " bytes could not be decoded as CP932 and were written as U+FFFD\n",
                 gProgramName, static_cast<uint64_t>(encoding.undecodable));
  }
  return readsOk ? 0 : 1;
}
