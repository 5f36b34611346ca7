// A change of two data files: put in place as one, backed up GNU style,
// and, failed at any step or recovered after one, never one file new and
// the other old.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "fixtures.h"
#include "io/data_change.h"
#include "io/fault_injection.h"
#include "io/platform.h"

namespace {

using Scratch = fixtures::ScratchFolder;
using fixtures::readAll;
using fixtures::writeAll;

// The names in `dir` but . and .., sorted, each followed by a blank.
std::string namesIn(const std::string& dir) {
  std::vector<std::string> names;
  listFolder(dir, names);
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) {
    if (name != "." && name != "..") {
      text += name + " ";
    }
  }
  return text;
}

// Begins a change of list.rec and words.txt in `dir` to "new rec" and "new
// words", written and closed; false when a file could not be added.
bool writeTwoFiles(DataChange& change, const std::string& dir, BackupKind backup) {
  change.dir = dir;
  change.backup = backup;
  for (const char* name : {"list.rec", "words.txt"}) {
    size_t i = 0;
    if (failed(addChangedFile(change, dir + "/" + name, false, i))) {
      return false;
    }
    writeBytes(change.files[i].out, std::string("new ") + (name[0] == 'l' ? "rec" : "words"));
    if (!closeOutput(change.files[i].out)) {
      return false;
    }
  }
  return true;
}

// "old", "new" or "mixed" for the pair of data files in `dir`.
std::string stateOf(const std::string& dir) {
  const std::string rec = readAll(dir + "/list.rec");
  const std::string words = readAll(dir + "/words.txt");
  if (rec == "old rec" && words == "old words") {
    return "old";
  }
  if (rec == "new rec" && words == "new words") {
    return "new";
  }
  return "mixed: " + rec + " / " + words;
}

void putOldFiles(const Scratch& s) {
  writeAll(s.path("list.rec"), "old rec");
  writeAll(s.path("words.txt"), "old words");
}

TEST(DataChange, BothFilesArePutInPlaceWithNumberedBackups) {
  Scratch s;
  putOldFiles(s);
  for (int run = 1; run <= 3; ++run) {
    DataChange change;
    ASSERT_TRUE(writeTwoFiles(change, s.dir, BackupKind::numbered));
    EXPECT_TRUE(hasJournal(s.dir)) << "listed before anything is written";
    bool committed = false;
    ASSERT_FALSE(failed(commitDataChange(change, committed)));
    EXPECT_TRUE(committed);
    EXPECT_EQ(change.files[0].backup, s.path("list.rec.~" + std::to_string(run) + "~"));
  }
  EXPECT_EQ(stateOf(s.dir), "new");
  EXPECT_EQ(readAll(s.path("list.rec.~1~")), "old rec");
  EXPECT_EQ(readAll(s.path("words.txt.~1~")), "old words");
  EXPECT_EQ(readAll(s.path("list.rec.~3~")), "new rec");
  EXPECT_EQ(namesIn(s.dir),
            "list.rec list.rec.~1~ list.rec.~2~ list.rec.~3~ words.txt words.txt.~1~ "
            "words.txt.~2~ words.txt.~3~ ");
}

TEST(DataChange, BackupsNeverWriteThroughALinkOrOverAFile) {
  Scratch s;
  putOldFiles(s);
  writeAll(s.path("elsewhere"), "keep me");
  ASSERT_EQ(symlink("elsewhere", s.path("list.rec.~2~").c_str()), 0);
  ASSERT_EQ(symlink("elsewhere", s.path("words.txt~").c_str()), 0);
  DataChange numbered;
  ASSERT_TRUE(writeTwoFiles(numbered, s.dir, BackupKind::numbered));
  bool committed = false;
  ASSERT_FALSE(failed(commitDataChange(numbered, committed)));
  EXPECT_EQ(numbered.files[0].backup, s.path("list.rec.~3~"));
  EXPECT_EQ(readAll(s.path("list.rec.~3~")), "old rec");
  // A simple backup replaces the old one, a link itself, never writing through it.
  DataChange simple;
  ASSERT_TRUE(writeTwoFiles(simple, s.dir, BackupKind::simple));
  ASSERT_FALSE(failed(commitDataChange(simple, committed)));
  EXPECT_EQ(readAll(s.path("elsewhere")), "keep me");
  struct stat st;
  ASSERT_EQ(lstat(s.path("words.txt~").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(readAll(s.path("words.txt~")), "new words");
}

TEST(DataChange, ALinkIsBackedUpBesideItsNameAndReplacedAtItsTarget) {
  Scratch s;
  putOldFiles(s);
  ASSERT_EQ(mkdir(s.path("real").c_str(), 0755), 0);
  ASSERT_EQ(rename(s.path("list.rec").c_str(), s.path("real/data.bin").c_str()), 0);
  ASSERT_EQ(symlink("real/data.bin", s.path("list.rec").c_str()), 0);
  DataChange change;
  ASSERT_TRUE(writeTwoFiles(change, s.dir, BackupKind::numbered));
  bool committed = false;
  ASSERT_FALSE(failed(commitDataChange(change, committed)));
  EXPECT_EQ(stateOf(s.dir), "new");
  EXPECT_EQ(readAll(s.path("list.rec.~1~")), "old rec");
  EXPECT_EQ(namesIn(s.path("real")), "data.bin ");
  struct stat st;
  ASSERT_EQ(lstat(s.path("list.rec").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";
}

TEST(DataChange, AFifoCannotBeAFileOfAChange) {
  Scratch s;
  ASSERT_EQ(mkfifo(s.path("list.rec").c_str(), 0600), 0);
  DataChange change;
  change.dir = s.dir;
  size_t i = 0;
  const FileError e = addChangedFile(change, s.path("list.rec"), false, i);
  EXPECT_EQ(e.error, kNotRegularFile);
  EXPECT_EQ(describeFailure(e), "cannot replace " + s.path("list.rec") +
                                    ": not a regular file (a data file is replaced as a whole)");
  abandonDataChange(change);
  EXPECT_EQ(namesIn(s.dir), "list.rec ");
}

TEST(DataChange, AnAbandonedChangeLeavesNothingBehind) {
  Scratch s;
  putOldFiles(s);
  DataChange change;
  ASSERT_TRUE(writeTwoFiles(change, s.dir, BackupKind::numbered));
  abandonDataChange(change);
  EXPECT_EQ(stateOf(s.dir), "old");
  EXPECT_EQ(namesIn(s.dir), "list.rec words.txt ");
}

// Fails every step of a commit in turn: a failure before the journal is
// committed leaves the old files, one after leaves a journal that the next
// recovery finishes; never a temp, a journal or a mixed pair after that.
TEST(DataChange, EveryFailedStepOfACommitEndsInOneStateOrTheOther) {
  int reachedNew = 0;
  int reachedOld = 0;
  for (int step = 1;; ++step) {
    Scratch s;
    putOldFiles(s);
    DataChange change;
    ASSERT_TRUE(writeTwoFiles(change, s.dir, BackupKind::numbered));
    gInjectedFaults.commitFailStep = step;
    gInjectedFaults.commitFailError = EIO;
    bool committed = false;
    const FileError e = commitDataChange(change, committed);
    const bool fired = gInjectedFaults.commitFailStep == 0;
    gInjectedFaults.commitFailStep = 0;
    if (!fired) {
      EXPECT_FALSE(failed(e));
      EXPECT_GT(step, 5) << "a commit has a journal, two backups, two renames and syncs";
      break;
    }
    EXPECT_TRUE(failed(e)) << "step " << step;
    if (!committed) {
      EXPECT_EQ(namesIn(s.dir), "list.rec words.txt ") << "step " << step;
    }
    std::string said;
    ASSERT_FALSE(failed(recoverDataFolder(s.dir, "d", said)));
    EXPECT_EQ(said.empty(), !committed) << "step " << step;
    const std::string state = stateOf(s.dir);
    EXPECT_EQ(state, committed ? "new" : "old") << "step " << step;
    (state == "new" ? reachedNew : reachedOld)++;
    if (committed) {
      EXPECT_EQ(said, "finished an interrupted import in d: list.rec and words.txt replaced");
      EXPECT_EQ(readAll(s.path("list.rec.~1~")), "old rec");
      EXPECT_EQ(readAll(s.path("words.txt.~1~")), "old words");
      EXPECT_EQ(namesIn(s.dir), "list.rec list.rec.~1~ words.txt words.txt.~1~ ")
          << "step " << step;
    }
  }
  EXPECT_GT(reachedOld, 0);
  EXPECT_GT(reachedNew, 0);
}

TEST(DataChange, RecoveryUndoesAPendingOrTornJournalAndFinishesACommittedOne) {
  struct Case {
    const char* journal;  // "pending", "torn" or "committed"
    const char* state;
    const char* said;
  };
  const Case cases[] = {
      {"pending", "old",
       "undid an interrupted import in d: list.rec and words.txt left as they were"},
      {"torn", "old", "undid an interrupted import in d: list.rec left as it was"},
      {"committed", "new", "finished an interrupted import in d: list.rec and words.txt replaced"},
  };
  for (const Case& c : cases) {
    Scratch s;
    putOldFiles(s);
    writeAll(s.path(".lcx-AAAAAA"), "new rec");
    writeAll(s.path(".lcx-BBBBBB"), "new words");
    Journal j;
    j.committed = std::string(c.journal) != "pending";
    j.entries.push_back({"list.rec", "list.rec", ".lcx-AAAAAA", "list.rec~"});
    j.entries.push_back({"words.txt", "words.txt", ".lcx-BBBBBB", "words.txt.~1~"});
    std::string text = journalText(j);
    if (std::string(c.journal) == "torn") {
      text = text.substr(0, text.find("file 9:words.txt") + 6);
    }
    writeAll(s.path("listconv.journal"), text);
    std::string said;
    ASSERT_FALSE(failed(recoverDataFolder(s.dir, "d", said))) << c.journal;
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(stateOf(s.dir), c.state) << c.journal;
    const std::string names = namesIn(s.dir);
    EXPECT_EQ(names.find(".lcx-A"), std::string::npos) << c.journal << ": " << names;
    EXPECT_EQ(names.find("journal"), std::string::npos) << c.journal << ": " << names;
  }
}

}  // namespace
