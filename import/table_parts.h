// What the table reader's CSV and JSON Lines parts share: the file's lines,
// the row's value slots and its problems; not for callers. It calls neither
// part: the reader calls the parts, and they call this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "table_types.h"

// Reads the next physical line into r.line, its LF included, taking at most
// `room` + 1 bytes so that a longer line shows as longer than `room`. False
// at the end of the data or when a read failed (r.in.error).
bool nextLine(TableReader& r, size_t room);

// Gives every header column a value slot, kept from row to row.
void sizeRow(TableReader& r);

// The name of column `column` (from 1) when the header has one, else "".
std::string columnNameOf(const TableReader& r, size_t column);

// Notes a problem of the row being read.
void addProblem(TableReader& r, int64_t line, size_t column, std::string columnName,
                std::string reason);

// Ends the reading with a problem of column `column` (0 when not known).
TableStatus stopReading(TableReader& r, int64_t line, size_t column, std::string reason);

// ok, or problems when the row has any.
TableStatus rowStatus(const TableReader& r);

// In UTF-8 mode, notes a problem of column `column` when the bytes of
// `value`, which starts on line `line`, are not all UTF-8: the line of the
// first bad byte, and the byte (0x92), with a hint of --encoding cp932 in
// the file's first such problem when its bytes read as CP932.
void checkUtf8(TableReader& r, std::string_view value, int64_t line, size_t column);

// Notes that `line` is not all UTF-8; the first such line of the file
// decides whether the file may be CP932 read in the wrong encoding.
void noteNonUtf8Line(TableReader& r, std::string_view line);

// The text of a byte limit in messages.
std::string byteLimitText(size_t bytes);
