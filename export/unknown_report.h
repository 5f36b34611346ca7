// The report of unknowns: what the listed records showed as "?" for lack of
// data, counted as the records are converted and written as CSV at the end.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "export_rows.h"
#include "records/field_assembly.h"

// How often one text was shown as "?", and in which block first.
struct UnknownTally {
  int64_t count = 0;
  int64_t first = 0;
};

// What the listed records showed as "?" for lack of data: words (as looked
// up) and codes (blanks removed), each with its tally.
struct UnknownReport {
  std::unordered_map<std::string, UnknownTally> words;
  std::unordered_map<std::string, UnknownTally> codes;
};

// Adds what the listed record of block `number` showed as "?": the words and
// codes in `unknown`.
void noteUnknowns(UnknownReport& report, int64_t number, const UnknownWords& unknown);

// Appends the report as CSV: a header "kind,text,count,first", then a row
// for each word and code, by count (highest first), then by the text's
// bytes, then by kind; rows ended by CR LF. `escapeFormulas` as for
// appendCsvField; only the texts can start like a formula.
void appendUnknownReport(std::string& out, const UnknownReport& report, TextEncoding& encoding,
                         bool escapeFormulas);
