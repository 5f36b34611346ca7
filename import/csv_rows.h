// The CSV part of the table reader: the header row and the rows after it.
#pragma once

#include "table_types.h"

// Reads the CSV header row into r.header.
TableStatus readCsvHeader(TableReader& r);

// Reads the next CSV row.
TableStatus readCsvRow(TableReader& r);
