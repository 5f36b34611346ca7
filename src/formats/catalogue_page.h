// The catalogue page: the HTML template of catalogue.html with its heading
// filled in and the records' rows as the page's data, written as the records
// are converted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/export_rows.h"

// Appends `text` with &, <, >, " and ' written as HTML character references.
void appendHtmlEscaped(std::string& out, std::string_view text);

// Where the legend of a catalogue page sends its reader for the list of
// unknowns (HTML): the export's own format, or, for a catalogue made by the
// browser page, that page's list.
extern const char kUnknownsByExport[];
extern const char kUnknownsInPage[];

// What the heading of a catalogue page shows (the page counts its records
// itself, so that the records are read once).
struct CatalogueHeading {
  std::string title;                         // UTF-8
  std::string sources;                       // the data files' names, UTF-8
  const char* unknowns = kUnknownsByExport;  // the legend's pointer to the unknowns
};

// The rows of the catalogue page written before its script, shown as soon as
// they are read: one page of its table (PAGE_SIZE in src/formats/catalogue.html).
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
