// What the programs need of the operating system besides reading and
// writing bytes: opening a file by its UTF-8 name, the identity of a file,
// the folder rules of paths, the names in a folder, syncing, entering a
// folder, and the signals of a failed write. platform_posix.cpp and
// platform_windows.cpp each define all of it for one system; the build picks
// one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/file_error.h"

// Opens the file a UTF-8 path names, with a mode of fopen; nullptr (errno
// set) when it cannot.
std::FILE* openStream(const std::string& path, const char* mode);

// Makes `file` take bytes as they are (no text translation), so that every
// platform writes the same bytes.
void useBinaryMode(std::FILE* file);

// Has the system write the file's data to its disk; false (errno set) when
// it cannot. A file system that cannot sync at all counts as synced.
bool syncToDisk(std::FILE* file);

// Which file something is: device and inode, or on Windows volume and file
// index. Two known identities that are equal name one and the same file.
struct FileId {
  bool known = false;
  uint64_t volume = 0;
  uint64_t index = 0;
};

// The identity of the file at `path` (links followed); unknown when there is
// none.
FileId fileIdAt(const std::string& path);

// The identity of the file an open stream reads or writes.
FileId fileIdOf(std::FILE* file);

// True when both identities are known and name the same file.
inline bool sameFile(const FileId& a, const FileId& b) {
  return a.known && b.known && a.volume == b.volume && a.index == b.index;
}

// True when the file at `path` is there and may be read; it is not opened
// (a FIFO given as a data file is read once, by the run).
bool canOpenForReading(const std::string& path);

// Makes `dir` the current folder; 0, or the system's reason when it cannot.
int enterFolder(const char* dir);

// What is wrong with `dir` as the folder of the data files: none when it is
// a folder; else "use", `dir` and the reason (ENOTDIR for a file).
FileError folderFailure(const std::string& dir);

// The path of the file `name` in the folder `dir` (not ""): `dir` and
// `name`, with a separator between them unless `dir` ends in one. Only
// Windows takes a backslash for a separator.
std::string pathInFolder(const std::string& dir, const std::string& name);

// The folder part of `path`, up to and including its last separator; "" for
// a bare name.
std::string folderOf(const std::string& path);

// Sets `names` to the names of the entries of the folder `dir` ("" for the
// current one), for finding a file whose name differs from the one asked
// for only in letter case. False when the exact name is to be used as it is:
// on Windows, which finds a name in any letter case by itself, and for a
// folder that cannot be listed.
bool namesToMatchIn(const std::string& dir, std::vector<std::string>& names);

// Makes a write to a pipe whose reader has gone, or past the file-size
// limit, fail as any other write does, instead of ending the program by a
// signal.
void failWritesInsteadOfSignals();

// ---- What a change of the data files needs ----------------------------------

// True when `path` names a file from the root (or, on Windows, a drive).
bool isAbsolutePath(const std::string& path);

// True when something of the name `path` is there (a link itself counts,
// whether or not it leads anywhere).
bool nameExists(const std::string& path);

// Sets `names` to the names of the entries of the folder `dir` ("" for the
// current one); false when it cannot be listed.
bool listFolder(const std::string& dir, std::vector<std::string>& names);

// Renames `from` to `to`, replacing a file of that name (a link of that name
// itself, never what it leads to); 0 or the system's reason.
int renameReplacing(const std::string& from, const std::string& to);

// Gives the regular file `from` the new name `to` too: a second name of the
// same file where the file system allows it, else a synced copy with its
// permission bits. Never writes through or over anything already named
// `to`: EEXIST then. 0 or the system's reason.
int linkOrCopyNew(const std::string& from, const std::string& to);

// Removes the file `path` (a link itself); 0, or the system's reason (ENOENT
// when there was none).
int removeFile(const std::string& path);

// Has the system write the folder's names to its disk, so that a rename or
// a removal in it survives a crash; 0 or the system's reason. A system that
// cannot sync a folder counts as synced.
int syncFolder(const std::string& dir);
