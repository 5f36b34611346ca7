// listconv-import: records and dictionary entries, as the records and
// dictionary exports give them, written back into list.rec and words.txt.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "formats/export_formats.h"
#include "cli/help_text.h"
#include "import_run.h"
#include "table_reader.h"

namespace {

const char kProgram[] = "listconv-import";
const char kVersion[] = "listconv-import " LISTCONV_VERSION;

const char kExamplesAndStatuses[] =
    "\n"
    "Examples:\n"
    "  listconv-import --check records.csv\n"
    "  listconv-import records.csv\n"
    "      the records (listconv-export's records format), edited in a spreadsheet,\n"
    "      checked, then written back into list.rec\n"
    "  listconv-import words.csv\n"
    "      the dictionary (its dictionary format), a row added with its key, word\n"
    "      and kanji, written back into words.txt\n"
    "  listconv-import --check - < records.csv\n"
    "      the records read from standard input\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  a row was refused, or a file could not be read or written; nothing written;\n"
    "     or another listconv-import is writing the folder (see --wait)\n"
    "  2  a usage error\n";

// Reads the command line and runs the import; returns the exit status.
int runCommandLine(int argc, char** argv) {
  CLI::App app(
      "Reads exports of the records and dictionary formats of listconv-export (CSV, with or "
      "without a byte-order mark, or JSON Lines), edited or not, and writes what their rows "
      "change into list.rec and words.txt as the old program reads them (records and lines "
      "that no row changes stay byte for byte), both as one change; the file replaced is kept "
      "as list.rec.~N~ or words.txt.~N~ (N one above the highest there). Nothing is written "
      "when any row is refused, and a failed or interrupted import leaves the old files as "
      "they were.",
      "listconv-import");
  // A FILE may be an absolute path, which starts with / as an option of
  // Windows' own style would.
  app.allow_windows_style_options(false);
  ImportOptions options;
  std::string encoding = kExportEncodings[0].name;
  app.add_option("-C,--dir", options.dir,
                 "the folder of the data files to write (default: this one)")
      ->type_name("DIR");
  app.add_flag("--check", options.check,
               "check the files and list what would change, record by record and field by "
               "field, entry by entry, then the counts, writing nothing");
  app.add_option("--encoding", encoding,
                 "utf-8 (the texts encoded into CP932) or cp932 (the bytes as they stand)")
      ->type_name("ENCODING")
      ->transform(CLI::IsMember(namesOf(kExportEncodings), CLI::ignore_case).description(""))
      ->capture_default_str();
  std::string backup = "numbered";
  app.add_option("--backup", backup,
                 "what a data file replaced is kept as: numbered (NAME.~N~), simple (NAME~) "
                 "or none")
      ->type_name("CONTROL")
      ->transform(CLI::IsMember({"numbered", "simple", "none"}).description(""))
      ->capture_default_str();
  app.add_flag("--wait", options.wait,
               "wait while another listconv-import writes the folder, instead of stopping");
  app.add_option("FILE", options.files,
                 "an export of the records or dictionary format; - reads standard input")
      ->type_name("FILE");
  app.set_help_flag("-h,--help", "print this help and exit");
  app.set_version_flag("--version", kVersion, "print the version and exit");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    return printOnConsole(
        kProgram, programHelp(app, HelpParts{"[OPTIONS] FILE...", "", kExamplesAndStatuses}));
  } catch (const CLI::CallForVersion&) {
    return printOnConsole(kProgram, std::string(kVersion) + "\n");
  } catch (const CLI::ParseError& e) {
    return usageError(app, e.what());
  }
  if (options.files.empty()) {
    return usageError(app, "no FILE to import");
  }
  if (std::count(options.files.begin(), options.files.end(), kStandardInputPath) > 1) {
    return usageError(app, "- (standard input) given twice");
  }
  if (app.count("--dir") > 0 && options.dir.empty()) {
    return usageError(app, "--dir needs a folder name");
  }
  options.utf8 = findExportEncoding(encoding)->utf8;
  options.backup = backup == "none"     ? BackupKind::none
                   : backup == "simple" ? BackupKind::simple
                                        : BackupKind::numbered;
  return runImport(options);
}

}  // namespace

int main(int argc, char** argv) {
  return runProgram(kProgram, runCommandLine, argc, argv);
}
