// Opening the data folder: its lock, then the recovery of its journal.
#include "io/data_folder.h"

#include "io/data_journal.h"

namespace {

// The failure of locking `dir` for `reason`; none when the file system has
// no locks, where the programs go on without.
FileError lockFailure(const std::string& shown, int reason) {
  return locksUnsupported(reason) ? FileError() : FileError{"lock", shown, reason};
}

}  // namespace

FileError openDataFolderToRead(FolderLock& lock, const std::string& dir, const std::string& shown,
                               std::string& said) {
  said.clear();
  const int reason = lockFolder(lock, dir, false, true);
  if (reason != 0) {
    unlockFolder(lock);
    const FileError e = lockFailure(shown, reason);
    if (failed(e) || !hasJournal(dir)) {
      return e;
    }
    return recoverDataFolder(dir, shown, said);
  }
  if (!hasJournal(dir)) {
    return FileError();
  }
  // Recovering writes: it waits for the readers to finish.
  int changed = lockFolder(lock, dir, true, true);
  if (changed != 0) {
    unlockFolder(lock);
    return lockFailure(shown, changed);
  }
  const FileError e = recoverDataFolder(dir, shown, said);
  changed = lockFolder(lock, dir, false, true);
  if (changed != 0) {
    unlockFolder(lock);
    return failed(e) ? e : lockFailure(shown, changed);
  }
  return e;
}

WriterLock openDataFolderToWrite(FolderLock& lock, const std::string& dir, const std::string& shown,
                                 bool wait, std::string& said, FileError& failure) {
  said.clear();
  failure = FileError();
  int reason = lockFolder(lock, dir, true, wait);
  if (reason == kFolderLockHeld) {
    // Readers alone (the shared lock is free to take) are waited for: they
    // end soon; only another writer stops the import.
    reason = lockFolder(lock, dir, false, false);
    if (reason == 0) {
      reason = lockFolder(lock, dir, true, true);
    }
  }
  if (reason == kFolderLockHeld) {
    unlockFolder(lock);
    return WriterLock::heldByAnother;
  }
  if (reason != 0) {
    unlockFolder(lock);
    failure = lockFailure(shown, reason);
    if (failed(failure)) {
      return WriterLock::failed;
    }
  }
  failure = recoverDataFolder(dir, shown, said);
  return failed(failure) ? WriterLock::failed : WriterLock::taken;
}
