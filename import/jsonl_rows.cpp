// The JSON Lines rows of a table file: on every line one JSON object whose
// values are strings or integers (an integer is kept as its digits), its keys
// in any order. The first line's keys are the columns; every later line must
// have the same keys. A line is parsed on its own, so a line that is wrong
// does not keep the next ones from being read. In CP932 mode a string's bytes
// are taken as they stand: an escape stands for one byte, and a trail byte
// 0x5C is a backslash to JSON, as it is to a writer that escapes bytes.
#include "jsonl_rows.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "cp932/cp932.h"
#include "table_parts.h"
#include "textutil/shown_text.h"
#include "textutil/text_bytes.h"

namespace {

// The parse of one line; `p` moves from the first byte to `e`, the line's
// end without its LF.
struct JsonLine {
  TableReader& r;
  bool first;  // the line whose keys make the header
  const char* p;
  const char* e;
  bool checkRuns;              // the line is not all UTF-8: each string's bytes are checked
  bool valueReported = false;  // the value being read has a problem noted
};

// The bytes a string holds as they stand: all but controls, " and \.
struct PlainBytes {
  bool plain[256];
  PlainBytes() {
    for (int c = 0; c < 256; ++c) {
      plain[c] = c >= 0x20 && c != '"' && c != '\\';
    }
  }
};
const PlainBytes kPlain;

// Notes that the line is not well-formed at `at`; gives false, so that the
// parse of the line stops.
bool malformed(JsonLine& j, const char* at) {
  const size_t byte = static_cast<size_t>(at - j.r.line.data()) + 1;
  addProblem(j.r, j.r.lineNumber, 0, std::string(),
             "JSON that is not well formed (at byte " + std::to_string(byte) + " of the line)");
  return false;
}

// Notes a problem of the value being read, the first one only.
void valueProblem(JsonLine& j, size_t column, std::string reason) {
  if (!j.valueReported) {
    addProblem(j.r, j.r.lineNumber, column, columnNameOf(j.r, column), std::move(reason));
    j.valueReported = true;
  }
}

void skipSpace(JsonLine& j) {
  while (j.p < j.e && (*j.p == ' ' || *j.p == '\t' || *j.p == '\r')) {
    ++j.p;
  }
}

// The value of four hex digits at `at`, or -1.
int32_t hex4(const char* at, const char* e) {
  if (e - at < 4) {
    return -1;
  }
  int32_t v = 0;
  for (int k = 0; k < 4; ++k) {
    const int d = hexDigitValue(at[k]);
    if (d < 0) {
      return -1;
    }
    v = v * 16 + d;
  }
  return v;
}

// Reads a \u escape, `p` just past the u, into `out`.
bool readUnicodeEscape(JsonLine& j, std::string& out, size_t column) {
  int32_t cp = hex4(j.p, j.e);
  if (cp < 0) {
    return malformed(j, j.p);
  }
  j.p += 4;
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    const int32_t low = j.e - j.p >= 6 && j.p[0] == '\\' && j.p[1] == 'u' ? hex4(j.p + 2, j.e) : -1;
    if (low >= 0xDC00 && low <= 0xDFFF) {
      j.p += 6;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if (cp >= 0xD800 && cp <= 0xDFFF) {
    valueProblem(j, column, "a \\u escape of half a surrogate pair");
  } else if (!j.r.options.utf8 && cp >= 0x80) {
    valueProblem(j, column, "a \\u escape beyond ASCII in a file read as CP932");
  } else {
    appendUtf8(out, static_cast<uint32_t>(cp));
  }
  return true;
}

// Reads a string, `p` just past its opening quote, into `out`.
bool readString(JsonLine& j, std::string& out, size_t column) {
  out.clear();
  j.valueReported = false;
  for (;;) {
    const char* run = j.p;
    while (j.p < j.e && kPlain.plain[static_cast<unsigned char>(*j.p)]) {
      ++j.p;
    }
    // A run ends at an ASCII byte, never inside a UTF-8 sequence.
    const size_t before = j.r.problems.size();
    if (j.checkRuns && !j.valueReported) {
      checkUtf8(j.r, std::string_view(run, static_cast<size_t>(j.p - run)), j.r.lineNumber, column);
      j.valueReported = j.r.problems.size() != before;
    }
    out.append(run, static_cast<size_t>(j.p - run));
    if (j.p == j.e || static_cast<unsigned char>(*j.p) < 0x20) {
      return malformed(j, j.p);
    }
    if (*j.p++ == '"') {
      return true;
    }
    if (j.p == j.e) {
      return malformed(j, j.p);
    }
    const char escaped = *j.p++;
    switch (escaped) {
      case '"':
      case '\\':
      case '/':
        out += escaped;
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u':
        if (!readUnicodeEscape(j, out, column)) {
          return false;
        }
        break;
      default:
        return malformed(j, j.p - 1);
    }
  }
}

inline bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a value into `out`: a string, or an integer as its digits.
bool readValue(JsonLine& j, std::string& out, size_t column) {
  if (j.p == j.e) {
    return malformed(j, j.p);
  }
  if (*j.p == '"') {
    ++j.p;
    return readString(j, out, column);
  }
  const char* start = j.p;
  if (*j.p == '-' || isDigit(*j.p)) {
    j.p += *j.p == '-' ? 1 : 0;
    if (j.p == j.e || !isDigit(*j.p)) {
      return malformed(j, j.p);
    }
    if (*j.p++ != '0') {
      while (j.p < j.e && isDigit(*j.p)) {
        ++j.p;
      }
    }
    if (j.p == j.e || (*j.p != '.' && *j.p != 'e' && *j.p != 'E')) {
      out.assign(start, static_cast<size_t>(j.p - start));
      return true;
    }
  } else if (std::string_view("tfn[{").find(*j.p) == std::string_view::npos) {
    return malformed(j, j.p);
  }
  addProblem(j.r, j.r.lineNumber, column, columnNameOf(j.r, column),
             "a value that is neither a string nor an integer");
  return false;
}

// The header column named `key`, or header.size(). Lines mostly keep one
// order of keys: the column after the previous key's is tried first.
size_t findKey(TableReader& r, const std::string& key) {
  const size_t n = r.header.size();
  size_t i = r.keyHint;
  if (i >= n || r.header[i] != key) {
    const auto found = r.keyIndex.find(key);
    if (found == r.keyIndex.end()) {
      return n;
    }
    i = found->second;
  }
  r.keyHint = i + 1;
  return i;
}

// Makes the first line's keys the header, each once, in their order.
void settleHeader(TableReader& r) {
  r.keyIndex.clear();
  size_t kept = 0;
  for (size_t i = 0; i < r.header.size(); ++i) {
    if (r.keyIndex.emplace(r.header[i], kept).second) {
      r.header[kept++].swap(r.header[i]);
    }
  }
  r.header.resize(kept);
  sizeRow(r);
}

// Where the value of the key just read goes: a column's cell, or `spare`.
std::string& valueSlot(JsonLine& j, size_t& column) {
  TableReader& r = j.r;
  column = 0;
  if (j.first) {
    r.header.push_back(r.key);
    column = r.header.size();
    return r.spare;
  }
  const size_t i = findKey(r, r.key);
  if (i == r.header.size()) {
    addProblem(r, r.lineNumber, 0, r.key,
               "a key that the first line does not have: " + shownText(r.key));
    return r.spare;
  }
  column = i + 1;
  if (r.present[i] != 0) {
    addProblem(r, r.lineNumber, column, r.key, "a key that stands twice: " + shownText(r.key));
    return r.spare;
  }
  r.present[i] = 1;
  r.cellLines[i] = r.lineNumber;
  return r.cells[i];
}

// Reads the members of the object, `p` just past its {.
bool readMembers(JsonLine& j) {
  TableReader& r = j.r;
  skipSpace(j);
  if (j.p < j.e && *j.p == '}') {
    ++j.p;
    return true;
  }
  for (;;) {
    if (j.p == j.e || *j.p != '"') {
      return malformed(j, j.p);
    }
    ++j.p;
    if (!readString(j, r.key, 0)) {
      return false;
    }
    size_t column = 0;
    std::string& slot = valueSlot(j, column);
    skipSpace(j);
    if (j.p == j.e || *j.p != ':') {
      return malformed(j, j.p);
    }
    ++j.p;
    skipSpace(j);
    if (!readValue(j, slot, column)) {
      return false;
    }
    skipSpace(j);
    if (j.p < j.e && *j.p == ',') {
      ++j.p;
      skipSpace(j);
      continue;
    }
    if (j.p < j.e && *j.p == '}') {
      ++j.p;
      return true;
    }
    return malformed(j, j.p);
  }
}

// Reads the line as an object; false when it is not one (a problem noted).
bool readObject(JsonLine& j) {
  skipSpace(j);
  if (j.p == j.e || *j.p != '{') {
    addProblem(j.r, j.r.lineNumber, 0, std::string(), "a line that is not a JSON object");
    return false;
  }
  ++j.p;
  if (!readMembers(j)) {
    return false;
  }
  skipSpace(j);
  return j.p == j.e || malformed(j, j.p);
}

// Reads and drops the rest of a line longer than the limit.
void skipRestOfLine(TableReader& r) {
  while (!r.line.empty() && r.line.back() != '\n' &&
         readLinePiece(r.in, r.line, r.options.maxRowBytes) && r.in.error == 0) {
  }
}

}  // namespace

TableStatus readJsonRow(TableReader& r, bool first) {
  const size_t limit = r.options.maxRowBytes;
  if (!nextLine(r, limit)) {
    if (r.in.error != 0) {
      r.problems.clear();
      r.halted = true;
      return TableStatus::stopped;
    }
    return TableStatus::end;
  }
  r.rowLine = r.lineNumber;
  if (r.line.size() > limit) {
    if (first) {
      return stopReading(r, r.rowLine, 0, "a line longer than " + byteLimitText(limit));
    }
    skipRestOfLine(r);
    if (r.in.error != 0) {
      r.problems.clear();
      r.halted = true;
      return TableStatus::stopped;
    }
    addProblem(r, r.rowLine, 0, std::string(), "a line longer than " + byteLimitText(limit));
    return TableStatus::problems;
  }
  std::fill(r.present.begin(), r.present.end(), 0);
  r.keyHint = 0;
  const char* begin = r.line.data();
  const char* end = begin + r.line.size();
  if (end > begin && end[-1] == '\n') {
    --end;
  }
  const bool checkRuns =
      r.options.utf8 && firstNonUtf8(std::string_view(begin, static_cast<size_t>(end - begin))) !=
                            static_cast<size_t>(end - begin);
  if (checkRuns) {
    noteNonUtf8Line(r, std::string_view(begin, static_cast<size_t>(end - begin)));
  }
  JsonLine j{r, first, begin, end, checkRuns};
  const bool whole = readObject(j);
  if (first) {
    if (!whole) {
      r.problems.resize(1);
      r.halted = true;
      return TableStatus::stopped;
    }
    settleHeader(r);
    return TableStatus::ok;
  }
  for (size_t i = 0; i < r.header.size(); ++i) {
    if (r.present[i] == 0) {
      r.cells[i].clear();
      if (whole) {
        addProblem(r, r.rowLine, i + 1, r.header[i], "a missing key: " + shownText(r.header[i]));
      }
    }
  }
  return rowStatus(r);
}
