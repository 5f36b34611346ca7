// The problems of an import, each with its file, line and column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/output_file.h"
#include "table_reader.h"

// The program's name, which starts its messages.
extern const char kImportProgram[];

// Every problem of an import: the lines printed for the first ones, and how
// many there were.
struct Problems {
  std::vector<std::string> shown;
  size_t count = 0;
};

// Notes a problem; only the first ones are kept to be printed.
void note(Problems& problems, std::string line);

// How messages name the export at `path` (a FILE as given): "standard
// input" for kStandardInputPath, else the name with what a terminal would act
// on escaped. The `file` of the functions below is such a name.
std::string shownFileName(const std::string& path);

// "FILE:LINE: " and the column's name (escaped) and ": " where there is one.
std::string placeOf(const std::string& file, int64_t line, const std::string& column);

// The first characters of a value as UTF-8, escaped, in quotes, for a message.
std::string shownValue(std::string_view value, bool utf8);

// Prints a notice for every column of `header` that is none of the `count`
// names of `known`, the columns of the `format` format: they are ignored.
void printIgnoredColumns(const std::string& file, const std::vector<std::string>& header,
                         const char* const* known, size_t count, const char* format);

// Notes every problem a table reader found in `file`.
void noteTableProblems(Problems& problems, const std::string& file,
                       const std::vector<TableProblem>& found);

// Prints the problems noted, then how many more there were.
void printProblems(const Problems& problems);

// An output of the import while it is written: the data file it replaces,
// open unless the import only checks.
struct ImportOutput {
  std::string path;
  OutputFile file;
  bool open = false;
  bool unchanged = false;  // the new file would be byte for byte the old one: not written
};

// Writes `bytes` to `output` when it is open.
void writeOutput(ImportOutput& output, std::string_view bytes);
