// The row model of the export, CSV, JSON Lines and the listing's blocks.
#include "formats/export_rows.h"

#include <cassert>
#include <charconv>
#include <cstring>

#include "cp932/cp932.h"
#include "textutil/core.h"
#include "textutil/text_bytes.h"

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

namespace {

// Whether a byte of UTF-8 is written as it is in a JSON string.
bool plainInJson(unsigned char c) {
  return c >= 0x20 && c != '"' && c != '\\';
}

// The bytes that a JSON string holds as they are: from 0x20 up, but for "
// and \; and with `asciiOnly`, only those below 0x80.
bool plainInJson(unsigned char c, bool asciiOnly) {
  return plainInJson(c) && (!asciiOnly || c < 0x80);
}

// Whether all eight bytes of `w` are plainInJson(b, asciiOnly), by the usual
// word tests: (x - 0x01..01) & ~x & 0x80..80 is nonzero exactly when some
// byte of x is zero, and x - 0x20..20 sets the high bit of a byte that was
// below 0x20 (when its own high bit is clear).
bool allPlainInJson(uint64_t w, bool asciiOnly) {
  const uint64_t ones = 0x0101010101010101u;
  const uint64_t high = 0x8080808080808080u;
  const uint64_t quote = w ^ (ones * '"');
  const uint64_t backslash = w ^ (ones * '\\');
  const uint64_t special = ((w - ones * 0x20) & ~w) | ((quote - ones) & ~quote) |
                           ((backslash - ones) & ~backslash) | (asciiOnly ? w : 0);
  return (special & high) == 0;
}

// Whether every byte of `text` is plainInJson(b, asciiOnly): eight at a time,
// then one at a time.
bool allPlainInJson(std::string_view text, bool asciiOnly) {
  const char* p = text.data();
  const char* const end = p + text.size();
  for (uint64_t w; end - p >= 8; p += 8) {
    std::memcpy(&w, p, 8);
    if (!allPlainInJson(w, asciiOnly)) {
      return false;
    }
  }
  for (; p != end; ++p) {
    if (!plainInJson(static_cast<unsigned char>(*p), asciiOnly)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  size_t plain = 0;  // the start of the bytes not yet appended
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (plainInJson(c)) {
      continue;
    }
    out.append(utf8.substr(plain, i - plain));
    plain = i + 1;
    out += '\\';
    switch (c) {
      case '"':
      case '\\':
        out += static_cast<char>(c);
        break;
      case '\b':
        out += 'b';
        break;
      case '\t':
        out += 't';
        break;
      case '\n':
        out += 'n';
        break;
      case '\f':
        out += 'f';
        break;
      case '\r':
        out += 'r';
        break;
      default:
        out += 'u';
        appendHex(out, c, 4, kLowerHexDigits);
    }
  }
  out.append(utf8.substr(plain));
  out += '"';
}

void appendJsonText(std::string& out, std::string_view text, TextEncoding& encoding) {
  assert(encoding.utf8);
  out += '"';
  // Most texts are ASCII that JSON takes as it is, which CP932 and UTF-8
  // write alike: those are copied.
  if (allPlainInJson(text, true)) {
    out.append(text);
    out += '"';
    return;
  }
  const size_t start = out.size();
  appendText(out, text, encoding);
  // Most texts need no escape and stay as they were transcoded; the few that
  // do are taken out again and written through appendJsonString.
  if (!allPlainInJson(std::string_view(out).substr(start), false)) {
    const std::string utf8 = out.substr(start);
    out.resize(start - 1);
    appendJsonString(out, utf8);
    return;
  }
  out += '"';
}

void appendNumber(std::string& out, int64_t n) {
  char text[24];
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, n);
  out.append(text, end.ptr);
}

bool startsLikeFormula(std::string_view text) {
  // A text starts with the first byte of a character; none of these six is a
  // lead byte in CP932 and each stays itself in UTF-8, so the stored text
  // starts with one exactly when the written one does.
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

namespace {

// Whether a CSV field of `text` goes in quotes: it holds a comma, a double
// quote, a CR or a LF. (A byte loop: find_first_of searches the set for
// every byte of the text.)
bool needsCsvQuotes(std::string_view text) {
  for (const char c : text) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') {
      return true;
    }
  }
  return false;
}

}  // namespace

void appendCsvField(std::string& out, std::string_view text, TextEncoding& encoding,
                    bool escapeFormulas) {
  // The ' is part of the value: inside the quotes when there are any.
  const std::string_view mark = escapeFormulas && startsLikeFormula(text) ? "'" : "";
  // These four bytes are characters of their own in CP932 (no byte of a pair
  // is below 0x40), and stay as they are in UTF-8: the stored text holds
  // them exactly when the written one does.
  if (!needsCsvQuotes(text)) {
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

void appendCsvHeader(std::string& out, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    out += i == 0 ? "" : ",";
    out += names[i];
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

namespace {

// What comes before each value of a JSON line: the object's start or a
// comma, then the field's name as a key.
using JsonKeys = std::array<std::string, kExportFieldCount>;

JsonKeys makeJsonKeys() {
  JsonKeys keys;
  for (size_t i = 0; i < kExportFieldCount; ++i) {
    keys[i] = i == 0 ? "{" : ",";
    appendJsonString(keys[i], kExportFields[i]);
    keys[i] += ':';
  }
  return keys;
}

}  // namespace

void appendJsonLine(std::string& out, const ExportRow& row, TextEncoding& encoding) {
  static const JsonKeys keys = makeJsonKeys();
  out += keys[0];
  appendNumber(out, row.number);
  for (size_t i = 0; i < row.texts.size(); ++i) {
    out += keys[i + 1];
    appendJsonText(out, row.texts[i], encoding);
  }
  out += "}\n";
}

void appendListingBlock(std::string& out, const ListingBlock& block, TextEncoding& encoding) {
  // No byte of a pair is a LF, so every LF stays one, and one line.
  appendText(out, formatListingBlock(block), encoding);
}
