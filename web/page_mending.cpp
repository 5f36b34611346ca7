// The page's mending: each answer is made by the programs' own code (the
// kanji table and its index, the dictionary's reader, listconv-import's line
// writer, the CP932 tables) and only put into JSON here.
#include "page_mending.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "cp932/cp932.h"
#include "driver/data_files.h"
#include "formats/table_rows.h"
#include "io/input_file.h"
#include "tables/kanji_index.h"
#include "tables/kanji_table.h"
#include "tables/typed_text.h"
#include "tables/word_file_writer.h"
#include "tables/word_rules.h"

namespace {

// The length of the UTF-8 character that starts with `lead`.
size_t utf8CharLength(unsigned char lead) {
  if (lead >= 0xF0) {
    return 4;
  }
  if (lead >= 0xE0) {
    return 3;
  }
  return lead >= 0xC0 ? 2 : 1;
}

std::string cp932AsUtf8(std::string_view cp932) {
  std::string utf8;
  size_t undecodable = 0;
  appendCp932AsUtf8(utf8, cp932, undecodable);
  return utf8;
}

// The whole file at `path` as bytes, none when there is no such file; false
// when it cannot be read.
bool readWhole(const std::string& path, std::string& bytes) {
  InputFile in;
  if (!openInput(in, path.c_str(), false)) {
    return in.error == ENOENT;
  }
  unsigned char block[1 << 14];
  for (size_t n; (n = readRecordBytes(in, block, sizeof block)) > 0;) {
    bytes.append(reinterpret_cast<const char*>(block), n);
  }
  const bool ok = in.error == 0;
  closeInput(in);
  return ok;
}

// ---- The unknowns ----------------------------------------------------------

// How an unknown row is mended, and what to tell the person.
struct Mending {
  const char* mend;
  std::string advice;
};

// A word: a group (a blank where the record had a comma) no key can hold; a
// word that starts with a bracket is better joined in the record; any other
// takes a line of words.txt.
Mending wordMending(const std::string& word) {
  if (word.find(' ') != std::string::npos) {
    std::string separated;
    for (const char c : word) {
      separated += c == ' ' ? std::string(", ") : std::string(1, c);
    }
    return {"record",
            "a word group: words joined by a comma inside one word of the record are looked up "
            "as one, with a blank where the comma was. No key of words.txt can hold a blank, so "
            "the dictionary cannot mend it. In the record, put a blank after the comma (" +
                separated +
                ": two words, each looked up), or give the group its codes in brackets after it "
                "(the look-up below gives the code of each kanji)."};
  }
  if (!word.empty() && word[0] == '[') {
    return {"either",
            "a word that starts with a bracket: codes in brackets count only behind a word "
            "(river[527]), so " +
                word +
                " is looked up whole. Best mended in the record, by joining it to the word in "
                "front (tani [525] becomes tani[525]); a line of words.txt for it below also "
                "does."};
  }
  return {"dictionary",
          "a word that words.txt lacks: type its kanji below and add it to the page's words.txt."};
}

// A code: one that never names a kanji, or one past the end of kanjis.dat
// (all of them, where there is no kanjis.dat).
Mending codeMending(const std::string& code, const KanjiTable& table) {
  if (kanjiCodeNumber(code) < kFirstKanjiCode) {
    return {"record", "a code that never names a kanji (kanji codes start at " +
                          std::to_string(kFirstKanjiCode) + "): correct the code in the record."};
  }
  if (table.empty()) {
    return {"record",
            "a kanji code, but the page has no kanji table: without kanjis.dat no code names a "
            "kanji. Give the page kanjis.dat; a code still unknown then is corrected in the "
            "record."};
  }
  // The last entry of the table is the read that met the end of the file.
  const int64_t last = static_cast<int64_t>(table.size()) - 2;
  if (last < kFirstKanjiCode) {
    return {"record",
            "a code past the end of kanjis.dat, which holds no kanji: its records end "
            "before code " +
                std::to_string(kFirstKanjiCode) +
                ". Give the page the kanjis.dat of the records, or correct the code in "
                "the record."};
  }
  return {"record", "a code past the end of kanjis.dat, whose last kanji has the code " +
                        std::to_string(last) +
                        ": correct the code in the record (the look-up below gives the code "
                        "of each kanji), or give kanjis.dat a record for it."};
}

}  // namespace

std::string unknownListJson(const UnknownReport& report, const std::string& dir) {
  KanjiTable table;
  loadKanjiTableFrom(dataFilesIn(dir).kanji.c_str(), table);
  const std::vector<UnknownRow> rows = unknownRows(report);
  std::string out = "{\"rows\":[";
  for (const UnknownRow& row : rows) {
    const std::string text = cp932AsUtf8(*row.text);
    const bool word = std::string_view(row.kind) == "word";
    const Mending m = word ? wordMending(text) : codeMending(text, table);
    out += &row == &rows.front() ? "{\"kind\":" : ",{\"kind\":";
    appendJsonString(out, row.kind);
    out += ",\"text\":";
    appendJsonString(out, text);
    out += ",\"count\":" + std::to_string(row.tally.count);
    out += ",\"first\":" + std::to_string(row.tally.first);
    out += ",\"mend\":";
    appendJsonString(out, m.mend);
    out += ",\"advice\":";
    appendJsonString(out, m.advice);
    out += '}';
  }
  out += "]}";
  return out;
}

// ---- The kanji -------------------------------------------------------------

namespace {

// One character of a kanji text and the code kanjis.dat gives it, or no
// code and why it has none.
struct KanjiCode {
  std::string kanji;  // UTF-8
  std::string code;   // as words.txt holds it; "" for none
  std::string why;
};

// The code of every character of the UTF-8 text `kanji`, as listconv-import
// finds the codes of a dictionary row's kanji. The text is taken as UTF-8
// only where it is that.
std::vector<KanjiCode> kanjiCodesOf(const KanjiIndex& index, std::string_view kanji) {
  std::vector<KanjiCode> out;
  TextList found;
  for (size_t p = 0; p < kanji.size();) {
    const size_t n =
        std::min(utf8CharLength(static_cast<unsigned char>(kanji[p])), kanji.size() - p);
    KanjiCode k;
    k.kanji.assign(kanji.substr(p, n));
    std::string cp932;
    Cp932EncodeError error;
    found.clear();
    if (!storedBytes(k.kanji, true, cp932, error)) {
      k.why = error.malformed ? "not UTF-8" : "not a character of Shift-JIS";
    } else if (!codesOfKanji(index, cp932, found).empty()) {
      k.why = "kanjis.dat has no such kanji";
    } else {
      k.code = found.front();
    }
    out.push_back(k);
    p += n;
  }
  return out;
}

// Whether `text` is codes: digits, with blanks or commas between.
bool isCodeText(std::string_view text) {
  bool digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != ' ' && c != ',') {
      return false;
    }
  }
  return digit;
}

void loadKanjiOf(const std::string& dir, KanjiTable& table, KanjiIndex& index) {
  loadKanjiTableFrom(dataFilesIn(dir).kanji.c_str(), table);
  index = indexKanjiTable(table);
}

}  // namespace

std::string kanjiLookupJson(const std::string& dir, std::string_view text) {
  KanjiTable table;
  KanjiIndex index;
  loadKanjiOf(dir, table, index);
  std::string out;
  if (isCodeText(text)) {
    out = "{\"byCode\":true,\"items\":[";
    size_t items = 0;
    for (size_t p = 0; p < text.size();) {
      const size_t end = std::min(text.find_first_of(" ,", p), text.size());
      if (end > p) {
        const std::string code(text.substr(p, end - p));
        const KanjiLookup found = lookupKanji(table, code);
        out += items++ == 0 ? "{\"code\":" : ",{\"code\":";
        appendJsonString(out, code);
        out += ",\"kanji\":";
        if (found.found) {
          appendJsonString(out, cp932AsUtf8(found.text));
        } else {
          out += "null";
        }
        out += '}';
      }
      p = end + 1;
    }
    return out + "]}";
  }
  out = "{\"byCode\":false,\"items\":[";
  const std::vector<KanjiCode> codes = kanjiCodesOf(index, text);
  for (size_t i = 0; i < codes.size(); ++i) {
    out += i == 0 ? "{\"kanji\":" : ",{\"kanji\":";
    appendJsonString(out, codes[i].kanji);
    out += ",\"code\":" + (codes[i].code.empty() ? std::string("null") : codes[i].code);
    out += ",\"why\":";
    appendJsonString(out, codes[i].why);
    out += '}';
  }
  return out + "]}";
}

// ---- Adding a word ---------------------------------------------------------

namespace {

std::string refused(const std::string& reason) {
  std::string out = "{\"refused\":";
  appendJsonString(out, reason);
  return out + "}";
}

// Sets `stored` to the CP932 bytes of what the person typed; false, with
// `reason` set, when Shift-JIS cannot hold it.
bool typedAsStored(const char* what, std::string_view utf8, std::string& stored,
                   std::string& reason) {
  Cp932EncodeError error;
  if (storedBytes(utf8, true, stored, error)) {
    return true;
  }
  reason =
      std::string("the ") + what + " holds " +
      (error.malformed ? "bytes that are not text" : error.text + ", which Shift-JIS cannot hold") +
      adviceInBrackets(error.codePoint);
  return false;
}

const char* partName(WordPart part) {
  switch (part) {
    case WordPart::key:
      return "the word as the records show it";
    case WordPart::word:
      return "the reading";
    case WordPart::codes:
      return "the kanji";
    default:
      return "the line";
  }
}

// What the dictionary's reader holds after the last line of the word file at
// `path`, and whether an entry has `key`; false when the file cannot be read.
bool lastReadState(const char* path, const KanjiTable& table, const std::string& key,
                   WordLine& last, bool& hasKey, int64_t& entries) {
  hasKey = false;
  entries = 0;
  const FileError e = listWordEntries(path, table, [&](const ListedWordEntry& listed) {
    last = *listed.values;
    hasKey = hasKey || listed.entry->key == key;
    ++entries;
  });
  return !failed(e);
}

}  // namespace

std::string addWordJson(const std::string& dir, std::string_view key, std::string_view word,
                        std::string_view kanji, const std::string& output) {
  const DataFiles files = dataFilesIn(dir);
  KanjiTable table;
  KanjiIndex index;
  loadKanjiOf(dir, table, index);
  WordLine entry;
  std::string reason;
  if (!typedAsStored("word", key, entry.key, reason) ||
      !typedAsStored("reading", word, entry.word, reason)) {
    return refused(reason);
  }
  if (kanji.empty()) {
    return refused("type the kanji of the word");
  }
  for (const KanjiCode& k : kanjiCodesOf(index, kanji)) {
    if (k.code.empty()) {
      return refused(k.kanji + ": " + k.why);
    }
    entry.codes.push_back(k.code);
  }

  WordFileWriter writer;
  bool hasKey = false;
  int64_t entries = 0;
  if (!lastReadState(files.words.c_str(), table, entry.key, writer.working, hasKey, entries)) {
    return refused("words.txt could not be read");
  }
  // The same rules as listconv-import's for an entry it adds.
  const WordLineFault rule = wordEntryFault(entry, table, hasKey);
  if (rule.reason == kRepeatedKey) {
    return refused(kRepeatedKey);
  }
  if (rule.reason != nullptr) {
    return refused(std::string(partName(rule.part)) + ": " + rule.reason);
  }
  std::string line;
  const WordLineFault fault = writeWordLine(writer, entry, line);
  if (fault.reason != nullptr) {
    return refused(std::string(partName(fault.part)) + ": " + fault.reason);
  }

  std::string bytes;
  // What could not be read whole is not written over with a part of it.
  if (!readWhole(files.words, bytes)) {
    return refused("words.txt could not be read");
  }
  if (bytes.find(kCtrlZ) != std::string::npos) {
    return refused(
        "words.txt holds the byte 0x1A, where its reader stops: a line after it "
        "would never be read");
  }
  endOpenWordLine(bytes);
  bytes += line;
  bytes += kWordLineEnd;
  std::FILE* out = std::fopen(output.c_str(), "wb");
  const bool written =
      out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out == nullptr || std::fclose(out) != 0 || !written) {
    std::remove(output.c_str());
    return refused("the new words.txt could not be written");
  }
  // The file is read back as listconv reads it: the entry has to be its last.
  WordLine readBack;
  bool found = false;
  int64_t after = 0;
  if (!lastReadState(output.c_str(), table, entry.key, readBack, found, after) ||
      after != entries + 1 || readBack.key != entry.key || readBack.word != entry.word ||
      readBack.codes != entry.codes) {
    std::remove(output.c_str());
    return refused("the new line would not be read back as written");
  }
  std::string json = "{\"line\":";
  appendJsonString(json, cp932AsUtf8(line));
  return json + "}";
}
