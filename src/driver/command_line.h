// What listconv's command line asks for: a conversion, its usage or its
// version; and printing on the console, for every program's help.
#pragma once

#include <string>

// The three things a command line can ask of listconv.
enum class Request { convert, usage, version };

// The request of a command line: --help, -h or /? as the only argument asks
// for the usage, --version alone for the version; any other command line,
// arguments included, for a conversion, the arguments being ignored.
Request requestOf(int argc, const char* const* argv);

// The usage that --help prints.
extern const char kUsage[];

// The version line that --version prints.
extern const char kVersionLine[];

// Prints `text` on standard output and touches no file; returns the exit
// status: 0, or 1 (with the reason on standard error, after `program`'s
// name) when standard output cannot be written.
int printOnConsole(const char* program, const std::string& text);
