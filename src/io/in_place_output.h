// An output written in place, as listconv writes list.txt: the file itself is
// opened (created when it is not there) and emptied only once the caller has
// looked at which file it is. Links are followed as the kernel's rule for
// shared folders lets a user follow them, whether or not that rule is
// switched on. in_place_output_posix.cpp and in_place_output_windows.cpp
// each define all of it for one system.
#pragma once

#include <string>

#include "io/file_error.h"
#include "io/output_file.h"

// 0 when the user may follow the symbolic link `link` (or `link` is no
// link); else EACCES, or the reason its folder cannot be looked at: in a
// sticky folder that all may write, only the user's own links and those of
// the folder's owner are followed (fs.protected_symlinks), so that nobody can
// lay a link there for another user to write through.
int linkRefusalAt(const std::string& link);

// True when the folder `folder` ("" for the current one) lies in /proc,
// where a link names a file the program has open (/dev/stdout leads there)
// and is no path to walk.
bool isInProc(const std::string& folder);

// Makes `out` write to the open descriptor `fd` (a C runtime descriptor on
// Windows), `out.over` the file it is; on failure closes `fd` and gives a
// failure of `operation` on `out.path`.
FileError attachDescriptor(OutputFile& out, int fd, const char* operation);

// Opens `path` for writing in place, without emptying it: created (mode 0666
// under the umask) when it is not there. Every link on the way is checked by
// linkRefusalAt; a link that must not be followed fails with "write". Any
// other failure is a "create" one. `out.over` is the file really opened.
FileError openOutputInPlace(OutputFile& out, const std::string& path, bool text);

// Empties the regular file that openOutputInPlace opened, before anything is
// written to it (a device or a FIFO is left as it is); false, with `error`
// set, when it cannot be emptied.
bool emptyOutput(OutputFile& out);
