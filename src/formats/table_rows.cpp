// Rows of named values as CSV or JSON Lines.
#include "formats/table_rows.h"

#include <array>

#include "textutil/core.h"

void appendTableHeader(std::string& out, bool jsonLines, const char* const* names, size_t count) {
  if (!jsonLines) {
    appendCsvHeader(out, names, count);
  }
}

void beginTableRow(TableRow& row, std::string& out, bool jsonLines) {
  row.out = &out;
  row.jsonLines = jsonLines;
  row.first = true;
  if (jsonLines) {
    out += '{';
  }
}

namespace {

// Appends what comes before a value: a separator, and in JSON its key.
void startValue(TableRow& row, const char* name) {
  std::string& out = *row.out;
  if (!row.first) {
    out += ',';
  }
  row.first = false;
  if (row.jsonLines) {
    // The names are the export's own words in ASCII letters: nothing to escape.
    out += '"';
    out += name;
    out += "\":";
  }
}

}  // namespace

void addTableNumber(TableRow& row, const char* name, int64_t n) {
  startValue(row, name);
  appendNumber(*row.out, n);
}

void addTableText(TableRow& row, const char* name, std::string_view text, TextEncoding& encoding) {
  startValue(row, name);
  if (row.jsonLines) {
    appendJsonText(*row.out, text, encoding);
  } else {
    appendCsvField(*row.out, text, encoding, false);
  }
}

void addTableWord(TableRow& row, const char* name, std::string_view ascii) {
  startValue(row, name);
  if (row.jsonLines) {
    appendJsonString(*row.out, ascii);
  } else {
    row.out->append(ascii);
  }
}

void endTableRow(TableRow& row) {
  *row.out += row.jsonLines ? "}\n" : "\r\n";
}

const char* const* recordColumns() {
  static const std::array<const char*, kRecordColumnCount> columns = [] {
    std::array<const char*, kRecordColumnCount> names{"record", "reserved"};
    for (size_t i = 0; i < kStoredFieldCount; ++i) {
      names[2 + i] = kStoredFields[i].name;
    }
    return names;
  }();
  return columns.data();
}

const char* const kWordColumns[kWordColumnCount] = {"line",  "key",   "word",
                                                    "codes", "kanji", "found"};

const char* const kKanjiColumns[kKanjiColumnCount] = {"code", "kanji"};

void appendStoredRecordRow(std::string& out, bool jsonLines, int64_t position,
                           const StoredRecord& record, TextEncoding& encoding) {
  TableRow row;
  beginTableRow(row, out, jsonLines);
  addTableNumber(row, recordColumns()[0], position);
  addTableWord(row, recordColumns()[kReservedColumn], reservedText(record));
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    addTableText(row, kStoredFields[i].name, record.fields[i], encoding);
  }
  endTableRow(row);
}

void appendWordEntryRow(std::string& out, bool jsonLines, const ListedWordEntry& entry, bool found,
                        TextEncoding& encoding) {
  std::string codes;
  for (const std::string& code : entry.values->codes) {
    codes += codes.empty() ? "" : " ";
    codes += code;
  }
  std::string kanji;
  for (const std::string& text : entry.entry->kanji) {
    kanji += withoutTrailingBlanks(text);
  }
  TableRow row;
  beginTableRow(row, out, jsonLines);
  addTableNumber(row, kWordColumns[kLineColumn], entry.line);
  addTableText(row, kWordColumns[kKeyColumn], entry.entry->key, encoding);
  addTableText(row, kWordColumns[kWordColumn], entry.entry->word, encoding);
  addTableText(row, kWordColumns[kCodesColumn], codes, encoding);
  addTableText(row, kWordColumns[kKanjiColumn], kanji, encoding);
  addTableWord(row, kWordColumns[kFoundColumn], found ? "yes" : "no");
  endTableRow(row);
}

void appendKanjiRow(std::string& out, bool jsonLines, int32_t code, std::string_view kanji,
                    TextEncoding& encoding) {
  TableRow row;
  beginTableRow(row, out, jsonLines);
  addTableNumber(row, kKanjiColumns[0], code);
  addTableText(row, kKanjiColumns[1], withoutTrailingBlanks(kanji), encoding);
  endTableRow(row);
}
