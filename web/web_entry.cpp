// The page's entry points, called by its worker script: listconv's run and
// listconv-export's formats over the files the page has put in the module's
// in-memory file system, and what the page shows of the data files and the
// formats, so that the page holds no copy of it. Nothing of the conversion is
// done here.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "driver/data_files.h"
#include "driver/run.h"
#include "formats/export_formats.h"
#include "formats/export_run.h"
#include "io/platform.h"
#include "page_mending.h"

namespace {

// A data file as the page lists it: its name, and what converting without it
// gives.
struct PageInput {
  const char* name;
  const char* whenMissing;
};

const PageInput kPageInputs[] = {
    {kKanjiFile, "without the kanji table every kanji code shows as ?"},
    {kWordFile, "without the dictionary every word is unknown and shows as ?"},
    {kRecordFile, "without the records there is nothing to convert and no list.txt is made"},
};

// Whether the page's export in `format`, made with the export's default
// options (UTF-8, the tables as CSV), may start with a byte-order mark.
bool takesPageByteOrderMark(const ExportFormat& format) {
  const ExportOptions defaults;
  return takesByteOrderMark(format, defaults.utf8, defaults.jsonLines);
}

// The report of unknowns of the page's latest export, kept for its list of
// unknowns (web_unknown_list).
UnknownReport latestUnknowns;

// The lines of a block of the listing whose note holds no line feed: its
// six lines of text, the blank line and the rule (formatListingBlock).
const int kListingBlockLines = 8;

// The facts the page takes from the programs, as a JSON object:
// {"inputs":[{"name":..,"whenMissing":..},..],"records":..,"listing":..,
//  "words":..,"blockLines":..,
//  "formats":[{"name":..,"bom":true|false,"lists":..},..]}, the formats in
// the export's order.
std::string pageFacts() {
  std::string out = "{\"inputs\":[";
  for (const PageInput& input : kPageInputs) {
    out += &input == kPageInputs ? "{\"name\":" : ",{\"name\":";
    appendJsonString(out, input.name);
    out += ",\"whenMissing\":";
    appendJsonString(out, input.whenMissing);
    out += '}';
  }
  out += "],\"records\":";
  appendJsonString(out, kRecordFile);
  out += ",\"listing\":";
  appendJsonString(out, kListingFile);
  out += ",\"words\":";
  appendJsonString(out, kWordFile);
  out += ",\"blockLines\":" + std::to_string(kListingBlockLines);
  out += ",\"formats\":[";
  for (const ExportFormat& format : kExportFormats) {
    out += &format == kExportFormats ? "{\"name\":" : ",{\"name\":";
    appendJsonString(out, format.name);
    out += takesPageByteOrderMark(format) ? ",\"bom\":true" : ",\"bom\":false";
    out += ",\"lists\":";
    appendJsonString(out, listedFileOf(format));
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace

extern "C" {

// The facts of pageFacts, as a text the module keeps.
EMSCRIPTEN_KEEPALIVE const char* web_facts() {
  static const std::string facts = pageFacts();
  return facts.c_str();
}

// Converts the data files of `dir` into `dir`/list.txt as listconv does in
// its current folder; returns listconv's exit status.
EMSCRIPTEN_KEEPALIVE int web_convert(const char* dir) {
  if (const int error = enterFolder(dir)) {
    std::fprintf(stderr, "listconv: cannot enter %s: %s\n", dir, std::strerror(error));
    return 1;
  }
  return runConversion();
}

// Writes the export of the data files of `dir` in `format` (UTF-8) to
// `output`, as listconv-export --format FORMAT [--bom] [--title TITLE] -o
// OUTPUT does in `dir` (so that its messages name the files as the person
// knows them, not by the page's folder); returns its exit status (2 for an
// unknown format).
EMSCRIPTEN_KEEPALIVE int web_export(const char* format, int bom, const char* title, const char* dir,
                                    const char* output) {
  latestUnknowns = UnknownReport();
  ExportOptions options;
  options.format = findExportFormat(format);
  if (options.format == nullptr) {
    std::fprintf(stderr, "listconv-export: no format %s\n", format);
    return 2;
  }
  if (bom != 0 && !takesPageByteOrderMark(*options.format)) {
    std::fprintf(stderr, "listconv-export: no byte-order mark for %s\n", format);
    return 2;
  }
  options.bom = bom != 0;
  if (title[0] != '\0') {
    options.title = title;
  }
  if (const int error = enterFolder(dir)) {
    std::fprintf(stderr, "listconv-export: cannot enter %s: %s\n", dir, std::strerror(error));
    return 1;
  }
  options.output = output;
  options.inPage = true;
  options.keptUnknowns = &latestUnknowns;
  return runExport(options);
}

// The unknown words and codes the latest export noted (none where it failed
// or its format notes none), each with how it is mended (unknownListJson),
// codes looked up in the kanjis.dat of `dir`; the report is let go after.
EMSCRIPTEN_KEEPALIVE const char* web_unknown_list(const char* dir) {
  static std::string answer;
  answer = unknownListJson(latestUnknowns, dir);
  latestUnknowns = UnknownReport();
  return answer.c_str();
}

// The codes kanjis.dat of `dir` gives the characters of `text`, or the kanji
// of the codes in it (kanjiLookupJson).
EMSCRIPTEN_KEEPALIVE const char* web_kanji_lookup(const char* dir, const char* text) {
  static std::string answer;
  answer = kanjiLookupJson(dir, text);
  return answer.c_str();
}

// Writes to `output` the words.txt of `dir` with the entry KEY WORD KANJI
// added as listconv-import writes it, or says why not (addWordJson).
EMSCRIPTEN_KEEPALIVE const char* web_add_word(const char* dir, const char* key, const char* word,
                                              const char* kanji, const char* output) {
  static std::string answer;
  answer = addWordJson(dir, key, word, kanji, output);
  return answer.c_str();
}

}  // extern "C"
