// The journal of a change of the data files: its text, and finishing or
// undoing the change it lists.
#include "io/data_journal.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "io/data_backup.h"
#include "io/fault_injection.h"
#include "io/platform.h"

const char kJournalName[] = "listconv.journal";

namespace {

const char kFirstLine[] = "listconv journal 1\n";

// The name the journal is written under before it is renamed into place.
const char kNewJournalName[] = "listconv.journal-new";

// The most a journal may be: a few names.
const long kMaxJournalBytes = 1 << 20;

// The checksum of a journal's text (FNV-1a, 64 bits).
uint64_t checksumOf(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  }
  return hash;
}

// A name as a counted field: its length, a colon and its bytes.
std::string counted(const std::string& name) {
  return std::to_string(name.size()) + ":" + name;
}

// Reads a counted field at `at` of `text` into `out`, moving `at` past it;
// false when there is none whole.
bool readCounted(const std::string& text, size_t& at, std::string& out) {
  size_t length = 0;
  size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 9) {
    length = length * 10 + static_cast<size_t>(text[at] - '0');
    ++at;
    ++digits;
  }
  if (digits == 0 || at >= text.size() || text[at] != ':' || text.size() - at - 1 < length) {
    return false;
  }
  out = text.substr(at + 1, length);
  at += 1 + length;
  return true;
}

// Reads the literal `word` at `at`, moving past it; false when it is not there.
bool readWord(const std::string& text, size_t& at, const std::string& word) {
  if (text.compare(at, word.size(), word) != 0) {
    return false;
  }
  at += word.size();
  return true;
}

// Reads one entry line at `at`; false when there is none whole.
bool readEntry(const std::string& text, size_t& at, JournalEntry& e) {
  return readWord(text, at, "file ") && readCounted(text, at, e.name) && readWord(text, at, " ") &&
         readCounted(text, at, e.target) && readWord(text, at, " ") &&
         readCounted(text, at, e.temp) && readWord(text, at, " ") &&
         readCounted(text, at, e.backup) && readWord(text, at, "\n");
}

// The path of the journal (or its new file) in `dir`.
std::string journalPath(const std::string& dir, const char* name) {
  return dir.empty() ? std::string(name) : pathInFolder(dir, name);
}

// True when a simple backup is asked for: the backup is the name and "~".
bool isSimpleBackup(const JournalEntry& e) {
  return !e.backup.empty() && e.backup == e.name + "~";
}

// True when `name` is a new file of a change, which alone undoing removes.
bool isTempName(const std::string& name) {
  return name.compare(folderOf(name).size(), 5, ".lcx-") == 0;
}

}  // namespace

std::string journalPathIn(const std::string& dir) {
  return journalPath(dir, kJournalName);
}

std::string journalText(const Journal& journal) {
  std::string text = kFirstLine;
  text += journal.committed ? "state committed\n" : "state pending\n";
  for (const JournalEntry& e : journal.entries) {
    text += "file " + counted(e.name) + " " + counted(e.target) + " " + counted(e.temp) + " " +
            counted(e.backup) + "\n";
  }
  char end[32];
  std::snprintf(end, sizeof end, "end %016" PRIx64 "\n", checksumOf(text));
  return text + end;
}

bool parseJournal(const std::string& text, Journal& journal) {
  journal = Journal();
  size_t at = 0;
  if (!readWord(text, at, kFirstLine)) {
    return false;
  }
  const bool committed = readWord(text, at, "state committed\n");
  if (!committed && !readWord(text, at, "state pending\n")) {
    return false;
  }
  for (JournalEntry e; text.compare(at, 5, "file ") == 0;) {
    if (!readEntry(text, at, e)) {
      return false;
    }
    journal.entries.push_back(e);
  }
  char end[32];
  std::snprintf(end, sizeof end, "end %016" PRIx64 "\n", checksumOf(text.substr(0, at)));
  if (text.compare(at, std::string::npos, end) != 0) {
    return false;
  }
  journal.committed = committed;
  return true;
}

std::string pathFromFolder(const std::string& dir, const std::string& name) {
  return dir.empty() || isAbsolutePath(name) ? name : pathInFolder(dir, name);
}

std::string nameInFolder(const std::string& dir, const std::string& path) {
  if (dir.empty()) {
    return path;
  }
  const std::string prefix = pathInFolder(dir, "");
  return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

FileError writeJournal(const std::string& dir, const Journal& journal) {
  const std::string path = journalPath(dir, kJournalName);
  const std::string fresh = journalPath(dir, kNewJournalName);
  const std::string text = journalText(journal);
  if (const int injected = takeInjectedCommitFailure()) {
    return FileError{"write", path, injected};
  }
  std::FILE* file = openStream(fresh, "wb");
  if (file == nullptr) {
    return FileError{"write", path, errno != 0 ? errno : EIO};
  }
  errno = 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
            std::fflush(file) == 0 && syncToDisk(file);
  int error = errno != 0 ? errno : EIO;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno != 0 ? errno : EIO;
  }
  if (ok) {
    error = renameReplacing(fresh, path);
    ok = error == 0;
  }
  if (!ok) {
    removeFile(fresh);
    return FileError{"write", path, error};
  }
  const int synced = syncFolder(dir);
  return synced == 0 ? FileError() : FileError{"write", path, synced};
}

FileError finishEntry(const std::string& dir, const JournalEntry& e) {
  const std::string temp = pathFromFolder(dir, e.temp);
  if (!nameExists(temp)) {
    return FileError();  // put in place before
  }
  const std::string target = pathFromFolder(dir, e.target);
  std::string backup = pathFromFolder(dir, e.backup);
  if (isSimpleBackup(e) || (!e.backup.empty() && !nameExists(backup))) {
    const FileError kept =
        makeBackup(target, backup, isSimpleBackup(e) ? BackupKind::simple : BackupKind::numbered);
    if (failed(kept)) {
      return kept;
    }
  }
  const int injected = takeInjectedCommitFailure();
  const int error = injected != 0 ? injected : renameReplacing(temp, target);
  return error == 0 ? FileError() : FileError{"write", pathFromFolder(dir, e.name), error};
}

namespace {

// Syncs the folder `dir` and every folder a target lies in.
FileError syncFolders(const std::string& dir, const Journal& journal) {
  std::vector<std::string> folders{dir};
  for (const JournalEntry& e : journal.entries) {
    folders.push_back(folderOf(pathFromFolder(dir, e.target)));
  }
  for (const std::string& folder : folders) {
    const int injected = takeInjectedCommitFailure();
    const int error = injected != 0 ? injected : syncFolder(folder);
    if (error != 0) {
      return FileError{"write", folder.empty() ? "." : folder, error};
    }
  }
  return FileError();
}

// Removes the journal of `dir` and syncs the folder.
FileError removeJournal(const std::string& dir) {
  const std::string path = journalPath(dir, kJournalName);
  const int injected = takeInjectedCommitFailure();
  const int error = injected != 0 ? injected : removeFile(path);
  if (error != 0 && error != ENOENT) {
    return FileError{"remove", path, error};
  }
  removeFile(journalPath(dir, kNewJournalName));
  syncFolder(dir);
  return FileError();
}

// The data files of a change, for a message: "list.rec and words.txt".
std::string namesOf(const Journal& journal) {
  std::string names;
  for (size_t i = 0; i < journal.entries.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == journal.entries.size() ? " and " : ", ");
    names += journal.entries[i].name;
  }
  return names.empty() ? "the data files" : names;
}

// Reads the journal of `dir` into `text`: 0, ENOENT when there is none, or
// the system's reason.
int readJournal(const std::string& dir, std::string& text) {
  std::FILE* file = openStream(journalPath(dir, kJournalName), "rb");
  if (file == nullptr) {
    return errno != 0 ? errno : EIO;
  }
  char block[4096];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0 &&
         text.size() < static_cast<size_t>(kMaxJournalBytes)) {
    text.append(block, n);
  }
  const int error = std::ferror(file) ? EIO : 0;
  std::fclose(file);
  return error;
}

}  // namespace

FileError finishChange(const std::string& dir, const Journal& journal) {
  for (const JournalEntry& e : journal.entries) {
    const FileError e1 = finishEntry(dir, e);
    if (failed(e1)) {
      return e1;
    }
  }
  const FileError synced = syncFolders(dir, journal);
  return failed(synced) ? synced : removeJournal(dir);
}

FileError undoChange(const std::string& dir, const Journal& journal) {
  for (const JournalEntry& e : journal.entries) {
    const std::string temp = pathFromFolder(dir, e.temp);
    if (isTempName(temp)) {
      const int error = removeFile(temp);
      if (error != 0 && error != ENOENT) {
        return FileError{"remove", temp, error};
      }
    }
  }
  const FileError synced = syncFolders(dir, journal);
  return failed(synced) ? synced : removeJournal(dir);
}

FileError recoverDataFolder(const std::string& dir, const std::string& shown, std::string& said) {
  said.clear();
  std::string text;
  const int error = readJournal(dir, text);
  if (error == ENOENT) {
    removeFile(journalPath(dir, kNewJournalName));  // a journal that never took effect
    return FileError();
  }
  if (error != 0) {
    return FileError{"read", journalPath(dir, kJournalName), error};
  }
  Journal journal;
  const bool whole = parseJournal(text, journal);
  if (whole && journal.committed) {
    const FileError e = finishChange(dir, journal);
    if (failed(e)) {
      return FileError{"finish the interrupted import in", shown, e.error};
    }
    said = "finished an interrupted import in " + shown + ": " + namesOf(journal) + " replaced";
    return FileError();
  }
  const FileError e = undoChange(dir, journal);
  if (failed(e)) {
    return FileError{"undo the interrupted import in", shown, e.error};
  }
  said = "undid an interrupted import in " + shown + ": " + namesOf(journal) +
         (journal.entries.size() == 1 ? " left as it was" : " left as they were");
  return FileError();
}

bool hasJournal(const std::string& dir) {
  return nameExists(journalPath(dir, kJournalName)) ||
         nameExists(journalPath(dir, kNewJournalName));
}
