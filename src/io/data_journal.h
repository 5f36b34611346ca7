// The journal of a change of several data files (the backups a change keeps
// are data_backup.h's). A change is one: its new files are written beside
// the old ones under temporary names, listed in the journal
// "listconv.journal" of the data folder, and only put in place once the
// journal says the change is committed. A program that finds a journal
// finishes a committed change and undoes any other, so that every program
// sees all of a change or none.
#pragma once

#include <string>
#include <vector>

#include "io/file_error.h"

// The journal's name in the data folder.
extern const char kJournalName[];

// One file of a change, as the journal lists it; every path is absolute or
// relative to the journal's folder.
struct JournalEntry {
  std::string name;    // the data file as the user names it (list.rec)
  std::string target;  // the file replaced: the name, or where its links lead
  std::string temp;    // the new file, until it is put in place
  std::string backup;  // what the replaced file is kept as; "" for nothing
};

// A journal's contents: committed (the change is to be finished), or
// pending (to be undone: its files are being written).
struct Journal {
  bool committed = false;
  std::vector<JournalEntry> entries;
};

// The path of the journal of the folder `dir` ("" for the current one).
std::string journalPathIn(const std::string& dir);

// The journal's bytes: a first line with its version, its state, one line
// per file of counted names, and a last line with a checksum of all before.
std::string journalText(const Journal& journal);

// Reads a journal's bytes; false for anything but a whole journal (a torn
// one, or another file), whose entries are then those that could be read.
bool parseJournal(const std::string& text, Journal& journal);

// The path of the file a journal entry names, from the folder `dir` ("" for
// the current one).
std::string pathFromFolder(const std::string& dir, const std::string& name);

// The name a journal gives `path` (under `dir`, "" for the current folder):
// relative to `dir` where it lies there, else as it is.
std::string nameInFolder(const std::string& dir, const std::string& path);

// Writes the journal of `dir` as a whole, synced, in place of the one there
// (through a new file renamed over it, so that it is never seen torn).
FileError writeJournal(const std::string& dir, const Journal& journal);

// Puts one file of a committed change in place, unless that was done
// already: its backup made (a numbered one only if not made before), then
// its new file renamed over its target.
FileError finishEntry(const std::string& dir, const JournalEntry& e);

// Puts a committed change in place: each file still to be put in place is
// backed up (unless it already is) and renamed over its target; the folders
// are synced, then the journal is removed. Each step may be done again.
FileError finishChange(const std::string& dir, const Journal& journal);

// Undoes a change: every new file is removed, then the journal.
FileError undoChange(const std::string& dir, const Journal& journal);

// Finishes or undoes the change whose journal is in `dir`, if any, setting
// `said` to the line that tells what was done ("" when no journal). `shown`
// is the folder as messages name it.
FileError recoverDataFolder(const std::string& dir, const std::string& shown, std::string& said);

// True when a journal is in `dir`, or the new file of one that a kill left.
bool hasJournal(const std::string& dir);
