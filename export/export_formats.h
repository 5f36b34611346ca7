// The formats of listconv-export: the values of a listed record as the
// listing shows them, written as CSV, JSON Lines, the listing itself, a
// report of what the data lacks, or rows of the HTML catalogue. Each format
// is one row of kExportFormats. Every function appends to a text; writing it
// out is the caller's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "driver/run.h"

// How many fields an exported record has, `number` included.
const size_t kExportFieldCount = 24;

// The names of the fields, in export order: number, entryId, name1 ... note.
extern const char* const kExportFields[kExportFieldCount];

// The values of one listed record, in export order, as views into the
// RecordWork it was converted in (valid until the next record is
// converted): its number, then texts[i] for field i + 1, each without its
// trailing blanks.
struct ExportRow {
  int64_t number = 0;
  std::array<std::string_view, kExportFieldCount - 1> texts;
};

// Fills `row` from a record that convertNextRecord has just listed.
void fillExportRow(const RecordWork& work, ExportRow& row);

// How the texts of the data files are written, and what could not be decoded.
struct TextEncoding {
  bool utf8 = true;        // transcoded from CP932 to UTF-8; else the stored bytes
  size_t undecodable = 0;  // bytes written as U+FFFD so far
};

// Appends a text of the data files in the export's encoding.
void appendText(std::string& out, std::string_view text, TextEncoding& encoding);

// Whether a spreadsheet would take a value that starts so for a formula: it
// starts with =, +, -, @, a tab or a CR.
bool startsLikeFormula(std::string_view text);

// Appends a text as one CSV field: with `escapeFormulas`, a text that starts
// like a formula gets a leading ' first; then, in double quotes, with each
// quote doubled, when it holds a comma, a double quote, a CR or a LF.
void appendCsvField(std::string& out, std::string_view text, TextEncoding& encoding,
                    bool escapeFormulas);

// Appends the CSV header row: the field names, ended by CR LF.
void appendCsvHeader(std::string& out);

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

// How often one text was shown as "?", and in which block first.
struct UnknownTally {
  int64_t count = 0;
  int64_t first = 0;
};

// What the listed records showed as "?" for lack of data: words (as looked
// up) and codes (blanks removed), each with its tally.
struct UnknownReport {
  std::unordered_map<std::string, UnknownTally> words;
  std::unordered_map<std::string, UnknownTally> codes;
};

// Adds what the listed record of block `number` showed as "?": the words and
// codes in `unknown`.
void noteUnknowns(UnknownReport& report, int64_t number, const UnknownWords& unknown);

// Appends the report as CSV: a header "kind,text,count,first", then a row
// for each word and code, by count (highest first), then by the text's
// bytes, then by kind; rows ended by CR LF. `escapeFormulas` as for
// appendCsvField; only the texts can start like a formula.
void appendUnknownReport(std::string& out, const UnknownReport& report, TextEncoding& encoding,
                         bool escapeFormulas);

// Appends `text` with &, <, >, " and ' written as HTML character references.
void appendHtmlEscaped(std::string& out, std::string_view text);

// What the heading of a catalogue page shows (the page counts its records
// itself, so that the records are read once).
struct CatalogueHeading {
  std::string title;    // UTF-8
  std::string sources;  // the data files' names, UTF-8
};

// The rows of the catalogue page written before its script, shown as soon as
// they are read: one page of its table (PAGE_SIZE in export/catalogue.html).
constexpr int64_t kCatalogueFirstRows = 200;

// Appends the catalogue page up to its first row: the template with its
// title, count and sources filled in, then the start of the page's data.
void appendCatalogueStart(std::string& out, const CatalogueHeading& heading);

// Appends a record as the row at `position` (1 for the first) of the page's
// data; after the first page's rows, the page's script comes first.
// Precondition: encoding.utf8.
void appendCatalogueRow(std::string& out, const ExportRow& row, TextEncoding& encoding,
                        int64_t position, const CatalogueHeading& heading);

// Appends the end of the page's data, of `rows` rows, and the rest of the page.
void appendCatalogueEnd(std::string& out, const CatalogueHeading& heading, int64_t rows);

// What the functions of a format share during one export.
struct ExportState {
  TextEncoding encoding;
  CatalogueHeading heading;     // the catalogue's heading
  UnknownReport report;         // the unknown words and codes so far
  ExportRow row;                // the values of the record being written
  bool escapeFormulas = false;  // a CSV value that starts like a formula gets a leading '
};

// One format of listconv-export: its name on the command line, what it
// writes (for the help), what it allows, and the functions that write what
// comes before the first record, each listed record, and what comes after
// the last.
struct ExportFormat {
  const char* name;
  const char* summary;  // a line of the help, after the name
  bool utf8Only;        // never written in the stored CP932
  bool csv;             // CSV: --escape-formulas applies, and --bom in UTF-8
  bool crLf;            // written through the file layer's CR LF rule, as list.txt is
  bool notesUnknown;    // wants what every record gave "?" for
  bool catalogue;       // a page with a title and a heading
  void (*begin)(std::string& out, ExportState& state);
  void (*row)(std::string& out, const RecordWork& work, const UnknownWords& unknown,
              ExportState& state);
  void (*end)(std::string& out, ExportState& state, int64_t records);
};

// Every format, the default (csv) first.
constexpr size_t kExportFormatCount = 5;
extern const ExportFormat kExportFormats[kExportFormatCount];

// The format named exactly `name`, or nullptr.
const ExportFormat* findExportFormat(std::string_view name);

// One text encoding of the export: its name on the command line.
struct ExportEncoding {
  const char* name;
  bool utf8;  // transcoded from CP932 to UTF-8; else the stored bytes
};

// Every encoding, the default (utf-8) first.
constexpr size_t kExportEncodingCount = 2;
extern const ExportEncoding kExportEncodings[kExportEncodingCount];

// The encoding named exactly `name`, or nullptr.
const ExportEncoding* findExportEncoding(std::string_view name);
