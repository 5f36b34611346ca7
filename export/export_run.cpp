// The export's run: tables first, then every record of list.rec, one at a
// time, through the conversion's own record path.
#include "export_run.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "driver/run.h"
#include "io/file_io.h"

namespace {

const char kProgram[] = "listconv-export";
const char kByteOrderMark[] = "\xEF\xBB\xBF";

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

// Writes the export's first part, every record, one at a time, until the
// end of the records or a failed write, and its last part; returns the
// number of listed records.
int64_t exportRecords(RunInputs& inputs, const ExportFormat& format, ExportState& state,
                      OutputFile& out, bool bom) {
  std::string chunk;
  if (bom) {
    chunk += kByteOrderMark;
  }
  format.begin(chunk, state);
  writeBytes(out, chunk);
  int64_t recordCount = 0;
  if (inputs.haveRecords) {
    RecordWork work;
    UnknownWords unknown;
    recordCount = convertRecords(inputs.records, out, work,
                                 format.notesUnknown ? &unknown : nullptr, [&] {
                                   chunk.clear();
                                   format.row(chunk, work, unknown, state);
                                   writeBytes(out, chunk);
                                 });
  }
  chunk.clear();
  format.end(chunk, state, recordCount);
  writeBytes(out, chunk);
  return recordCount;
}

}  // namespace

int runExport(const ExportOptions& options) {
  const ExportFormat& format = *options.format;
  const DataFiles files = dataFilesIn(options.dir);
  if (const std::string* input = inputUnderOutput(options.output, files)) {
    std::fprintf(stderr, "%s: %s is the same file as %s\n", kProgram, options.output.c_str(),
                 input->c_str());
    return 1;
  }

  RunInputs inputs;
  openRunInputs(files, inputs);
  reportFailures(kProgram, inputs.failures);
  bool readsOk = inputs.failures.empty();

  ExportState state;
  state.encoding.utf8 = options.utf8;
  state.escapeFormulas = options.escapeFormulas;
  if (format.catalogue) {
    state.heading.title = options.title;
    state.heading.count = inputs.haveRecords ? countListedRecords(files.records) : 0;
    state.heading.sources = sourceNames(files);
  }
  OutputFile out;
  if (options.output.empty()) {
    openStandardOutput(out, format.crLf);
  } else if (!openReplacement(out, options.output, format.crLf)) {
    closeInput(inputs.records);
    reportOutputFailure(out, "create");
    return 1;
  }

  const int64_t recordCount = exportRecords(inputs, format, state, out, options.bom);
  if (inputs.haveRecords) {
    inputs.failures.clear();
    closeRunInputs(files, inputs);
    reportFailures(kProgram, inputs.failures);
    readsOk = inputs.failures.empty() && readsOk;
  }
  if (!closeOutput(out)) {
    discardReplacement(out);
    reportOutputFailure(out, "write");
    return 1;
  }
  if (format.catalogue && readsOk && recordCount != state.heading.count) {
    std::fprintf(stderr, "%s: %s changed while it was read\n", kProgram, files.records.c_str());
    readsOk = false;
  }
  if (!options.output.empty()) {
    // Only a whole export replaces the output file.
    if (!readsOk) {
      discardReplacement(out);
      reportOutputFailure(out, "write", "the export is incomplete");
      return 1;
    }
    if (!replaceWithOutput(out)) {
      discardReplacement(out);
      reportOutputFailure(out, "write");
      return 1;
    }
  }
  if (state.encoding.undecodable > 0) {
    std::fprintf(stderr,
                 "%s: %" PRIu64 " bytes could not be decoded as CP932 and were written as U+FFFD\n",
                 kProgram, static_cast<uint64_t>(state.encoding.undecodable));
  }
  return readsOk ? 0 : 1;
}
