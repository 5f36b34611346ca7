// The problems of an import and the values it stores.
#include "import_problems.h"

#include <cstdio>

#include "column_match.h"
#include "cp932/cp932.h"
#include "textutil/shown_text.h"

const char kImportProgram[] = "listconv-import";

namespace {

// How many problems are printed; the rest are counted.
const size_t kShownProblems = 50;
// How many characters of a refused value a problem shows.
const size_t kShownValueChars = 24;

}  // namespace

void note(Problems& problems, std::string line) {
  if (problems.shown.size() < kShownProblems) {
    problems.shown.push_back(std::move(line));
  }
  ++problems.count;
}

std::string shownFileName(const std::string& path) {
  return path == kStandardInputPath ? std::string("standard input") : shownText(path);
}

std::string placeOf(const std::string& file, int64_t line, const std::string& column) {
  std::string place = file + ":" + std::to_string(line) + ": ";
  if (!column.empty()) {
    place += shownText(column) + ": ";
  }
  return place;
}

std::string shownValue(std::string_view value, bool utf8) {
  std::string text;
  if (utf8) {
    text.assign(value);
  } else {
    size_t undecodable = 0;
    appendCp932AsUtf8(text, value, undecodable);
  }
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts && ++chars > kShownValueChars) {
      text.resize(i);
      text += "\xE2\x80\xA6";  // …
      break;
    }
  }
  return "\"" + shownText(text) + "\"";
}

void printIgnoredColumns(const std::string& file, const std::vector<std::string>& header,
                         const char* const* known, size_t count, const char* format) {
  for (const size_t i : unknownColumns(header, known, count)) {
    std::fprintf(stderr, "%s: %s: column \"%s\" is not one of the %s format's: ignored\n",
                 kImportProgram, file.c_str(), shownText(header[i]).c_str(), format);
  }
}

void noteTableProblems(Problems& problems, const std::string& file,
                       const std::vector<TableProblem>& found) {
  for (const TableProblem& p : found) {
    note(problems, placeOf(file, p.line, p.columnName) + p.reason);
  }
}

void writeOutput(ImportOutput& output, std::string_view bytes) {
  if (output.open) {
    writeBytes(output.file, bytes);
  }
}

void printProblems(const Problems& problems) {
  for (const std::string& line : problems.shown) {
    std::fprintf(stderr, "%s: %s\n", kImportProgram, line.c_str());
  }
  if (problems.count > problems.shown.size()) {
    const size_t more = problems.count - problems.shown.size();
    std::fprintf(stderr, "%s: and %zu more %s\n", kImportProgram, more,
                 more == 1 ? "problem" : "problems");
  }
}
