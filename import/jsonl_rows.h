// The JSON Lines part of the table reader: a row from every line.
#pragma once

#include "table_types.h"

// Reads the next JSON line as a row; the `first` line's keys make the header.
TableStatus readJsonRow(TableReader& r, bool first);
