// The check's report: a line for each data file, indented lines for what
// looks wrong in it, and a line of the unknown words and codes.
#include <cstdint>

#include "driver/data_files.h"
#include "formats/data_check.h"
#include "records/source_record.h"
#include "tables/kanji_table.h"

namespace {

// Appends "N THING" or "N THINGS" for `n`.
void appendCount(std::string& out, int64_t n, const char* one, const char* many) {
  appendNumber(out, n);
  out += ' ';
  out += n == 1 ? one : many;
}

// Appends a text of a data file in double quotes.
void appendQuoted(std::string& out, const std::string& text, TextEncoding& encoding) {
  out += '"';
  appendText(out, text, encoding);
  out += '"';
}

// Appends the start of a file's line: its name, and the name it was found
// by when that is another ("list.rec (as LIST.REC): ").
void appendHeading(std::string& out, const char* dataFile, const CheckedFile& file) {
  out += dataFile;
  if (file.name != dataFile) {
    out += " (as " + file.name + ")";  // a name of the system: UTF-8 already
  }
  out += ": ";
}

// Appends the line of a file that was not read, and returns true; false for
// one that was, whose line is the caller's.
bool appendUnread(std::string& out, const char* dataFile, const CheckedFile& file,
                  const char* whenMissing) {
  if (file.state == CheckedState::read) {
    appendHeading(out, dataFile, file);
    return false;
  }
  out += dataFile;
  out += ": ";
  if (file.state == CheckedState::missing) {
    out += "not there; ";
    out += whenMissing;
  } else {
    out += "not read: " + file.problem;
  }
  out += '\n';
  return true;
}

// Appends the line of a file whose first bytes say it is something else.
void appendKind(std::string& out, const char* dataFile, FileKind kind) {
  if (kind == FileKind::expected) {
    return;
  }
  out += "  does not look like ";
  out += dataFile;
  out += ": ";
  out += describeFileKind(kind);
  out += '\n';
}

// Appends the line of a file of fixed records whose size is not a whole
// number of them: the last part record is read with 0xFF for its missing
// bytes, as record `whole` (counted from `firstNumber`).
void appendPartRecord(std::string& out, uint64_t bytes, size_t recordSize, int64_t firstNumber) {
  const uint64_t rest = bytes % recordSize;
  if (rest == 0) {
    return;
  }
  out += "  the size, ";
  appendNumber(out, static_cast<int64_t>(bytes));
  out += " bytes, is not a whole number of ";
  appendNumber(out, static_cast<int64_t>(recordSize));
  out += "-byte records: the last ";
  appendCount(out, static_cast<int64_t>(rest), "byte is", "bytes are");
  out += " read as record ";
  appendNumber(out, static_cast<int64_t>(bytes / recordSize) + firstNumber);
  out += ", with 0xFF for its missing ";
  appendCount(out, static_cast<int64_t>(recordSize - rest), "byte", "bytes");
  out += '\n';
}

void appendKanjiPart(std::string& out, const KanjiFileCheck& check) {
  if (appendUnread(out, kKanjiFile, check.file, "every kanji code shows as ?")) {
    return;
  }
  const int64_t whole = static_cast<int64_t>(check.file.bytes / kKanjiRecordSize);
  appendCount(out, whole, "record", "records");
  out += " of 166 bytes; ";
  if (whole > kFirstKanjiCode) {
    out += "codes ";
    appendNumber(out, kFirstKanjiCode);
    out += " to ";
    appendNumber(out, whole - 1);
    out += " name kanji\n";
  } else {
    out += "no code names a kanji: they start at record 525\n";
  }
  appendKind(out, kKanjiFile, check.file.kind);
  // Record N holds the kanji of code N: counted from 0.
  appendPartRecord(out, check.file.bytes, kKanjiRecordSize, 0);
}

// Appends an indented line of entries of words.txt that look wrong: how
// many, what is wrong, and the first.
void appendSighting(std::string& out, int64_t count, const char* what, const char* textName,
                    const WordSighting& first, TextEncoding& encoding) {
  if (count == 0) {
    return;
  }
  out += "  ";
  appendCount(out, count, "entry", "entries");
  out += ' ';
  out += what;
  out += count == 1 ? " (line " : " (first: line ";
  appendNumber(out, first.line);
  out += ", ";
  out += textName;
  out += ' ';
  appendQuoted(out, first.text, encoding);
  if (first.earlierLine > 0) {
    out += " as on line ";
    appendNumber(out, first.earlierLine);
  }
  out += ")\n";
}

void appendWordPart(std::string& out, const WordFileCheck& check, TextEncoding& encoding) {
  if (appendUnread(out, kWordFile, check.file,
                   "words get kanji only from codes in brackets and from the record's own name")) {
    return;
  }
  appendCount(out, check.lines.lines, "line", "lines");
  out += ", ";
  appendCount(out, check.entries, "entry", "entries");
  out += '\n';
  appendKind(out, kWordFile, check.file.kind);
  const WordFileLines& lines = check.lines;
  if (lines.cutLines > 0) {
    out += "  ";
    appendCount(out, lines.cutLines, "line is", "lines are");
    out += " longer than 79 bytes: the reader cuts ";
    out += lines.cutLines == 1 ? "it" : "each";
    out += " there and reads the rest as a line of its own";
    out += lines.cutLines == 1 ? " (line " : " (first: line ";
    appendNumber(out, lines.firstCutLine);
    out += ")\n";
  }
  appendSighting(out, check.repeatedKeys,
                 check.repeatedKeys == 1 ? "is never found: an earlier entry has its key"
                                         : "are never found: an earlier entry has their key",
                 "key", check.firstRepeated, encoding);
  appendSighting(out, check.unnamedCodes,
                 check.unnamedCodes == 1 ? "has a code that names no kanji, shown as ?"
                                         : "have a code that names no kanji, shown as ?",
                 "code", check.firstUnnamed, encoding);
}

void appendRecordPart(std::string& out, const RecordFileCheck& check) {
  if (appendUnread(out, kRecordFile, check.file, "the listing is empty")) {
    return;
  }
  const uint64_t bytes = check.file.bytes;
  const int64_t records = static_cast<int64_t>((bytes + kRecordSize - 1) / kRecordSize);
  appendCount(out, records, "record", "records");
  out += " of 666 bytes: ";
  appendNumber(out, check.listed);
  out += " listed, ";
  appendNumber(out, records - check.listed);
  out += " not listed\n";
  appendKind(out, kRecordFile, check.file.kind);
  appendPartRecord(out, bytes, kRecordSize, 1);
}

void appendUnknownPart(std::string& out, const RecordFileCheck& check, bool inPage) {
  if (check.file.state != CheckedState::read) {
    return;
  }
  out += "unknown words and codes: ";
  if (check.unknownWords == 0 && check.unknownCodes == 0 && check.unknownLeftOut == 0) {
    out += "none; every word and code of the listed records has its kanji\n";
    return;
  }
  if (check.unknownLeftOut > 0) {
    out += "at least ";  // the count stopped at its limit
  }
  appendCount(out, check.unknownWords, "word", "words");
  out += " and ";
  appendCount(out, check.unknownCodes, "code", "codes");
  out += inPage ? " show as ?; once converted, Mending below lists them\n"
                : " show as ?; listconv-export --format unknown lists them\n";
  if (check.unknownLeftOut > 0) {
    out += "  the count stopped at ";
    appendNumber(out, check.unknownWords + check.unknownCodes);
    out += " words and codes: others show as ? ";
    appendCount(out, check.unknownLeftOut, "more time", "more times");
    out += '\n';
  }
}

}  // namespace

void appendDataCheckReport(std::string& out, const DataCheck& check, TextEncoding& encoding,
                           bool inPage) {
  appendKanjiPart(out, check.kanji);
  appendWordPart(out, check.words, encoding);
  appendRecordPart(out, check.records);
  appendUnknownPart(out, check.records, inPage);
}
