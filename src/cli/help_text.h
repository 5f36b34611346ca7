// What our programs with options share: their help (what --help prints),
// their usage errors, and how their command line is run.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// The widest line of the help, in columns (the help is ASCII: one byte, one
// column).
constexpr size_t kHelpWidth = 80;

// What a program's help says besides its options: what follows the name on
// the usage line, sections after the options (each ending with a line
// end), and the examples and exit statuses that end it.
struct HelpParts {
  std::string usage;
  std::string sections;
  std::string ending;
};

// The help of `app` in lines of at most kHelpWidth columns: its usage and
// description, its options as the parser holds them (each with its value's
// placeholder, its description and its default), then the parts' sections
// and ending.
std::string programHelp(const CLI::App& app, const HelpParts& parts);

// Appends `head`, then `text` from column `indent` on (on a line of its own
// when `head` leaves no two blanks before it), its words wrapped in lines of
// at most kHelpWidth columns, each further line indented as the first.
void appendWrapped(std::string& out, const std::string& head, std::string_view text, size_t indent);


// Prints a usage error on standard error: its reason on one line, then where
// the help is; returns the exit status of a usage error, 2.
int usageError(const CLI::App& app, std::string reason);

// Runs a program's command line: its arguments taken as UTF-8, a write to a
// pipe whose reader has gone or past a file-size limit failing as any other
// write does, and running out of memory reported under `program`'s name
// (status 1), no half-written replacement left behind. Returns what `run`
// returns.
int runProgram(const char* program, int (*run)(int argc, char** argv), int argc, char** argv);

// listconv-export's help: programHelp with the formats of kExportFormats
// one to a line, examples and the exit statuses.
std::string helpText(const CLI::App& app);
