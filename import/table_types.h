// The plain values of a table file being read: its options, its rows'
// problems, what a read gives, and the reader's state. The table reader and
// its CSV and JSON Lines parts all work on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/input_file.h"

// The two kinds of table file.
enum class TableKind { csv, jsonLines };

// How a table file is read.
struct TableOptions {
  bool utf8 = true;               // values must be UTF-8; else bytes are taken as they stand
  size_t maxRowBytes = 1u << 20;  // the longest CSV row or JSON line, line ends included
};

// Something wrong in a table file: where it is, and why.
struct TableProblem {
  int64_t line = 0;        // the physical line, from 1
  size_t column = 0;       // the column, from 1; 0 when not known
  std::string columnName;  // the column's name (the header's, or a JSON key), or ""
  std::string reason;
};

// What a read gave.
enum class TableStatus {
  ok,        // a row (or, from openTable, the header) was read without a problem
  problems,  // a row was read, with the problems in `problems`; reading may go on
  end,       // there are no more rows
  stopped,   // nothing more can be read: `problems` holds why, or is empty for a
             // file that did not open or read, with the system's reason in in.error
};

// A table file being read. The fields up to `problems` are what a caller
// reads, the rest the reader's own; every buffer keeps its room from row to
// row, so that memory stays what the longest row needed.
struct TableReader {
  TableOptions options;
  TableKind kind = TableKind::csv;
  std::vector<std::string> header;     // the CSV header's names, or the first JSON line's keys
  std::vector<std::string> cells;      // the row's value of each header column
  std::vector<char> present;           // whether the row has a value for each header column
  std::vector<int64_t> cellLines;      // the line where each value starts
  int64_t rowLine = 0;                 // the line where the row starts
  std::vector<TableProblem> problems;  // the row's problems, or why reading stopped

  InputFile in;
  std::string line;          // the physical line being parsed, its LF included
  int64_t lineNumber = 0;    // the number of `line`
  bool linePending = false;  // `line` is read but not yet parsed
  bool halted = false;       // reading has stopped
  std::string key;           // the JSON key being read
  std::string spare;         // a JSON value that no column takes
  size_t keyHint = 0;        // where the next JSON key is looked for first
  std::unordered_map<std::string, size_t> keyIndex;  // the column of each JSON key
  bool nonUtf8Met = false;                           // a line that is not UTF-8 has been met
  bool readsAsCp932 = false;  // the first such line reads as CP932, every byte of it
  bool cp932Hinted = false;   // a problem has said so
};
