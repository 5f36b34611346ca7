// The backups of the data files a change replaces: their names, and keeping
// a file under one without ever writing over another.
#include "io/data_backup.h"

#include <cerrno>
#include <vector>

#include "io/fault_injection.h"
#include "io/platform.h"

namespace {

// How many numbers a numbered backup tries past the highest there.
const int kBackupNumberAttempts = 1000;

// The last part of a path, without its folder.
std::string baseName(const std::string& path) {
  return path.substr(folderOf(path).size());
}

}  // namespace

std::string backupNameFor(const std::string& path, BackupKind kind) {
  if (kind == BackupKind::none) {
    return std::string();
  }
  if (kind == BackupKind::simple) {
    return path + "~";
  }
  const std::string base = baseName(path) + ".~";
  std::vector<std::string> names;
  listFolder(folderOf(path), names);
  long highest = 0;
  for (const std::string& name : names) {
    if (name.size() < base.size() + 2 || name.compare(0, base.size(), base) != 0 ||
        name.back() != '~') {
      continue;
    }
    long n = 0;
    size_t i = base.size();
    for (; i + 1 < name.size() && name[i] >= '0' && name[i] <= '9' && n < 100000000; ++i) {
      n = n * 10 + (name[i] - '0');
    }
    if (i + 1 == name.size() && n > highest) {
      highest = n;
    }
  }
  return path + ".~" + std::to_string(highest + 1) + "~";
}

FileError makeBackup(const std::string& target, std::string& backup, BackupKind kind) {
  if (kind == BackupKind::none || backup.empty() || !nameExists(target)) {
    return FileError();
  }
  if (const int injected = takeInjectedCommitFailure()) {
    return FileError{"write", backup, injected};
  }
  if (kind == BackupKind::simple) {
    // A link of the backup's name is replaced itself, never written through.
    const std::string fresh = backup + ".lcx-new";
    removeFile(fresh);
    int error = linkOrCopyNew(target, fresh);
    if (error == 0 && (error = renameReplacing(fresh, backup)) != 0) {
      removeFile(fresh);
    }
    return error == 0 ? FileError() : FileError{"write", backup, error};
  }
  for (int attempt = 0; attempt < kBackupNumberAttempts; ++attempt) {
    const int error = linkOrCopyNew(target, backup);
    if (error == 0) {
      return FileError();
    }
    if (error != EEXIST) {
      return FileError{"write", backup, error};
    }
    backup = backupNameFor(backup.substr(0, backup.rfind(".~")), BackupKind::numbered);
  }
  return FileError{"write", backup, EEXIST};
}
