// Counting and writing the unknown words and codes.
#include "formats/unknown_report.h"

#include <algorithm>
#include <cassert>
#include <string_view>

void noteUnknowns(UnknownReport& report, int64_t number, const UnknownWords& unknown) {
  const auto note = [number, &report](std::unordered_map<std::string, UnknownTally>& tallies,
                                      const std::string& text) {
    const auto known = tallies.find(text);
    if (known != tallies.end()) {
      ++known->second.count;
    } else if (report.words.size() + report.codes.size() < report.limit) {
      tallies.emplace(text, UnknownTally{1, number});
    } else {
      ++report.leftOut;
    }
  };
  for (const std::string& code : unknown.codes) {
    note(report.codes, code);
  }
  for (const std::string& word : unknown.words) {
    note(report.words, word);
  }
}

std::vector<UnknownRow> unknownRows(const UnknownReport& report) {
  std::vector<UnknownRow> rows;
  rows.reserve(report.words.size() + report.codes.size());
  for (const auto& [text, tally] : report.words) {
    rows.push_back({"word", &text, tally});
  }
  for (const auto& [text, tally] : report.codes) {
    rows.push_back({"code", &text, tally});
  }
  // std::string compares its bytes as unsigned char.
  std::sort(rows.begin(), rows.end(), [](const UnknownRow& a, const UnknownRow& b) {
    if (a.tally.count != b.tally.count) {
      return a.tally.count > b.tally.count;
    }
    const int byText = a.text->compare(*b.text);
    return byText != 0 ? byText < 0 : std::string_view(a.kind) < std::string_view(b.kind);
  });
  return rows;
}

void appendUnknownReport(std::string& out, const UnknownReport& report, TextEncoding& encoding,
                         bool escapeFormulas) {
  out += "kind,text,count,first\r\n";
  for (const UnknownRow& row : unknownRows(report)) {
    out += row.kind;
    out += ',';
    assert(row.tally.count >= 1 && row.tally.first >= 1);
    appendCsvField(out, *row.text, encoding, escapeFormulas);
    out += ',';
    appendNumber(out, row.tally.count);
    out += ',';
    appendNumber(out, row.tally.first);
    out += "\r\n";
  }
}
