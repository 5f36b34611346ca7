// What the page's mending section asks of the data files: the unknown words
// and codes with how each is mended, the codes kanjis.dat gives kanji (and
// the kanji of codes), and a words.txt with one entry added, written as
// listconv-import writes its lines. Each answer is a JSON text for the page.
#pragma once

#include <string>
#include <string_view>

#include "formats/unknown_report.h"

// The rows of the report of unknowns `report`, in the report's order, each
// with how it is mended, as {"rows":[{"kind":..,"text":..,"count":..,
// "first":..,"mend":"dictionary"|"record"|"either","advice":..},..]}, for the
// data files of `dir`.
std::string unknownListJson(const UnknownReport& report, const std::string& dir);

// What kanjis.dat of `dir` gives for `text`: for a text of codes (digits,
// blanks and commas), the kanji of each code, as
// {"byCode":true,"items":[{"code":..,"kanji":..|null},..]}; for any other
// text, the code of each character, as {"byCode":false,"items":[{"kanji":..,
// "code":..|null,"why":..},..]}, "why" saying why a character has no code.
std::string kanjiLookupJson(const std::string& dir, std::string_view text);

// Writes to `output` the words.txt of `dir` with a line for the entry KEY
// WORD (codes: those of `kanji`, character by character) after its last
// line, the line made by the writer listconv-import uses; returns
// {"line":..} (the line as UTF-8), or {"refused":..} with the reason, and
// then nothing is written.
std::string addWordJson(const std::string& dir, std::string_view key, std::string_view word,
                        std::string_view kanji, const std::string& output);
