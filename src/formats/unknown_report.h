// The report of unknowns: what the listed records showed as "?" for lack of
// data, counted as the records are converted and written as CSV at the end.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/export_rows.h"
#include "records/field_assembly.h"

// How often one text was shown as "?", and in which block first.
struct UnknownTally {
  int64_t count = 0;
  int64_t first = 0;
};

// The most distinct words and codes a report keeps, together: far more than
// a collection lacks, yet a bounded memory on endless input (/dev/urandom as
// list.rec), where nearly every record shows new ones.
const size_t kUnknownLimit = 100000;

// What the listed records showed as "?" for lack of data: words (as looked
// up) and codes (blanks removed), each with its tally. Once `limit` texts are
// kept, only the kept ones are tallied; the others are counted in `leftOut`.
struct UnknownReport {
  std::unordered_map<std::string, UnknownTally> words;
  std::unordered_map<std::string, UnknownTally> codes;
  size_t limit = kUnknownLimit;
  int64_t leftOut = 0;  // times a text that was not kept showed as "?"
};

// Adds what the listed record of block `number` showed as "?": the words and
// codes in `unknown`, each new one only while the report has room for it.
void noteUnknowns(UnknownReport& report, int64_t number, const UnknownWords& unknown);

// One word or code of a report: its kind ("word" or "code"), its text as
// stored (the report's own) and its tally.
struct UnknownRow {
  const char* kind;
  const std::string* text;
  UnknownTally tally;
};

// The words and codes of `report` in the report's order: by count (highest
// first), then by the text's bytes, then by kind.
std::vector<UnknownRow> unknownRows(const UnknownReport& report);

// Appends the report as CSV: a header "kind,text,count,first", then a row
// for each of unknownRows; rows ended by CR LF. `escapeFormulas` as for
// appendCsvField; only the texts can start like a formula.
void appendUnknownReport(std::string& out, const UnknownReport& report, TextEncoding& encoding,
                         bool escapeFormulas);
