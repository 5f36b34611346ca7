// The export's output file: a regular file is written as a replacement, a
// new file put in place of the old one only once it is whole, so that a
// failed or killed export leaves the old file as it was. The export's run
// (listconv-export's, and the page's) links this unit, with its signal
// handling, and listconv-import does for the data files' replacements
// (data_change.h); listconv links none of it.
#pragma once

#include <cstdint>
#include <string>

#include "io/file_error.h"
#include "io/output_file.h"

// Opens the file `path` names for an export's output. A regular file, or a
// name that is not there yet, is written as a replacement: a new file of a
// short hidden name (".lcx-" and six random characters) in the same folder,
// put in place by replaceWithOutput once it is whole, and removed by
// discardReplacement or when the program is ended by SIGINT, SIGTERM or
// SIGHUP (Ctrl-C, Ctrl-Break or a closed console on Windows). A symbolic
// link is followed where the kernel's rule for shared folders lets the user
// follow it (in a sticky folder that all may write, only the user's own
// links and those of the folder's owner); the file it leads to is replaced
// and the link stays. The replacement takes the permission bits of the file
// it replaces (and its owner and group, where the user may give them); a new
// file gets 0666 under the umask. Anything else (a device, a FIFO, a socket,
// an open file reached through /proc such as /dev/stdout) is written in
// place, directly. `out.over` is set to the file written over or into.
// Returns what failed: "create" for a new name, "write" for an existing
// file that cannot be written (a folder, a read-only file, a link not to be
// followed), "create a file in" and the folder when the folder refuses the
// replacement of an existing file.
FileError openExportOutput(OutputFile& out, const std::string& path, bool text);

// True when `out` is a replacement, not yet put in place or discarded.
bool isReplacement(const OutputFile& out);

// After closeOutput of a replacement: renames it to the file it replaces;
// false (with `error` set, and the new file still there) on failure.
bool replaceWithOutput(OutputFile& out);

// Removes the file of a replacement that is not to be put in place.
void discardReplacement(OutputFile& out);

// Removes the files of the replacements being written (and the journal of a
// change not yet committed), as the end signals do: for a failure met far
// from its OutputFile (out of memory).
void discardPendingReplacement();

// ---- The replacements of a change of the data files (data_change.h) ---------

// The first half of opening a data file's replacement: sets `out` for the
// output `path` and finds the file to replace (`out.target`, links followed
// as openExportOutput follows them) without creating anything. A device, a
// FIFO or anything else that cannot be replaced as a whole is refused
// (kNotRegularFile), as are a folder and a read-only file.
FileError findDataTarget(OutputFile& out, const std::string& path, bool text);

// The second half: creates the replacement of `out.target` as the new file
// `temp` (in the target's folder), which the end signals then remove. An
// existing `temp` is a failure (EEXIST), never opened.
FileError createDataReplacement(OutputFile& out, const std::string& temp);

// Holds the end signals back (`hold`), or lets them through again, for the
// time a committed change is put in place, so that a signal cannot stop it
// half done.
void holdEndSignalsForCommit(bool hold);

// Has the end signals remove the file `path` (`remove`), or no longer
// (a journal once committed); false when it cannot be taken on.
bool removeOnEndSignal(const std::string& path, bool remove);

// ---- Shared by the platforms' sources ---------------------------------------

// How many names are tried for a replacement before giving up (each taken
// one is another run's, maybe one that was killed before it could remove it).
const int kReplacementNameAttempts = 100;

// A seed for the replacements' names that differs from run to run and from
// program to program.
uint64_t replacementSeed();

// A new random name for a replacement in its folder: ".lcx-" and six
// letters or digits.
std::string replacementName();

// The failure of creating a replacement for `target` with `error`: for an
// existing file (`exists`), its folder refused, and the folder is named, not
// the file; else the output could not be created.
FileError creationFailure(const OutputFile& out, const std::string& target, bool exists, int error);
