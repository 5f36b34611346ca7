// A change of several data files made as one: each new file is written as a
// replacement beside the file it replaces, and all are put in place together
// through the journal of the data folder (data_journal.h), so that a failure,
// a signal, a kill or a crash leaves all of the old files or all of the new
// ones, never some of each.
#pragma once

#include <string>
#include <vector>

#include "io/data_backup.h"
#include "io/data_journal.h"
#include "io/file_error.h"
#include "io/output_file.h"

// One file of a change.
struct ChangedFile {
  std::string path;    // as the user names it (DIR/list.rec)
  OutputFile out;      // its replacement, written by the caller
  std::string backup;  // the backup made of the file replaced; "" for none
};

// A change of the data files of the folder `dir` ("" for the current one).
// The caller holds the folder's exclusive lock (folder_lock.h) from before
// the change is begun until it is committed or abandoned.
struct DataChange {
  std::string dir;
  BackupKind backup = BackupKind::numbered;
  std::vector<ChangedFile> files;
  Journal journal;  // the journal as written so far (pending)
};

// Adds the data file `path` (in `dir`) to the change and opens its
// replacement (links followed as openExportOutput follows them, mode and
// owner kept), listing it first in the journal so that an interrupted run
// leaves nothing unknown behind. `index` is set to its place in `files`.
// A device or FIFO is refused: it cannot be replaced as a whole.
FileError addChangedFile(DataChange& change, const std::string& path, bool text, size_t& index);

// After every replacement has been written and closed (synced) and read
// back: commits the change and puts every file in place, the backups made
// first. On a failure before the journal is committed, everything is undone
// (`committed` false); after, the change stays committed, and the next
// program to look at the folder finishes it.
FileError commitDataChange(DataChange& change, bool& committed);

// Takes the file at `index` out of the change before it is committed (its
// new file, written and closed, turned out to be the old one byte for byte):
// its replacement is removed, and the journal, when committed, no longer
// lists it.
void dropChangedFile(DataChange& change, size_t index);

// Removes every replacement of the change, and its journal.
void abandonDataChange(DataChange& change);
