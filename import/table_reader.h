// The rows of an import's input file, read one at a time in bounded memory:
// a CSV file with a header row (values quoted with " where they hold a comma,
// a quote, a CR or a LF, quotes doubled, rows ended by CR LF or LF), or a
// JSON Lines file (an object of string and integer values on every line).
// Which kind a file is, is told by its first byte after an optional UTF-8
// byte-order mark: a { starts JSON Lines. Values are raw bytes: UTF-8 checked
// as such, or CP932 taken as they stand.
#pragma once

#include "table_types.h"

// The FILE that stands for standard input.
extern const char kStandardInputPath[];

// Opens the file at `path` (standard input for kStandardInputPath) and reads what comes before the
// first row: its kind and its header (for JSON Lines, the first line's keys, that line being kept
// as the first row). Gives ok or stopped.
TableStatus openTable(TableReader& r, const char* path, const TableOptions& options);

// Reads the next row into cells, present and cellLines.
TableStatus readTableRow(TableReader& r);

// Closes the file; safe to call on a reader that did not open.
void closeTable(TableReader& r);
