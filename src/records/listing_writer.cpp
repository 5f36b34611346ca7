// Writing listing blocks.
#include "records/listing_writer.h"

#include <cstring>

#include "textutil/file_io.h"

namespace {

const std::string_view kUnlistedId = "        ";
const std::string_view kSeparator = "----------";

// The literal bytes of a block, line feeds not counted: the widest case.
const size_t kLiteralBytes = 48;
const size_t kLineFeeds = 8;

// Lays a block out in reserved output space; in a text file every line
// feed, of the layout or inside a value, is stored as CR LF.
struct BlockBuilder {
  char* at;
  bool crlf;        // line feeds of the layout become CR LF
  bool valuesCrlf;  // line feeds inside values become CR LF

  void literal(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }
  void newline() {
    if (crlf) {
      *at++ = '\r';
    }
    *at++ = '\n';
  }
  // Copies a value: eight bytes at a time, or through the file layer's
  // CR LF copy when its line feeds must become CR LF.
  void value(std::string_view v) {
    const char* p = v.data();
    const size_t n = v.size();
    if (valuesCrlf) {
      at = copyWithCrLf(at, p, n);
      return;
    }
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::memcpy(at, p + i, 8);
      at += 8;
    }
    for (; i < n; ++i) {
      *at++ = p[i];
    }
  }
  // Copies a value in whole pieces of kBlockReadAhead bytes, which is
  // quicker for short values: where valuesCrlf is off and `readAhead` tells
  // that the bytes past the value may be read.
  void valueReadingAhead(std::string_view v, bool readAhead) {
    if (valuesCrlf || !readAhead) {
      value(v);
      return;
    }
    for (size_t i = 0; i < v.size(); i += kBlockReadAhead) {
      std::memcpy(at + i, v.data() + i, kBlockReadAhead);
    }
    at += v.size();
  }
  // The block number as "%5.5d" prints it.
  void number(int64_t n) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* d = end;
    uint64_t u = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    do {
      *--d = static_cast<char>('0' + u % 10);
      u /= 10;
    } while (u != 0);
    while (end - d < 5) {
      *--d = '0';
    }
    if (n < 0) {
      *at++ = '-';
    }
    literal(std::string_view(d, end - d));
  }
};

}  // namespace

bool isListedId(std::string_view entryId) {
  return entryId != kUnlistedId;
}

bool isListed(const SourceRecord& record) {
  return isListedId(record.entryId);
}

std::string formatBlockNumber(int64_t number) {
  char digits[32];
  BlockBuilder b{digits, false, false};
  b.number(number);
  return std::string(digits, b.at - digits);
}

void writeBlock(OutputFile& out, const BlockText& t, int64_t number) {
  const std::string_view* values[] = {
      &t.entryId, &t.nameKey, &t.nameKanji1,   &t.nameKanji2, &t.nameKanji3, &t.detail1,
      &t.detail2, &t.period,  &t.periodRanges, &t.detail3,    &t.detail4,    &t.detail5,
      &t.detail6, &t.detail7, &t.wordLine,     &t.kanjiLine,  &t.note};
  size_t bound = 24 + kLiteralBytes + 2 * kLineFeeds;  // number, layout
  for (const std::string_view* v : values) {
    bound += 2 * v->size() + kBlockReadAhead;  // a value of line feeds doubles
  }
  char* start = reserveOutput(out, bound);
  BlockBuilder b{start, out.text, out.text && t.lineFeeds};
  const bool ahead = t.readAhead;
  b.number(number);
  b.literal(" ");
  b.valueReadingAhead(t.entryId, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.nameKey, ahead);
  b.literal(" (");
  b.value(t.nameKanji1);
  b.literal(" ");
  b.value(t.nameKanji2);
  b.literal(" ");
  b.value(t.nameKanji3);
  b.literal(")");
  b.newline();

  b.valueReadingAhead(t.detail1, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.detail2, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.period, ahead);
  b.value(t.periodRanges);
  b.literal(", ");
  b.valueReadingAhead(t.detail3, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.detail4, ahead);
  b.newline();

  b.valueReadingAhead(t.detail5, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.detail6, ahead);
  b.literal(", ");
  b.valueReadingAhead(t.detail7, ahead);
  b.newline();

  b.valueReadingAhead(t.wordLine, ahead);
  b.newline();
  b.valueReadingAhead(t.kanjiLine, ahead);
  b.newline();
  b.valueReadingAhead(t.note, ahead);
  b.newline();
  b.newline();
  b.literal(kSeparator);
  b.newline();
  commitOutput(out, b.at - start);
}

void writeListingBlock(OutputFile& out, const SourceRecord& record, const BlockValues& values,
                       int64_t& recordCount) {
  if (!isListed(record)) {
    return;
  }
  ++recordCount;
  BlockText t;
  t.entryId = record.entryId;
  t.nameKey = values.nameKey;
  t.nameKanji1 = record.nameKanji1;
  t.nameKanji2 = record.nameKanji2;
  t.nameKanji3 = record.nameKanji3;
  t.detail1 = record.detail1;
  t.detail2 = record.detail2;
  t.period = values.period;
  t.detail3 = record.detail3;
  t.detail4 = record.detail4;
  t.detail5 = record.detail5;
  t.detail6 = record.detail6;
  t.detail7 = record.detail7;
  t.wordLine = values.wordLine;
  t.kanjiLine = values.kanjiLine;
  t.note = record.note;
  writeBlock(out, t, recordCount);
}
