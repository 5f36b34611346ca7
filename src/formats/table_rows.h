// The rows of the formats that list what the data files hold (records,
// dictionary, kanji): named values written as CSV (a header row of the
// names, rows ended by CR LF) or as JSON Lines (an object a line, the names
// as keys, in order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/export_rows.h"
#include "records/stored_record.h"
#include "tables/word_dictionary.h"

// A row of named values being written to `out`.
struct TableRow {
  std::string* out = nullptr;
  bool jsonLines = false;
  bool first = true;
};

// Appends the CSV header row of `names`; nothing for JSON Lines.
void appendTableHeader(std::string& out, bool jsonLines, const char* const* names, size_t count);

// Starts a row in `out`.
void beginTableRow(TableRow& row, std::string& out, bool jsonLines);

// Adds a number.
void addTableNumber(TableRow& row, const char* name, int64_t n);

// Adds a text of the data files, in the export's encoding, as it is: these
// formats are read back by listconv-import, so no value gets a formula mark.
void addTableText(TableRow& row, const char* name, std::string_view text, TextEncoding& encoding);

// Adds a text of the export's own, ASCII (hex digits, yes or no).
void addTableWord(TableRow& row, const char* name, std::string_view ascii);

// Ends the row.
void endTableRow(TableRow& row);

// The columns of the records format: the record's position, its reserved
// bytes, then the stored fields by name.
constexpr size_t kRecordColumnCount = 2 + kStoredFieldCount;
const char* const* recordColumns();
// The place of the reserved bytes' column in recordColumns().
constexpr size_t kReservedColumn = 1;

// The columns of the dictionary format.
constexpr size_t kWordColumnCount = 6;
extern const char* const kWordColumns[kWordColumnCount];
// The place of each column in kWordColumns.
enum WordColumn : size_t {
  kLineColumn,
  kKeyColumn,
  kWordColumn,
  kCodesColumn,
  kKanjiColumn,
  kFoundColumn
};

// The columns of the kanji format.
constexpr size_t kKanjiColumnCount = 2;
extern const char* const kKanjiColumns[kKanjiColumnCount];

// The rows below are JSON Lines with `jsonLines`, else CSV.

// Appends the stored record at `position` (from 1) as a row: its reserved
// bytes as eight hex digits, each field exactly the bytes its count covers.
void appendStoredRecordRow(std::string& out, bool jsonLines, int64_t position,
                           const StoredRecord& record, TextEncoding& encoding);

// Appends a dictionary entry as a row: its line, key, word, code tokens
// (one blank between), kanji texts (trailing blanks removed, joined) and
// whether a look-up finds it ("yes" or "no").
void appendWordEntryRow(std::string& out, bool jsonLines, const ListedWordEntry& entry,
                        bool found, TextEncoding& encoding);

// Appends a kanji code and the text the listing shows for it as a row.
void appendKanjiRow(std::string& out, bool jsonLines, int32_t code, std::string_view kanji,
                    TextEncoding& encoding);
