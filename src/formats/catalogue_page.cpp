// Filling the catalogue page's template.
#include "formats/catalogue_page.h"

#include <algorithm>
#include <cassert>

#include "formats/catalogue_template.h"

namespace {

// The fields of the catalogue page's rows, as indexes into kExportFields.
const size_t kCatalogueFields[] = {0, 1, 5, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};

// The markers of the template where the page's data goes: the first page's
// rows before the page's script, the other rows after it.
const std::string_view kFirstRowsMarker = "@FIRST_ROWS@";
const std::string_view kMoreRowsMarker = "@MORE_ROWS@";

}  // namespace

const char kUnknownsByExport[] =
    "<code>listconv-export --format unknown</code> lists them all, each with the first record "
    "that shows it.";
const char kUnknownsInPage[] =
    "The page this catalogue was made in lists them all under <em>Mending</em>, each with the "
    "first record that shows it, and adds missing words to the dictionary there.";

namespace {

// Appends a part of the template with @TITLE@, @SOURCES@ and @UNKNOWNS@ filled in; what
// is put in is not searched for markers again.
void appendFilled(std::string& out, std::string_view part, const CatalogueHeading& heading) {
  for (size_t at = part.find('@'); at != std::string_view::npos; at = part.find('@')) {
    out.append(part.substr(0, at));
    part.remove_prefix(at);
    if (part.substr(0, 7) == "@TITLE@") {
      appendHtmlEscaped(out, heading.title);
      part.remove_prefix(7);
    } else if (part.substr(0, 9) == "@SOURCES@") {
      appendHtmlEscaped(out, heading.sources);
      part.remove_prefix(9);
    } else if (part.substr(0, 10) == "@UNKNOWNS@") {
      out += heading.unknowns;  // markup of our own
      part.remove_prefix(10);
    } else {
      out += '@';
      part.remove_prefix(1);
    }
  }
  out.append(part);
}

// Where a marker of the page's data is in the template.
size_t markerAt(std::string_view marker) {
  const size_t at = catalogueTemplate().find(marker);
  assert(at != std::string_view::npos);
  return at;
}

// Appends the end of the first page's rows, the template between them and
// the other rows (the page's script), and the start of the other rows.
void appendCatalogueMiddle(std::string& out, const CatalogueHeading& heading) {
  const size_t from = markerAt(kFirstRowsMarker) + kFirstRowsMarker.size();
  out += "\n]}";
  appendFilled(out, catalogueTemplate().substr(from, markerAt(kMoreRowsMarker) - from), heading);
  out += "{\"rows\":[\n";
}

// The data stands inside a <script> element, where "</script" or "<!--"
// would end or change it: the <, > and & of `out` from `from` on (found only
// inside JSON strings) are written as escapes, which JSON reads back as the
// same characters.
void hideMarkup(std::string& out, size_t from) {
  const size_t first = std::min({out.find('<', from), out.find('>', from), out.find('&', from)});
  if (first == std::string::npos) {
    return;
  }
  const std::string rest = out.substr(first);
  out.resize(first);
  for (const char c : rest) {
    switch (c) {
      case '<':
        out += "\\u003c";
        break;
      case '>':
        out += "\\u003e";
        break;
      case '&':
        out += "\\u0026";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

void appendHtmlEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
}

void appendCatalogueStart(std::string& out, const CatalogueHeading& heading) {
  appendFilled(out, catalogueTemplate().substr(0, markerAt(kFirstRowsMarker)), heading);
  out += "{\"fields\":";
  for (const size_t field : kCatalogueFields) {
    out += field == 0 ? '[' : ',';  // the number comes first
    appendJsonString(out, kExportFields[field]);
  }
  out += "],\"rows\":[\n";
}

void appendCatalogueRow(std::string& out, const ExportRow& row, TextEncoding& encoding,
                        int64_t position, const CatalogueHeading& heading) {
  if (position == kCatalogueFirstRows + 1) {
    appendCatalogueMiddle(out, heading);
  } else if (position != 1) {
    out += ",\n";
  }
  const size_t start = out.size();
  for (const size_t field : kCatalogueFields) {
    out += field == 0 ? '[' : ',';  // the number comes first
    if (field == 0) {
      appendNumber(out, row.number);
    } else {
      appendJsonText(out, row.texts[field - 1], encoding);
    }
  }
  out += ']';
  hideMarkup(out, start);
}

void appendCatalogueEnd(std::string& out, const CatalogueHeading& heading, int64_t rows) {
  if (rows <= kCatalogueFirstRows) {
    appendCatalogueMiddle(out, heading);
  }
  out += "\n]}";
  appendFilled(out, catalogueTemplate().substr(markerAt(kMoreRowsMarker) + kMoreRowsMarker.size()),
               heading);
}
