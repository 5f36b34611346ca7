// The check of the data files: what kanjis.dat, words.txt and list.rec
// hold and what looks wrong in them, found in one read of each file, and
// the short report of it for a person.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/data_files.h"
#include "formats/export_rows.h"
#include "formats/file_kind.h"
#include "formats/unknown_report.h"
#include "io/file_error.h"
#include "tables/word_dictionary.h"

// How far the check got with one data file.
enum class CheckedState {
  read,     // read to its end
  missing,  // not there
  clash,    // several files could be it: none was read
  failed,   // could not be opened or read through
};

// What every data file's check has: its name in the folder, how far the
// check got, what its first bytes look like, and its size in bytes.
struct CheckedFile {
  std::string name;  // as found: "list.rec", or "LIST.REC" for one from DOS
  CheckedState state = CheckedState::missing;
  std::string problem;  // a clash's or a failure's message
  FileKind kind = FileKind::expected;
  uint64_t bytes = 0;
};

// What the check found in kanjis.dat.
struct KanjiFileCheck {
  CheckedFile file;
};

// An entry of words.txt that the check points to: its line and a text of
// it (a key or a code).
struct WordSighting {
  int64_t line = 0;
  std::string text;
  int64_t earlierLine = 0;  // a repeated key: the line of its entry that is found
};

// What the check found in words.txt.
struct WordFileCheck {
  CheckedFile file;
  WordFileLines lines;
  int64_t entries = 0;
  int64_t repeatedKeys = 0;  // entries never found: an earlier one has the key
  WordSighting firstRepeated;
  int64_t unnamedCodes = 0;  // entries with a code that names no kanji
  WordSighting firstUnnamed;
};

// What the check found in list.rec.
struct RecordFileCheck {
  CheckedFile file;
  int64_t listed = 0;
  int64_t unknownWords = 0;  // distinct, as --format unknown lists them
  int64_t unknownCodes = 0;
  int64_t unknownLeftOut = 0;  // times others showed "?" once the count of them stopped
};

// The check of the three data files.
struct DataCheck {
  KanjiFileCheck kanji;
  WordFileCheck words;
  RecordFileCheck records;
};

// Reads kanjis.dat, words.txt and list.rec of `files`, each once from start
// to end (a FIFO too), with the readers of the conversion, into `check`;
// every failure to open or read a file is added to `failures`. At most
// `unknownLimit` distinct unknown words and codes are counted (see
// UnknownReport).
void checkDataFiles(const DataFiles& files, DataCheck& check, std::vector<FileError>& failures,
                    size_t unknownLimit = kUnknownLimit);

// Appends the report of `check`: a line for each data file, then indented
// lines of what looks wrong in it, and a line of the unknown words and
// codes, which points to what lists them: the export's unknown format, or
// `inPage` (the browser page's report) the page's Mending section. Plain
// ASCII English, the texts it quotes in UTF-8 (transcoded through
// `encoding`); lines end in LF.
void appendDataCheckReport(std::string& out, const DataCheck& check, TextEncoding& encoding,
                           bool inPage);
