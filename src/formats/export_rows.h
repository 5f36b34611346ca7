// The values of a listed record as the export writes them, and the formats
// that write a record at a time: CSV, JSON Lines and the listing's own block.
// Every function appends to a text; writing it out is the caller's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "records/listing_writer.h"

// How many fields an exported record has, `number` included.
const size_t kExportFieldCount = 24;

// The names of the fields, in export order: number, entryId, name1 ... note.
extern const char* const kExportFields[kExportFieldCount];

// The values of one listed record, in export order, as views into the
// block and record it was converted into (valid until the next record is
// converted): its number, then texts[i] for field i + 1, each without its
// trailing blanks.
struct ExportRow {
  int64_t number = 0;
  std::array<std::string_view, kExportFieldCount - 1> texts;
};

// Fills `row` from the block of a record that convertNextRecord has just
// listed, and from the decoded record the block refers to.
void fillExportRow(const ListingBlock& block, ExportRow& row);

// How the texts of the data files are written, and what could not be decoded.
struct TextEncoding {
  bool utf8 = true;        // transcoded from CP932 to UTF-8; else the stored bytes
  size_t undecodable = 0;  // bytes written as U+FFFD so far
};

// Appends a text of the data files in the export's encoding.
void appendText(std::string& out, std::string_view text, TextEncoding& encoding);

// Appends `utf8` as a JSON string, byte for byte as nlohmann-json's dump()
// writes it: in double quotes, with " and \ escaped, the control characters
// below 0x20 as \b, \t, \n, \f, \r or \u00XX, and every other byte as it
// is. Precondition: `utf8` is UTF-8.
void appendJsonString(std::string& out, std::string_view utf8);

// Appends a text of the data files as a JSON string of its UTF-8, exactly
// as appendJsonString would write it, transcoded straight into `out`.
// Precondition: encoding.utf8.
void appendJsonText(std::string& out, std::string_view text, TextEncoding& encoding);

// Appends a number in plain decimal.
void appendNumber(std::string& out, int64_t n);

// Whether a spreadsheet would take a value that starts so for a formula: it
// starts with =, +, -, @, a tab or a CR.
bool startsLikeFormula(std::string_view text);

// Appends a text as one CSV field: with `escapeFormulas`, a text that starts
// like a formula gets a leading ' first; then, in double quotes, with each
// quote doubled, when it holds a comma, a double quote, a CR or a LF.
void appendCsvField(std::string& out, std::string_view text, TextEncoding& encoding,
                    bool escapeFormulas);

// Appends a CSV header row of the `count` names `names` (the export's:
// kExportFields), ended by CR LF.
void appendCsvHeader(std::string& out, const char* const* names, size_t count);

// Appends a record as one CSV row, ended by CR LF; `escapeFormulas` as for
// appendCsvField. The number is a plain positive number: it never starts like
// a formula. Precondition: row.number >= 1.
void appendCsvRow(std::string& out, const ExportRow& row, TextEncoding& encoding,
                  bool escapeFormulas);

// Appends a record as one JSON object on a line of its own (ended by LF):
// the field names as keys, in order; the number an integer, every other
// value a string. Precondition: encoding.utf8.
void appendJsonLine(std::string& out, const ExportRow& row, TextEncoding& encoding);

// Appends the block as list.txt holds it, lines ended by LF: the listing
// format is written through the file layer's CR LF rule, as list.txt is.
void appendListingBlock(std::string& out, const ListingBlock& block, TextEncoding& encoding);
