// listconv-export: the listing of kanjis.dat, words.txt and list.rec as data
// (CSV, JSON Lines, the listing itself, a report of what the data lacks, or
// an HTML catalogue), in UTF-8 or the stored CP932.
#include <CLI/CLI.hpp>
#include <cassert>
#include <cstdio>
#include <string>
#include <vector>

#include "cp932.h"
#include "export_run.h"
#include "io/arguments.h"
#include "io/file_io.h"

namespace {

const char kVersion[] = "listconv-export " LISTCONV_VERSION;

// Prints a usage error's reason and the usage on standard error; returns the
// exit status of a usage error.
int usageError(const CLI::App& app, const std::string& reason) {
  std::fprintf(stderr, "listconv-export: %s\n%s", reason.c_str(), app.help().c_str());
  return 2;
}

// The names of the rows of a table, for the option parser, which turns any
// spelling of one, in any letter case, into the name itself.
template <typename Row, size_t N>
std::vector<std::string> namesOf(const Row (&rows)[N]) {
  std::vector<std::string> names;
  for (const Row& row : rows) {
    names.push_back(row.name);
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  takeArgumentsAsUtf8(argc, argv);
  // A pipe whose reader has gone is a failed write, reported like any other.
  ignoreBrokenPipe();

  CLI::App app(
      "Writes the listed records of kanjis.dat, words.txt and list.rec, numbered as in "
      "list.txt, as data; list.txt itself is never written.",
      "listconv-export");
  std::string format = "csv";
  std::string encoding = "utf-8";
  ExportOptions options;
  app.add_option("--format", format,
                 "csv, jsonl (JSON Lines), listing (the bytes of list.txt), unknown (what the "
                 "dictionary and the kanji table lack, as CSV) or html (a catalogue page)")
      ->transform(CLI::IsMember(namesOf(kExportFormats), CLI::ignore_case))
      ->capture_default_str();
  app.add_option("--encoding", encoding,
                 "utf-8 (the CP932 texts transcoded) or cp932 (the stored bytes; not for jsonl "
                 "and html)")
      ->transform(CLI::IsMember(namesOf(kExportEncodings), CLI::ignore_case))
      ->capture_default_str();
  app.add_option("-C,--dir", options.dir, "the folder of the data files (default: this one)");
  app.add_option("-o,--output", options.output,
                 "the file to write, replaced only by a whole export (default: standard output)");
  CLI::Option* bom =
      app.add_flag("--bom", options.bom, "start a UTF-8 CSV with a byte-order mark (U+FEFF)");
  CLI::Option* title =
      app.add_option("--title", options.title, "the title of the html page")->capture_default_str();
  app.set_version_flag("--version", kVersion);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::printf("%s\n", kVersion);
    return 0;
  } catch (const CLI::ParseError& e) {
    return usageError(app, e.what());
  }

  // The parser has given each name as the tables spell it.
  options.format = findExportFormat(format);
  const ExportEncoding* textEncoding = findExportEncoding(encoding);
  assert(options.format != nullptr && textEncoding != nullptr);
  options.utf8 = textEncoding->utf8;
  if (!options.utf8 && options.format->utf8Only) {
    return usageError(app, "--format " + format + " is written in UTF-8 only, not cp932");
  }
  if (bom->count() > 0 && !(options.format->bomApplies && options.utf8)) {
    return usageError(app, "--bom is for a UTF-8 CSV: --format csv or unknown, --encoding utf-8");
  }
  if (title->count() > 0 && !options.format->catalogue) {
    return usageError(app, "--title is for --format html");
  }
  if (!isValidUtf8(options.title)) {
    return usageError(app, "--title is not valid UTF-8");
  }
  if (options.output.empty() && app.count("--output") > 0) {
    return usageError(app, "--output needs a file name");
  }
  if (options.output == "-") {
    options.output.clear();  // standard output; a file named "-" is ./-
  }
  return runExport(options);
}
