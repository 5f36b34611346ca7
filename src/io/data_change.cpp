// A change of several data files made as one, through the journal of their
// folder: pending while the new files are written, committed once they are
// whole, removed once they are in place.
#include "io/data_change.h"

#include <cassert>

#include "io/platform.h"
#include "io/replacement_file.h"

namespace {

// Lists the new file `temp` of `out` in the change's pending journal.
FileError listInJournal(DataChange& change, const OutputFile& out, const std::string& temp) {
  const std::string& dir = change.dir;
  change.journal.committed = false;
  change.journal.entries.push_back(JournalEntry{nameInFolder(dir, out.path),
                                                nameInFolder(dir, out.target),
                                                nameInFolder(dir, temp), std::string()});
  if (!removeOnEndSignal(journalPathIn(dir), true)) {
    change.journal.entries.pop_back();
    return FileError{"write", journalPathIn(dir), ENAMETOOLONG};
  }
  // A signal while the journal is written would leave its new file.
  holdEndSignalsForCommit(true);
  const FileError e = writeJournal(dir, change.journal);
  holdEndSignalsForCommit(false);
  if (failed(e)) {
    change.journal.entries.pop_back();
  }
  return e;
}

// A name for a new file in the folder of `target` that is not taken.
std::string freeTempName(const std::string& target) {
  std::string temp;
  for (int attempt = 0; attempt < kReplacementNameAttempts; ++attempt) {
    temp = folderOf(target) + replacementName();
    if (!nameExists(temp)) {
      break;
    }
  }
  return temp;
}

// Puts every file of a committed change in place: the backup, then the
// rename; then the folders are synced and the journal removed (finishChange,
// with nothing left to rename).
FileError putInPlace(DataChange& change) {
  for (size_t i = 0; i < change.files.size(); ++i) {
    ChangedFile& f = change.files[i];
    const FileError kept = makeBackup(f.out.target, f.backup, change.backup);
    if (failed(kept)) {
      return kept;
    }
    JournalEntry once = change.journal.entries[i];
    once.backup.clear();  // made just now
    const FileError e = finishEntry(change.dir, once);
    if (failed(e)) {
      return e;
    }
    f.out.temp.clear();
  }
  return finishChange(change.dir, change.journal);
}

}  // namespace

FileError addChangedFile(DataChange& change, const std::string& path, bool text, size_t& index) {
  ChangedFile f;
  f.path = path;
  FileError e = findDataTarget(f.out, path, text);
  if (failed(e)) {
    return e;
  }
  const std::string temp = freeTempName(f.out.target);
  e = listInJournal(change, f.out, temp);
  if (failed(e)) {
    return e;
  }
  e = createDataReplacement(f.out, temp);
  if (failed(e)) {
    change.journal.entries.pop_back();  // listed on disk, not there: undoing skips it
    return e;
  }
  index = change.files.size();
  change.files.push_back(std::move(f));
  return FileError();
}

FileError commitDataChange(DataChange& change, bool& committed) {
  committed = false;
  assert(change.files.size() == change.journal.entries.size());
  for (size_t i = 0; i < change.files.size(); ++i) {
    ChangedFile& f = change.files[i];
    assert(f.out.file == nullptr && isReplacement(f.out));
    f.backup = nameExists(f.out.target) ? backupNameFor(f.path, change.backup) : std::string();
    change.journal.entries[i].backup = nameInFolder(change.dir, f.backup);
  }
  holdEndSignalsForCommit(true);
  change.journal.committed = true;
  FileError e = writeJournal(change.dir, change.journal);
  if (failed(e)) {
    change.journal.committed = false;
    holdEndSignalsForCommit(false);
    abandonDataChange(change);
    return e;
  }
  committed = true;
  // From here the journal, not the signal handlers, answers for the files.
  for (ChangedFile& f : change.files) {
    removeOnEndSignal(f.out.temp, false);
  }
  removeOnEndSignal(journalPathIn(change.dir), false);
  e = putInPlace(change);
  holdEndSignalsForCommit(false);
  return e;
}

void dropChangedFile(DataChange& change, size_t index) {
  assert(index < change.files.size() && change.files.size() == change.journal.entries.size());
  ChangedFile& f = change.files[index];
  if (f.out.file != nullptr) {
    closeOutput(f.out);
  }
  discardReplacement(f.out);
  const auto at = static_cast<std::ptrdiff_t>(index);
  change.files.erase(change.files.begin() + at);
  change.journal.entries.erase(change.journal.entries.begin() + at);
}

void abandonDataChange(DataChange& change) {
  for (ChangedFile& f : change.files) {
    if (f.out.file != nullptr) {
      closeOutput(f.out);
    }
    discardReplacement(f.out);
  }
  for (const JournalEntry& e : change.journal.entries) {
    removeOnEndSignal(pathFromFolder(change.dir, e.temp), false);
  }
  if (!change.journal.entries.empty() || hasJournal(change.dir)) {
    undoChange(change.dir, change.journal);
  }
  removeOnEndSignal(journalPathIn(change.dir), false);
  change.files.clear();
  change.journal = Journal();
}
