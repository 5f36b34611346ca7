// The help of listconv-export, laid out from the parser's options and the
// table of formats.
#include "cli/help_text.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "formats/export_formats.h"
#include "io/arguments.h"
#include "io/file_error.h"
#include "io/platform.h"
#include "io/replacement_file.h"

namespace {

// The columns before an option's description.
const size_t kOptionIndent = 24;

// What the examples run and say, and the exit statuses.
const char kExamplesAndStatuses[] =
    "\n"
    "Examples:\n"
    "  listconv-export --format check\n"
    "      a short report of what the data files hold and what looks wrong\n"
    "  listconv-export -C /path/to/collection -o listing.csv\n"
    "      the listed records of the data files in that folder, as CSV\n"
    "  listconv-export --bom --escape-formulas -o listing.csv\n"
    "      a CSV for Excel of data that others wrote\n"
    "  listconv-export --format unknown\n"
    "      the words and codes that the data lacks, most frequent first\n"
    "  listconv-export --format html --title 'My collection' -o catalogue.html\n"
    "      a catalogue page to open in a browser\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  a data file could not be read or the output could not be written\n"
    "  2  a usage error\n";

}  // namespace

void appendWrapped(std::string& out, const std::string& head, std::string_view text,
                   size_t indent) {
  assert(indent < kHelpWidth);
  std::string line = head;
  if (!head.empty() && head.size() + 2 > indent) {
    out += line + '\n';
    line.clear();
  }
  line.resize(indent, ' ');
  bool lineEmpty = true;
  while (!text.empty()) {
    const size_t blank = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, blank);
    if (!lineEmpty && line.size() + 1 + word.size() > kHelpWidth) {
      out += line + '\n';
      line.assign(indent, ' ');
      lineEmpty = true;
    }
    line += lineEmpty ? "" : " ";
    line += word;
    lineEmpty = false;
    text.remove_prefix(std::min(blank + 1, text.size()));
  }
  out += line + '\n';
}

namespace {

// An option as the help names it: "-C, --dir DIR", "--bom".
std::string optionHead(const CLI::Option& option) {
  std::string head = " ";
  for (const std::string& name : option.get_snames()) {
    head += " -" + name + ",";
  }
  for (const std::string& name : option.get_lnames()) {
    head += " --" + name + ",";
  }
  head.pop_back();
  if (option.get_type_size() > 0) {
    head += " " + option.get_type_name();
  }
  return head;
}

}  // namespace

std::string programHelp(const CLI::App& app, const HelpParts& parts) {
  std::string out = "Usage: " + app.get_name() + " " + parts.usage + "\n";
  appendWrapped(out, "", app.get_description(), 0);

  out += "\nOptions:\n";
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional()) {
      continue;  // the usage line names it
    }
    std::string description = option->get_description();
    if (!option->get_default_str().empty()) {
      description += " (default: " + option->get_default_str() + ")";
    }
    appendWrapped(out, optionHead(*option), description, kOptionIndent);
  }
  out += parts.sections;
  out += parts.ending;
  return out;
}

int usageError(const CLI::App& app, std::string reason) {
  std::replace(reason.begin(), reason.end(), '\n', ' ');
  const char* name = app.get_name().c_str();
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name, reason.c_str(),
               name);
  return 2;
}

int runProgram(const char* program, int (*run)(int argc, char** argv), int argc, char** argv) {
  takeArgumentsAsUtf8(argc, argv);
  failWritesInsteadOfSignals();
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    // As after any failure, no half-written replacement is left behind.
    discardPendingReplacement();
    std::fprintf(stderr, "%s: out of memory\n", program);
    return 1;
  }
}

std::string helpText(const CLI::App& app) {
  std::string out = "\nFormats:\n";
  size_t widest = 0;
  for (const ExportFormat& format : kExportFormats) {
    widest = std::max(widest, std::strlen(format.name));
  }
  for (const ExportFormat& format : kExportFormats) {
    // One line each.
    assert(2 + widest + 2 + std::strlen(format.summary) <= kHelpWidth);
    appendWrapped(out, std::string("  ") + format.name, format.summary, 2 + widest + 2);
  }
  return programHelp(app, HelpParts{"[OPTIONS]", out, kExamplesAndStatuses});
}
