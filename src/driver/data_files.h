// The data files of a folder: their names, the files found for them in any
// letter case, the clashes where several could be one, and the data folder's
// lock for reading. All three programs and the page find their data here.
#pragma once

#include <string>
#include <vector>

#include "io/folder_lock.h"
#include "io/input_file.h"
#include "io/platform.h"

// The names of the data files and of the listing.
const char kKanjiFile[] = "kanjis.dat";
const char kWordFile[] = "words.txt";
const char kRecordFile[] = "list.rec";
const char kListingFile[] = "list.txt";

// A data file that more than one file of its folder could be, each named
// as it is but in other letter case: which file (kKanjiFile, kWordFile or
// kRecordFile), and the message that names them all.
struct NameClash {
  const char* file;
  std::string message;  // "two files could be list.rec in DIR: LIST.REC and List.rec"
};

// The paths the data files are opened by.
struct DataFiles {
  std::string kanji;    // kanjis.dat
  std::string words;    // words.txt
  std::string records;  // list.rec
  std::vector<NameClash> clashes;
};

// Which of the data files a run reads: a run that lists only one of them
// leaves the others alone.
struct RunReads {
  bool kanji = true;
  bool words = true;
  bool records = true;
};

// The data files of the folder `dir`; "" for the current folder, where the
// paths are the bare names. Where the folder has no file of a data file's
// exact (lower-case) name, the one whose name differs from it only in the
// letter case of ASCII letters is taken, as Windows takes it, so that files
// from DOS and Windows (LIST.REC) are found. Where two or more such files
// are there, the data file keeps its exact name (a missing file) and a
// clash names them.
DataFiles dataFilesIn(const std::string& dir);

// The clash over the data file `dataFile` (kKanjiFile, kWordFile or
// kRecordFile), or nullptr when one file or none could be it.
const NameClash* clashOver(const DataFiles& files, const char* dataFile);

// Prints "PROGRAM: MESSAGE" on standard error for every clash of `files`
// among the files that `reads` names; true when there was any.
bool reportNameClashes(const char* program, const DataFiles& files,
                       const RunReads& reads = RunReads());

// The data file that `output` is (the file an output writes over or into,
// however it was reached: a link, a hard link, /dev/fd/N), or nullptr:
// writing the output would destroy that input. Taken once the inputs are
// open, so that the record file is known by what was really opened
// (`records`, open or not).
const std::string* inputUnderOutput(const FileId& output, const DataFiles& files,
                                    const InputFile& records);

// True when `dir` is "" (the current folder) or a folder that can be looked
// into; else prints why under `program`'s name.
bool dataFolderIsThere(const char* program, const std::string& dir);

// Takes the shared lock on the data folder `dir` ("" for the current one)
// and finishes or undoes an interrupted import there, saying so under the
// name `program`; false (a message printed) when the data files cannot be
// read as one change.
bool openDataFolderOf(const char* program, FolderLock& lock, const std::string& dir);
