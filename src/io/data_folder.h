// The data folder as the three programs open it: locked (one writer, or
// any number of readers) and with an interrupted change finished or undone
// first, so that every program sees the data files of one change.
#pragma once

#include <string>

#include "io/file_error.h"
#include "io/folder_lock.h"

// What a writer's lock found: taken, held by another program (and not
// waited for), or failed (see the FileError).
enum class WriterLock { taken, heldByAnother, failed };

// Takes the shared lock on `dir` ("" for the current one), waiting while a
// writer holds it, and finishes or undoes an interrupted change first
// (under the exclusive lock), setting `said` to the line that tells of it
// ("" for none). A file system without locks is read without one. `shown`
// names the folder in messages. A journal that cannot be recovered (a
// read-only folder) is a failure: the data files may be a mixed pair.
FileError openDataFolderToRead(FolderLock& lock, const std::string& dir, const std::string& shown,
                               std::string& said);

// Takes the exclusive lock on `dir`, waiting for it when `wait` (and, in
// any case, while only readers hold the folder), and then recovers an
// interrupted change as openDataFolderToRead does.
WriterLock openDataFolderToWrite(FolderLock& lock, const std::string& dir, const std::string& shown,
                                 bool wait, std::string& said, FileError& failure);
