// The run of listconv-import: records and dictionary entries, as the
// records and dictionary exports give them and spreadsheets keep them,
// written back into list.rec and words.txt as the old program reads them.
#pragma once

#include <string>
#include <vector>

#include "io/data_backup.h"

// What one import is asked to do (the command line, checked).
struct ImportOptions {
  std::string dir;                           // the folder of the data files; "" for the current one
  std::vector<std::string> files;            // the exports to read
  bool utf8 = true;                          // the exports' texts are UTF-8; else CP932 bytes
  bool check = false;                        // only say what would be written
  BackupKind backup = BackupKind::numbered;  // what a data file replaced is kept as
  bool wait = false;  // wait for another import writing the folder, instead of stopping
};

// Runs the import; returns the exit status: 0 when everything was written
// (or, with `check`, could be), 1 when a file could not be read or written
// or any row was refused (every problem has been printed, and nothing
// written).
int runImport(const ImportOptions& options);
