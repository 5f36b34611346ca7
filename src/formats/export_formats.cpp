// The table of the export's formats and encodings.
#include "formats/export_formats.h"

#include "driver/data_files.h"

namespace {

// The formats' functions, as kExportFormats names them.

void writeNothing(std::string&, ExportState&) {}

void endNothing(std::string&, ExportState&, int64_t) {}

void beginCsv(std::string& out, ExportState&) {
  appendCsvHeader(out, kExportFields, kExportFieldCount);
}

void writeCsvRow(std::string& out, const ExportItem& item, ExportState& state) {
  fillExportRow(*item.block, state.row);
  appendCsvRow(out, state.row, state.encoding, state.escapeFormulas);
}

void writeJsonLine(std::string& out, const ExportItem& item, ExportState& state) {
  fillExportRow(*item.block, state.row);
  appendJsonLine(out, state.row, state.encoding);
}

void writeListingBlock(std::string& out, const ExportItem& item, ExportState& state) {
  appendListingBlock(out, *item.block, state.encoding);
}

void noteUnknownRow(std::string&, const ExportItem& item, ExportState& state) {
  noteUnknowns(state.report, item.block->number, *item.unknown);
}

void endUnknown(std::string& out, ExportState& state, int64_t) {
  appendUnknownReport(out, state.report, state.encoding, state.escapeFormulas);
}

void beginCatalogue(std::string& out, ExportState& state) {
  appendCatalogueStart(out, state.heading);
}

void writeCatalogueRow(std::string& out, const ExportItem& item, ExportState& state) {
  fillExportRow(*item.block, state.row);
  appendCatalogueRow(out, state.row, state.encoding, item.block->number, state.heading);
}

void endCatalogue(std::string& out, ExportState& state, int64_t records) {
  appendCatalogueEnd(out, state.heading, records);
}

void beginRecords(std::string& out, ExportState& state) {
  appendTableHeader(out, state.jsonLines, recordColumns(), kRecordColumnCount);
}

void writeStoredRecord(std::string& out, const ExportItem& item, ExportState& state) {
  appendStoredRecordRow(out, state.jsonLines, item.position, *item.stored, state.encoding);
}

void beginDictionary(std::string& out, ExportState& state) {
  appendTableHeader(out, state.jsonLines, kWordColumns, kWordColumnCount);
}

void writeWordEntry(std::string& out, const ExportItem& item, ExportState& state) {
  appendWordEntryRow(out, state.jsonLines, *item.entry, item.found, state.encoding);
}

void beginKanji(std::string& out, ExportState& state) {
  appendTableHeader(out, state.jsonLines, kKanjiColumns, kKanjiColumnCount);
}

void writeKanjiCode(std::string& out, const ExportItem& item, ExportState& state) {
  appendKanjiRow(out, state.jsonLines, item.code, item.kanji, state.encoding);
}

void writeDataCheck(std::string& out, const ExportItem& item, ExportState& state) {
  appendDataCheckReport(out, *item.check, state.encoding, state.inPage);
}

}  // namespace

// clang-format off
const ExportFormat kExportFormats[kExportFormatCount] = {
//  name          summary
//                utf8Only csv    table  crLf   unknown catalogue source
//                begin            row                end
  {"csv",        "a header row of the field names, then a row for each record",
                  false,   true,  false, false, false,  false,    ExportSource::listedRecords,
                  beginCsv,        writeCsvRow,       endNothing},
  {"jsonl",      "JSON Lines: an object per record, the field names as keys",
                  true,    false, false, false, false,  false,    ExportSource::listedRecords,
                  writeNothing,    writeJsonLine,     endNothing},
  {"listing",    "the bytes of list.txt, as listconv writes it",
                  false,   false, false, true,  false,  false,    ExportSource::listedRecords,
                  writeNothing,    writeListingBlock, endNothing},
  {"unknown",    "a CSV of the words and codes that the data lacks (shown as ?)",
                  false,   true,  false, false, true,   false,    ExportSource::listedRecords,
                  writeNothing,    noteUnknownRow,    endUnknown},
  {"html",       "a catalogue page to search, sort and print in a browser",
                  true,    false, false, false, false,  true,     ExportSource::listedRecords,
                  beginCatalogue,  writeCatalogueRow, endCatalogue},
  {"records",    "every record of list.rec as stored, for listconv-import",
                  false,   false, true,  false, false,  false,    ExportSource::storedRecords,
                  beginRecords,    writeStoredRecord, endNothing},
  {"dictionary", "every entry of words.txt as read, for listconv-import",
                  false,   false, true,  false, false,  false,    ExportSource::wordEntries,
                  beginDictionary, writeWordEntry,    endNothing},
  {"kanji",      "the code of every kanji of kanjis.dat",
                  false,   false, true,  false, false,  false,    ExportSource::kanjiCodes,
                  beginKanji,      writeKanjiCode,    endNothing},
  {"check",      "what the data files hold and what looks wrong in them",
                  true,    false, false, false, false,  false,    ExportSource::dataFiles,
                  writeNothing,    writeDataCheck,    endNothing},
};
// clang-format on

const char* listedFileOf(const ExportFormat& format) {
  switch (format.source) {
    case ExportSource::wordEntries:
      return kWordFile;
    case ExportSource::kanjiCodes:
      return kKanjiFile;
    default:
      return kRecordFile;
  }
}

const ExportFormat* findExportFormat(std::string_view name) {
  for (const ExportFormat& format : kExportFormats) {
    if (name == format.name) {
      return &format;
    }
  }
  return nullptr;
}

bool takesByteOrderMark(const ExportFormat& format, bool utf8, bool jsonLines) {
  return utf8 && (format.table ? !jsonLines : format.csv);
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
