// The run of listconv-export: the data files read as listconv reads them,
// every listed record written in one format as it is converted.
#pragma once

#include <string>

#include "formats/export_formats.h"

// What one export is asked to do (the command line, checked).
struct ExportOptions {
  const ExportFormat* format = &kExportFormats[0];
  bool utf8 = true;               // else the stored CP932 bytes; not for a utf8Only format
  std::string dir;                // the folder of the data files; "" for the current one
  std::string output;             // the file to write; "" for standard output
  bool bom = false;               // a UTF-8 CSV starts with a byte-order mark
  bool escapeFormulas = false;    // a CSV value that starts like a formula gets a leading '
  bool jsonLines = false;         // a table format (records, dictionary, kanji) as JSON Lines
  std::string title = "Listing";  // the HTML catalogue's title
  bool inPage =
      false;  // run by the browser page: the catalogue and the check point to its list of unknowns
  size_t unknownLimit = kUnknownLimit;    // the most distinct unknowns kept (tests set a small one)
  UnknownReport* keptUnknowns = nullptr;  // given the run's report of unknowns when it succeeds
};

// Runs the export; returns the exit status: 0 on success, 1 when a data file
// could not be read or the output could not be written (a message has been
// printed). An output file is put in place only on success.
int runExport(const ExportOptions& options);
