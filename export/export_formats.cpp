// The table of the export's formats and encodings.
#include "export_formats.h"

namespace {

// The formats' functions, as kExportFormats names them.

void writeNothing(std::string&, ExportState&) {}

void endNothing(std::string&, ExportState&, int64_t) {}

void beginCsv(std::string& out, ExportState&) {
  appendCsvHeader(out);
}

void writeCsvRow(std::string& out, const ListingBlock& block, const UnknownWords&,
                 ExportState& state) {
  fillExportRow(block, state.row);
  appendCsvRow(out, state.row, state.encoding, state.escapeFormulas);
}

void writeJsonLine(std::string& out, const ListingBlock& block, const UnknownWords&,
                   ExportState& state) {
  fillExportRow(block, state.row);
  appendJsonLine(out, state.row, state.encoding);
}

void writeListingBlock(std::string& out, const ListingBlock& block, const UnknownWords&,
                       ExportState& state) {
  appendListingBlock(out, block, state.encoding);
}

void noteUnknownRow(std::string&, const ListingBlock& block, const UnknownWords& unknown,
                    ExportState& state) {
  noteUnknowns(state.report, block.number, unknown);
}

void endUnknown(std::string& out, ExportState& state, int64_t) {
  appendUnknownReport(out, state.report, state.encoding, state.escapeFormulas);
}

void beginCatalogue(std::string& out, ExportState& state) {
  appendCatalogueStart(out, state.heading);
}

void writeCatalogueRow(std::string& out, const ListingBlock& block, const UnknownWords&,
                       ExportState& state) {
  fillExportRow(block, state.row);
  appendCatalogueRow(out, state.row, state.encoding, block.number, state.heading);
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
