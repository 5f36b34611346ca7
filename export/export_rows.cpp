// The row model of the export, CSV, JSON Lines and the listing's blocks.
#include "export_rows.h"

#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cp932.h"
#include "textutil/core.h"

const char* const kExportFields[kExportFieldCount] = {
    "number",    "entryId",   "name1",     "name2",      "name3",      "nameKey",
    "nameCode1", "nameCode2", "nameCode3", "nameKanji1", "nameKanji2", "nameKanji3",
    "detail1",   "detail2",   "period",    "detail3",    "detail4",    "detail5",
    "detail6",   "detail7",   "wordText",  "wordLine",   "kanjiLine",  "note"};

void fillExportRow(const ListingBlock& block, ExportRow& row) {
  assert(block.record != nullptr);
  const SourceRecord& r = *block.record;
  const ListingBlock& b = block;
  const std::string* const texts[kExportFieldCount - 1] = {
      &r.entryId,   &r.name1,     &r.name2,        &r.name3,        &b.nameKey,      &r.nameCode1,
      &r.nameCode2, &r.nameCode3, &b.nameKanji[0], &b.nameKanji[1], &b.nameKanji[2], &r.detail1,
      &r.detail2,   &b.period,    &r.detail3,      &r.detail4,      &r.detail5,      &r.detail6,
      &r.detail7,   &r.wordText,  &b.wordLine,     &b.kanjiLine,    &r.note};
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
std::string utf8Value(std::string_view text, TextEncoding& encoding) {
  assert(encoding.utf8);
  std::string value;
  appendText(value, text, encoding);
  return value;
}

void appendNumber(std::string& out, int64_t n) {
  char text[24];
  const int length = std::snprintf(text, sizeof text, "%" PRId64, n);
  out.append(text, static_cast<size_t>(length));
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
