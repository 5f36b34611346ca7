// The export's run: tables first, then every record of list.rec, one at a
// time, through the conversion's own record path.
#include "formats/export_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "driver/data_files.h"
#include "driver/run.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "io/replacement_file.h"
#include "records/stored_record.h"
#include "tables/kanji_table.h"
#include "textutil/core.h"
#include "textutil/text_bytes.h"

namespace {

const char kProgram[] = "listconv-export";

// Prints "listconv-export: cannot WHAT OUTPUT: reason".
void reportOutputFailure(const OutputFile& out, const char* what, const char* reason) {
  std::fprintf(stderr, "%s: %s\n", kProgram, describeFailure(what, out.path, reason).c_str());
}

// Prints "listconv-export: cannot WHAT OUTPUT: the system's reason".
void reportOutputFailure(const OutputFile& out, const char* what) {
  reportFailures(kProgram, {FileError{what, out.path, out.error}});
}

// The names of the data files there are, for the catalogue's heading.
std::string sourceNames(const DataFiles& files) {
  std::string names;
  const std::pair<const char*, const std::string*> inputs[] = {
      {kKanjiFile, &files.kanji}, {kWordFile, &files.words}, {kRecordFile, &files.records}};
  for (const auto& [name, path] : inputs) {
    if (canOpenForReading(*path)) {
      names += names.empty() ? "" : ", ";
      names += name;
    }
  }
  return names.empty() ? "no data files" : names;
}

// Writes the row of `item` to `out`, through `chunk`, reused from row to row.
void writeRow(const ExportFormat& format, const ExportItem& item, ExportState& state,
              OutputFile& out, std::string& chunk) {
  chunk.clear();
  format.row(chunk, item, state);
  writeBytes(out, chunk);
}

// Writes a row for every listed record of list.rec, converted as for the
// listing; returns their number.
int64_t exportListedRecords(RunInputs& inputs, const ExportFormat& format, ExportState& state,
                            OutputFile& out, std::string& chunk) {
  if (!inputs.haveRecords) {
    return 0;
  }
  RecordWork work;
  UnknownWords unknown;
  ExportItem item;
  item.block = &work.block;
  item.unknown = &unknown;
  return convertRecords(inputs.records, inputs.tables, &out, work,
                        format.notesUnknown ? &unknown : nullptr,
                        [&] { writeRow(format, item, state, out, chunk); });
}

// Writes a row for every record of list.rec as stored, a last part record
// included; returns their number.
int64_t exportStoredRecords(RunInputs& inputs, const ExportFormat& format, ExportState& state,
                            OutputFile& out, std::string& chunk) {
  if (!inputs.haveRecords) {
    return 0;
  }
  RecordBytes bytes;
  StoredRecord record;
  ExportItem item;
  item.stored = &record;
  // A read that finds no byte of the file is no record: it only meets the end.
  while (out.error == 0 && readRecordBytes(inputs.records, bytes.data(), bytes.size()) > 0) {
    readStoredRecord(bytes, record);
    ++item.position;
    writeRow(format, item, state, out, chunk);
  }
  return item.position;
}

// Writes a row for every entry of words.txt, as the loader takes it; returns
// their number, and sets `failure` to what failed in reading the file.
int64_t exportWordEntries(const DataFiles& files, RunInputs& inputs, const ExportFormat& format,
                          ExportState& state, OutputFile& out, std::string& chunk,
                          std::vector<FileError>& failures) {
  std::unordered_set<std::string> keys;  // of the entries before
  ExportItem item;
  int64_t entries = 0;
  const FileError failure =
      listWordEntries(files.words.c_str(), inputs.tables.kanji, [&](const ListedWordEntry& entry) {
        item.entry = &entry;
        item.found = keys.insert(entry.entry->key).second;
        ++entries;
        writeRow(format, item, state, out, chunk);
      });
  if (failed(failure)) {
    failures.push_back(failure);
  }
  return entries;
}

// Writes the check of the data files, which it reads itself; returns 1, its
// one row.
int64_t exportDataCheck(const DataFiles& files, const ExportFormat& format, ExportState& state,
                        OutputFile& out, std::string& chunk, std::vector<FileError>& failures) {
  DataCheck check;
  checkDataFiles(files, check, failures, state.report.limit);
  ExportItem item;
  item.check = &check;
  writeRow(format, item, state, out, chunk);
  return 1;
}

// Writes a row for every code of kanjis.dat's records that can show a kanji;
// returns their number.
int64_t exportKanjiCodes(RunInputs& inputs, const ExportFormat& format, ExportState& state,
                         OutputFile& out, std::string& chunk) {
  const KanjiTable& table = inputs.tables.kanji;
  ExportItem item;
  int64_t codes = 0;
  for (size_t code = kFirstKanjiCode; code < table.size() && out.error == 0; ++code) {
    // The last entry is the read that met the end of the file: a record only
    // when part of one was there.
    if (code + 1 == table.size() && withoutTrailingBlanks(table[code]).empty()) {
      break;
    }
    item.code = static_cast<int32_t>(code);
    item.kanji = lookupKanjiNumber(table, item.code).text;
    ++codes;
    writeRow(format, item, state, out, chunk);
  }
  return codes;
}

// Writes the export's first part, a row for everything its source gives,
// one at a time, until the end or a failed write, and its last part;
// returns the number of rows. What failed in reading a file that only the
// export reads is added to `failures`.
int64_t exportRows(const DataFiles& files, RunInputs& inputs, const ExportFormat& format,
                   ExportState& state, OutputFile& out, bool bom,
                   std::vector<FileError>& failures) {
  std::string chunk;
  if (bom) {
    chunk += kByteOrderMark;
  }
  format.begin(chunk, state);
  writeBytes(out, chunk);
  int64_t rows = 0;
  switch (format.source) {
    case ExportSource::listedRecords:
      rows = exportListedRecords(inputs, format, state, out, chunk);
      break;
    case ExportSource::storedRecords:
      rows = exportStoredRecords(inputs, format, state, out, chunk);
      break;
    case ExportSource::wordEntries:
      rows = exportWordEntries(files, inputs, format, state, out, chunk, failures);
      break;
    case ExportSource::dataFiles:
      rows = exportDataCheck(files, format, state, out, chunk, failures);
      break;
    case ExportSource::kanjiCodes:
      rows = exportKanjiCodes(inputs, format, state, out, chunk);
      break;
  }
  chunk.clear();
  format.end(chunk, state, rows);
  writeBytes(out, chunk);
  return rows;
}

// The data files a format reads.
RunReads readsOf(const ExportFormat& format) {
  switch (format.source) {
    case ExportSource::storedRecords:
      return RunReads{false, false, true};
    case ExportSource::wordEntries:  // words.txt is read as it is written out
    case ExportSource::kanjiCodes:
      return RunReads{true, false, false};
    case ExportSource::dataFiles:  // the check reads every file itself
      return RunReads{false, false, false};
    default:
      return RunReads();
  }
}

// True when the data file that a format lists is not there.
bool isMissing(const ExportFormat& format, const DataFiles& files, const RunInputs& inputs) {
  switch (format.source) {
    case ExportSource::wordEntries:
      return !fileIdAt(files.words).known;
    case ExportSource::kanjiCodes:
      return !fileIdAt(files.kanji).known;
    case ExportSource::dataFiles:  // a missing file is part of the check's report
      return false;
    default:
      return !inputs.haveRecords && inputs.records.error == ENOENT;
  }
}

// Prints why the output `output` ("" for standard output) is refused: it is
// the input `input`.
void reportOutputIsInput(const std::string& output, const std::string& input) {
  if (output.empty()) {
    std::fprintf(stderr, "%s: will not write to standard output: it is the input %s\n", kProgram,
                 input.c_str());
  } else if (output == input) {
    std::fprintf(stderr, "%s: will not write over %s: it is an input\n", kProgram, output.c_str());
  } else {
    std::fprintf(stderr, "%s: will not write over %s: it is the input %s\n", kProgram,
                 output.c_str(), input.c_str());
  }
}

// Opens the export's output: standard output, or the file options.output;
// false (a message printed) when it cannot be opened.
bool openOutputOf(const ExportOptions& options, OutputFile& out) {
  const bool text = options.format->crLf;
  if (options.output.empty()) {
    openStandardOutput(out, text);
    return true;
  }
  const FileError e = openExportOutput(out, options.output, text);
  if (failed(e)) {
    reportFailures(kProgram, {e});
    return false;
  }
  return true;
}

// Closes the output without writing anything to it, and removes it when it
// is a replacement.
void abandonOutput(OutputFile& out) {
  out.buffer.clear();
  closeOutput(out);
  discardReplacement(out);
}

// Closes the output; puts a whole export's replacement in place, or removes
// one that is not whole. False (a message printed) when the output failed or
// an incomplete replacement was removed.
bool finishOutput(OutputFile& out, bool readsOk) {
  if (!closeOutput(out)) {
    discardReplacement(out);
    reportOutputFailure(out, "write");
    return false;
  }
  if (!isReplacement(out)) {
    return true;  // written in place, as far as the inputs went
  }
  if (!readsOk) {
    discardReplacement(out);
    reportOutputFailure(out, "write", "the export is incomplete");
    return false;
  }
  if (!replaceWithOutput(out)) {
    discardReplacement(out);
    reportOutputFailure(out, "write");
    return false;
  }
  return true;
}

}  // namespace

int runExport(const ExportOptions& options) {
  const ExportFormat& format = *options.format;
  if (!dataFolderIsThere(kProgram, options.dir)) {
    return 1;
  }
  FolderLock lock;
  if (!openDataFolderOf(kProgram, lock, options.dir)) {
    return 1;
  }
  const DataFiles files = dataFilesIn(options.dir);
  // The check tells of a clash in its report; every other format stops.
  if (format.source != ExportSource::dataFiles &&
      reportNameClashes(kProgram, files, readsOf(format))) {
    return 1;
  }

  RunInputs inputs;
  openRunInputs(files, inputs, readsOf(format));
  reportFailures(kProgram, inputs.failures);
  bool readsOk = inputs.failures.empty();
  if (!options.dir.empty() && isMissing(format, files, inputs)) {
    // A folder named on purpose, with nothing to export: a wrong folder.
    std::fprintf(stderr, "%s: no %s in %s\n", kProgram, listedFileOf(format), options.dir.c_str());
    return 1;
  }

  ExportState state;
  state.encoding.utf8 = options.utf8;
  state.escapeFormulas = options.escapeFormulas;
  state.jsonLines = options.jsonLines;
  state.inPage = options.inPage;
  state.report.limit = options.unknownLimit;
  if (format.catalogue) {
    state.heading.title = options.title;
    state.heading.sources = sourceNames(files);
    state.heading.unknowns = options.inPage ? kUnknownsInPage : kUnknownsByExport;
  }
  OutputFile out;
  if (!openOutputOf(options, out)) {
    closeInput(inputs.records);
    return 1;
  }
  // Only now is it known what the output really is and which files the
  // inputs really are: /dev/fd/3 may be list.rec, opened as descriptor 3.
  if (const std::string* input = inputUnderOutput(out.over, files, inputs.records)) {
    reportOutputIsInput(options.output, *input);
    abandonOutput(out);
    closeInput(inputs.records);
    return 1;
  }

  std::vector<FileError> failures;
  exportRows(files, inputs, format, state, out, options.bom, failures);
  reportFailures(kProgram, failures);
  readsOk = failures.empty() && readsOk;
  readsOk = closeRunInputs(kProgram, files, inputs) && readsOk;
  if (!finishOutput(out, readsOk)) {
    return 1;
  }
  if (state.report.leftOut > 0) {
    // The report is whole but for what the memory bound left out.
    std::fprintf(stderr,
                 "%s: the report lists the first %" PRIu64
                 " words and codes that show as ?; others show as ? %" PRId64 " more times\n",
                 kProgram,
                 static_cast<uint64_t>(state.report.words.size() + state.report.codes.size()),
                 state.report.leftOut);
  }
  if (state.encoding.undecodable > 0) {
    std::fprintf(stderr,
                 "%s: %" PRIu64 " bytes could not be decoded as CP932 and were written as U+FFFD\n",
                 kProgram, static_cast<uint64_t>(state.encoding.undecodable));
  }
  if (readsOk && options.keptUnknowns != nullptr) {
    *options.keptUnknowns = std::move(state.report);
  }
  return readsOk ? 0 : 1;
}
