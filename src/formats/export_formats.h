// The formats of listconv-export, one row of kExportFormats each: CSV, JSON
// Lines, the listing itself, a report of what the data lacks, the HTML
// catalogue, tables of the stored data, or a check of the data files; and
// the encodings it writes them in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/catalogue_page.h"
#include "formats/data_check.h"
#include "formats/export_rows.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/stored_record.h"
#include "formats/table_rows.h"
#include "tables/word_dictionary.h"
#include "formats/unknown_report.h"

// What the functions of a format share during one export.
struct ExportState {
  TextEncoding encoding;
  CatalogueHeading heading;     // the catalogue's heading
  UnknownReport report;         // the unknown words and codes so far
  ExportRow row;                // the values of the record being written
  bool escapeFormulas = false;  // a CSV value that starts like a formula gets a leading '
  bool jsonLines = false;       // a table format written as JSON Lines, not CSV
  bool inPage = false;          // written for the browser page, which lists the unknowns itself
};

// What a format writes a row for.
enum class ExportSource {
  listedRecords,  // every listed record of list.rec, converted as for the listing
  storedRecords,  // every record of list.rec, listed or not, as stored
  wordEntries,    // every entry of words.txt, as the loader takes it
  kanjiCodes,     // every code of kanjis.dat's records that can show a kanji
  dataFiles,      // the three data files as a whole: one row, the check of them
};

// One thing a format writes a row for; which members are set depends on
// the format's source.
struct ExportItem {
  const ListingBlock* block = nullptr;     // listed records: the block
  const UnknownWords* unknown = nullptr;   // listed records: what it gave "?" for
  const StoredRecord* stored = nullptr;    // stored records: the record
  int64_t position = 0;                    // stored records: from 1
  const ListedWordEntry* entry = nullptr;  // word entries: the entry
  bool found = false;                      // word entries: the one a look-up finds
  int32_t code = 0;                        // kanji codes: the code
  std::string_view kanji;                  // kanji codes: what the listing shows
  const DataCheck* check = nullptr;        // data files: what the check found
};

// One format of listconv-export: its name on the command line, what it
// writes (for the help), what it allows, what it writes rows for, and the
// functions that write what comes before the first row, each row, and what
// comes after the last.
struct ExportFormat {
  const char* name;
  const char* summary;  // a line of the help, after the name
  bool utf8Only;        // never written in the stored CP932
  bool csv;             // CSV: --escape-formulas applies, and --bom in UTF-8
  bool table;           // CSV or JSON Lines, as --as says; --bom applies to its UTF-8 CSV
  bool crLf;            // written through the file layer's CR LF rule, as list.txt is
  bool notesUnknown;    // wants what every record gave "?" for
  bool catalogue;       // a page with a title and a heading
  ExportSource source;
  void (*begin)(std::string& out, ExportState& state);
  void (*row)(std::string& out, const ExportItem& item, ExportState& state);
  void (*end)(std::string& out, ExportState& state, int64_t rows);
};

// Every format, the default (csv) first.
constexpr size_t kExportFormatCount = 9;
extern const ExportFormat kExportFormats[kExportFormatCount];

// The name of the data file whose rows a format writes (list.rec for the
// records formats and the check), which it cannot do without.
const char* listedFileOf(const ExportFormat& format);

// The format named exactly `name`, or nullptr.
const ExportFormat* findExportFormat(std::string_view name);

// Whether an export in `format` may start with a byte-order mark: a CSV in
// UTF-8 (for the formats written either way, with `jsonLines` unset).
bool takesByteOrderMark(const ExportFormat& format, bool utf8, bool jsonLines);

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
