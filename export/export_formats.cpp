// The export formats.
#include "export_formats.h"

#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "catalogue_template.h"
#include "cp932.h"
#include "textutil/core.h"

const char* const kExportFields[kExportFieldCount] = {
    "number",    "entryId",   "name1",     "name2",      "name3",      "nameKey",
    "nameCode1", "nameCode2", "nameCode3", "nameKanji1", "nameKanji2", "nameKanji3",
    "detail1",   "detail2",   "period",    "detail3",    "detail4",    "detail5",
    "detail6",   "detail7",   "wordText",  "wordLine",   "kanjiLine",  "note"};

namespace {

// The fields of the catalogue page's rows, as indexes into kExportFields.
const size_t kCatalogueFields[] = {0, 1, 5, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};

// The markers of the template where the page's data goes: the first page's
// rows before the page's script, the other rows after it.
const std::string_view kFirstRowsMarker = "@FIRST_ROWS@";
const std::string_view kMoreRowsMarker = "@MORE_ROWS@";

// Appends a number in plain decimal.
void appendNumber(std::string& out, int64_t n) {
  char text[24];
  const int length = std::snprintf(text, sizeof text, "%" PRId64, n);
  out.append(text, static_cast<size_t>(length));
}

// The UTF-8 of a text of the data files, as a JSON string value.
std::string utf8Value(std::string_view text, TextEncoding& encoding) {
  assert(encoding.utf8);
  std::string value;
  appendText(value, text, encoding);
  return value;
}

// Appends a part of the template with @TITLE@ and @SOURCES@ filled in; what
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

}  // namespace

void fillExportRow(const RecordWork& work, ExportRow& row) {
  const SourceRecord& r = work.record;
  const ListingBlock& b = work.block;
  const std::string* const texts[kExportFieldCount - 1] = {
      &b.entryId,   &r.name1,     &r.name2,      &r.name3,      &b.nameKey,    &r.nameCode1,
      &r.nameCode2, &r.nameCode3, &b.nameKanji1, &b.nameKanji2, &b.nameKanji3, &b.detail1,
      &b.detail2,   &b.period,    &b.detail3,    &b.detail4,    &b.detail5,    &b.detail6,
      &b.detail7,   &r.wordText,  &b.wordLine,   &b.kanjiLine,  &b.note};
  row.number = b.number;
  for (size_t i = 0; i < row.texts.size(); ++i) {
    row.texts[i] = withoutTrailingBlanks(*texts[i]);
  }
}

void appendText(std::string& out, std::string_view text, TextEncoding& encoding) {
  if (encoding.utf8) {
    appendCp932AsUtf8(out, text, encoding.undecodable);
  } else {
    out.append(text);
  }
}

bool startsLikeFormula(std::string_view text) {
  // A text starts with the first byte of a character; none of these six is a
  // lead byte in CP932 and each stays itself in UTF-8, so the stored text
  // starts with one exactly when the written one does.
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendCsvField(std::string& out, std::string_view text, TextEncoding& encoding,
                    bool escapeFormulas) {
  // The ' is part of the value: inside the quotes when there are any.
  const std::string_view mark = escapeFormulas && startsLikeFormula(text) ? "'" : "";
  // These four bytes are characters of their own in CP932 (no byte of a pair
  // is below 0x40), and stay as they are in UTF-8: the stored text holds
  // them exactly when the written one does.
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += mark;
    appendText(out, text, encoding);
    return;
  }
  out += '"';
  out += mark;
  for (size_t quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
    appendText(out, text.substr(0, quote + 1), encoding);
    out += '"';
    text.remove_prefix(quote + 1);
  }
  appendText(out, text, encoding);
  out += '"';
}

void appendCsvHeader(std::string& out) {
  for (size_t i = 0; i < kExportFieldCount; ++i) {
    out += i == 0 ? "" : ",";
    out += kExportFields[i];
  }
  out += "\r\n";
}

void appendCsvRow(std::string& out, const ExportRow& row, TextEncoding& encoding,
                  bool escapeFormulas) {
  assert(row.number >= 1);
  appendNumber(out, row.number);
  for (const std::string_view text : row.texts) {
    out += ',';
    appendCsvField(out, text, encoding, escapeFormulas);
  }
  out += "\r\n";
}

void appendJsonLine(std::string& out, const ExportRow& row, TextEncoding& encoding) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  object[kExportFields[0]] = row.number;
  for (size_t i = 0; i < row.texts.size(); ++i) {
    object[kExportFields[i + 1]] = utf8Value(row.texts[i], encoding);
  }
  // Every value is UTF-8 made by the transcoder, so dumping cannot fail.
  out += object.dump();
  out += '\n';
}

void appendListingBlock(std::string& out, const ListingBlock& block, TextEncoding& encoding) {
  // No byte of a pair is a LF, so every LF stays one, and one line.
  appendText(out, formatListingBlock(block), encoding);
}

void noteUnknowns(UnknownReport& report, int64_t number, const UnknownWords& unknown) {
  const auto note = [number](std::unordered_map<std::string, UnknownTally>& tallies,
                             const std::string& text) {
    UnknownTally& tally = tallies[text];
    if (tally.count++ == 0) {
      tally.first = number;
    }
  };
  for (const std::string& code : unknown.codes) {
    note(report.codes, code);
  }
  for (const std::string& word : unknown.words) {
    note(report.words, word);
  }
}

void appendUnknownReport(std::string& out, const UnknownReport& report, TextEncoding& encoding,
                         bool escapeFormulas) {
  // One row of the report.
  struct Row {
    const char* kind;
    const std::string* text;
    UnknownTally tally;
  };
  std::vector<Row> rows;
  rows.reserve(report.words.size() + report.codes.size());
  for (const auto& [text, tally] : report.words) {
    rows.push_back({"word", &text, tally});
  }
  for (const auto& [text, tally] : report.codes) {
    rows.push_back({"code", &text, tally});
  }
  // std::string compares its bytes as unsigned char.
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.tally.count != b.tally.count) {
      return a.tally.count > b.tally.count;
    }
    const int byText = a.text->compare(*b.text);
    return byText != 0 ? byText < 0 : std::string_view(a.kind) < std::string_view(b.kind);
  });
  out += "kind,text,count,first\r\n";
  for (const Row& row : rows) {
    out += row.kind;
    out += ',';
    assert(row.tally.count >= 1 && row.tally.first >= 1);
    appendCsvField(out, *row.text, encoding, escapeFormulas);
    out += ',';
    appendNumber(out, row.tally.count);
    out += ',';
    appendNumber(out, row.tally.first);
    out += "\r\n";
  }
}

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
  nlohmann::json fields = nlohmann::json::array();
  for (const size_t field : kCatalogueFields) {
    fields.push_back(kExportFields[field]);
  }
  out += "{\"fields\":";
  out += fields.dump();
  out += ",\"rows\":[\n";
}

void appendCatalogueRow(std::string& out, const ExportRow& row, TextEncoding& encoding,
                        int64_t position, const CatalogueHeading& heading) {
  nlohmann::json values = nlohmann::json::array();
  for (const size_t field : kCatalogueFields) {
    if (field == 0) {
      values.push_back(row.number);
    } else {
      values.push_back(utf8Value(row.texts[field - 1], encoding));
    }
  }
  if (position == kCatalogueFirstRows + 1) {
    appendCatalogueMiddle(out, heading);
  } else if (position != 1) {
    out += ",\n";
  }
  // The data stands inside a <script> element, where "</script" or "<!--"
  // would end or change it: <, > and & (found only inside JSON strings) are
  // written as escapes, which JSON reads back as the same characters.
  for (const char c : values.dump()) {
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

void appendCatalogueEnd(std::string& out, const CatalogueHeading& heading, int64_t rows) {
  if (rows <= kCatalogueFirstRows) {
    appendCatalogueMiddle(out, heading);
  }
  out += "\n]}";
  appendFilled(out, catalogueTemplate().substr(markerAt(kMoreRowsMarker) + kMoreRowsMarker.size()),
               heading);
}

namespace {

// The formats' functions, as kExportFormats names them.

void writeNothing(std::string&, ExportState&) {}

void endNothing(std::string&, ExportState&, int64_t) {}

void beginCsv(std::string& out, ExportState&) {
  appendCsvHeader(out);
}

void writeCsvRow(std::string& out, const RecordWork& work, const UnknownWords&,
                 ExportState& state) {
  fillExportRow(work, state.row);
  appendCsvRow(out, state.row, state.encoding, state.escapeFormulas);
}

void writeJsonLine(std::string& out, const RecordWork& work, const UnknownWords&,
                   ExportState& state) {
  fillExportRow(work, state.row);
  appendJsonLine(out, state.row, state.encoding);
}

void writeListingBlock(std::string& out, const RecordWork& work, const UnknownWords&,
                       ExportState& state) {
  appendListingBlock(out, work.block, state.encoding);
}

void noteUnknownRow(std::string&, const RecordWork& work, const UnknownWords& unknown,
                    ExportState& state) {
  noteUnknowns(state.report, work.block.number, unknown);
}

void endUnknown(std::string& out, ExportState& state, int64_t) {
  appendUnknownReport(out, state.report, state.encoding, state.escapeFormulas);
}

void beginCatalogue(std::string& out, ExportState& state) {
  appendCatalogueStart(out, state.heading);
}

void writeCatalogueRow(std::string& out, const RecordWork& work, const UnknownWords&,
                       ExportState& state) {
  fillExportRow(work, state.row);
  appendCatalogueRow(out, state.row, state.encoding, work.block.number, state.heading);
}

void endCatalogue(std::string& out, ExportState& state, int64_t records) {
  appendCatalogueEnd(out, state.heading, records);
}

}  // namespace

// clang-format off
const ExportFormat kExportFormats[kExportFormatCount] = {
//  name       summary
//             utf8Only csv    crLf   unknown catalogue begin           row                end
  {"csv",     "a header row of the field names, then a row for each record",
               false,   true,  false, false,  false,    beginCsv,       writeCsvRow,       endNothing},
  {"jsonl",   "JSON Lines: an object per record, the field names as keys",
               true,    false, false, false,  false,    writeNothing,   writeJsonLine,     endNothing},
  {"listing", "the bytes of list.txt, as listconv writes it",
               false,   false, true,  false,  false,    writeNothing,   writeListingBlock, endNothing},
  {"unknown", "a CSV of the words and codes that the data lacks (shown as ?)",
               false,   true,  false, true,   false,    writeNothing,   noteUnknownRow,    endUnknown},
  {"html",    "a catalogue page to search, sort and print in a browser",
               true,    false, false, false,  true,     beginCatalogue, writeCatalogueRow, endCatalogue},
};
// clang-format on

const ExportFormat* findExportFormat(std::string_view name) {
  for (const ExportFormat& format : kExportFormats) {
    if (name == format.name) {
      return &format;
    }
  }
  return nullptr;
}

const ExportEncoding kExportEncodings[kExportEncodingCount] = {{"utf-8", true}, {"cp932", false}};

const ExportEncoding* findExportEncoding(std::string_view name) {
  for (const ExportEncoding& encoding : kExportEncodings) {
    if (name == encoding.name) {
      return &encoding;
    }
  }
  return nullptr;
}
