// The export's run: tables first, then every record of list.rec, one at a
// time, through the conversion's own record path.
#include "export_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "driver/run.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "io/replacement_file.h"

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
    recordCount = convertRecords(inputs.records, inputs.tables, out, work,
                                 format.notesUnknown ? &unknown : nullptr, [&] {
                                   chunk.clear();
                                   format.row(chunk, work.block, unknown, state);
                                   writeBytes(out, chunk);
                                 });
  }
  chunk.clear();
  format.end(chunk, state, recordCount);
  writeBytes(out, chunk);
  return recordCount;
}

// Prints why the output `output` is refused: it is the input `input`.
void reportOutputIsInput(const std::string& output, const std::string& input) {
  if (output == input) {
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
  if (!options.dir.empty()) {
    const FileError e = folderFailure(options.dir);
    if (failed(e)) {
      reportFailures(kProgram, {e});
      return 1;
    }
  }
  const DataFiles files = dataFilesIn(options.dir);

  RunInputs inputs;
  openRunInputs(files, inputs);
  reportFailures(kProgram, inputs.failures);
  bool readsOk = inputs.failures.empty();
  if (!options.dir.empty() && !inputs.haveRecords && inputs.records.error == ENOENT) {
    // A folder named on purpose, with nothing to export: a wrong folder.
    std::fprintf(stderr, "%s: no %s in %s\n", kProgram, kRecordFile, options.dir.c_str());
    return 1;
  }

  ExportState state;
  state.encoding.utf8 = options.utf8;
  state.escapeFormulas = options.escapeFormulas;
  if (format.catalogue) {
    state.heading.title = options.title;
    state.heading.sources = sourceNames(files);
  }
  OutputFile out;
  if (!openOutputOf(options, out)) {
    closeInput(inputs.records);
    return 1;
  }
  // Only now is it known what the output really is and which files the
  // inputs really are: /dev/fd/3 may be list.rec, opened as descriptor 3.
  if (const std::string* input = inputUnderOutput(out.over, files, inputs)) {
    reportOutputIsInput(options.output, *input);
    abandonOutput(out);
    closeInput(inputs.records);
    return 1;
  }

  exportRecords(inputs, format, state, out, options.bom);
  readsOk = closeRunInputs(kProgram, files, inputs) && readsOk;
  if (!finishOutput(out, readsOk)) {
    return 1;
  }
  if (state.encoding.undecodable > 0) {
    std::fprintf(stderr,
                 "%s: %" PRIu64 " bytes could not be decoded as CP932 and were written as U+FFFD\n",
                 kProgram, static_cast<uint64_t>(state.encoding.undecodable));
  }
  return readsOk ? 0 : 1;
}
