// The help of listconv-export: what --help prints.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>

// The widest line of the help, in columns (the help is ASCII: one byte, one
// column).
constexpr size_t kHelpWidth = 80;

// The help of `app` in lines of at most kHelpWidth columns: its usage and
// description, its options as the parser holds them (each with its value's
// placeholder, its description and its default), the formats of
// kExportFormats one to a line, examples and the exit statuses.
std::string helpText(const CLI::App& app);
