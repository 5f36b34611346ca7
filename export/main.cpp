// listconv-export: the listing of kanjis.dat, words.txt and list.rec as data
// (CSV, JSON Lines, the listing itself, a report of what the data lacks, or
// an HTML catalogue), in UTF-8 or the stored CP932.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "cp932/cp932.h"
#include "driver/command_line.h"
#include "formats/export_run.h"
#include "cli/help_text.h"
#include "io/file_error.h"

namespace {

const char kProgram[] = "listconv-export";
const char kVersion[] = "listconv-export " LISTCONV_VERSION;

// The names of the formats that have `property`, as "csv or unknown".
std::string formatsThat(bool ExportFormat::*property) {
  std::vector<std::string> names;
  for (const ExportFormat& format : kExportFormats) {
    if (format.*property) {
      names.push_back(format.name);
    }
  }
  assert(!names.empty());
  std::string text = names.front();
  for (size_t i = 1; i < names.size(); ++i) {
    text += (i + 1 == names.size() ? " or " : ", ") + names[i];
  }
  return text;
}

// Reads the command line and runs the export it asks for; returns the exit
// status.
int runCommandLine(int argc, char** argv) {
  CLI::App app(
      "Reads kanjis.dat, words.txt and list.rec as listconv does and writes the listed "
      "records, numbered as in list.txt, in one format, to standard output or FILE; list.txt "
      "itself is never written.",
      kProgram);
  std::string format = "csv";
  std::string encoding = kExportEncodings[0].name;
  ExportOptions options;
  // The parser's list of the names is left out of the placeholders: the help
  // lists the formats, and names the encodings.
  app.add_option("--format", format, "the format: one of the formats below")
      ->type_name("FORMAT")
      ->transform(CLI::IsMember(namesOf(kExportFormats), CLI::ignore_case).description(""))
      ->capture_default_str();
  app.add_option("--encoding", encoding,
                 "utf-8 (the CP932 texts transcoded) or cp932 (the stored bytes; not for " +
                     formatsThat(&ExportFormat::utf8Only) + ")")
      ->type_name("ENCODING")
      ->transform(CLI::IsMember(namesOf(kExportEncodings), CLI::ignore_case).description(""))
      ->capture_default_str();
  app.add_option("-C,--dir", options.dir, "the folder of the data files (default: this one)")
      ->type_name("DIR");
  app.add_option("-o,--output", options.output,
                 "the file to write, replaced only by a whole export; a device or FIFO is "
                 "written in place; - for standard output (default: standard output)")
      ->type_name("FILE");
  CLI::Option* bom =
      app.add_flag("--bom", options.bom, "start a UTF-8 CSV with a byte-order mark (U+FEFF)");
  CLI::Option* escapeFormulas = app.add_flag(
      "--escape-formulas", options.escapeFormulas,
      "put ' before a CSV value that starts with =, +, -, @, a tab or a CR, which a spreadsheet "
      "would take for a formula");
  std::string as = "csv";
  CLI::Option* asOption =
      app.add_option(
             "--as", as,
             "csv or jsonl (UTF-8 only): how " + formatsThat(&ExportFormat::table) + " are written")
          ->type_name("KIND")
          ->transform(CLI::IsMember({"csv", "jsonl"}, CLI::ignore_case).description(""))
          ->capture_default_str();
  CLI::Option* title = app.add_option("--title", options.title, "the title of the html page")
                           ->type_name("TEXT")
                           ->capture_default_str();
  // Help and version last.
  app.set_help_flag("-h,--help", "print this help and exit");
  app.set_version_flag("--version", kVersion, "print the version and exit");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    return printOnConsole(kProgram, helpText(app));
  } catch (const CLI::CallForVersion&) {
    return printOnConsole(kProgram, std::string(kVersion) + "\n");
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
  options.jsonLines = as == "jsonl";
  if (asOption->count() > 0 && !options.format->table) {
    return usageError(app, "--as is for --format " + formatsThat(&ExportFormat::table));
  }
  if (options.jsonLines && !options.utf8) {
    return usageError(app, "--as jsonl is written in UTF-8 only, not cp932");
  }
  if (bom->count() > 0 &&
      !takesByteOrderMark(*options.format, options.utf8, options.jsonLines)) {
    return usageError(app, options.format->table
                               ? "--bom is for a UTF-8 CSV: --as csv, --encoding utf-8"
                               : "--bom is for a UTF-8 CSV: --format " +
                                     formatsThat(&ExportFormat::csv) + ", --encoding utf-8");
  }
  if (escapeFormulas->count() > 0 && !options.format->csv) {
    return usageError(
        app, "--escape-formulas is for a CSV: --format " + formatsThat(&ExportFormat::csv));
  }
  if (title->count() > 0 && !options.format->catalogue) {
    return usageError(app, "--title is for --format html");
  }
  if (!isValidUtf8(options.title)) {
    return usageError(app, "--title is not valid UTF-8");
  }
  if (options.dir.empty() && app.count("--dir") > 0) {
    return usageError(app, "--dir needs a folder name");
  }
  if (options.output.empty() && app.count("--output") > 0) {
    return usageError(app, "--output needs a file name");
  }
  if (options.output == "-") {
    options.output.clear();  // standard output; a file named "-" is ./-
  }
  return runExport(options);
}

}  // namespace

int main(int argc, char** argv) {
  return runProgram(kProgram, runCommandLine, argc, argv);
}
