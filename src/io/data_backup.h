// The backups a change of the data files keeps of the files it replaces:
// NAME~, or NAME.~N~ numbered past those already there.
#pragma once

#include <string>

#include "io/file_error.h"

// What a change keeps of a file it replaces: nothing, NAME~, or NAME.~N~
// with N one above the highest there (as GNU cp --backup does).
enum class BackupKind { none, simple, numbered };

// Keeps the file `target` as `backup` (a second name, or a copy), never
// over anything already there: a numbered backup takes the next free number
// (setting `backup`). Nothing is done when `target` is not there.
FileError makeBackup(const std::string& target, std::string& backup, BackupKind kind);

// The backup's name for the data file `path`: path~, or path.~N~ with N one
// above the highest in its folder; "" for none.
std::string backupNameFor(const std::string& path, BackupKind kind);
