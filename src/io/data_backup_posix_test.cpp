// The backups' names: the number one above the highest backup of that very
// file, whatever else the folder holds; and a backup never takes a name
// that is already there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures.h"
#include "io/data_backup.h"

namespace {

using Scratch = fixtures::ScratchFolder;
using fixtures::readAll;
using fixtures::writeAll;

TEST(DataBackup, ANumberedBackupIsOneAboveTheHighestOfItsOwnFile) {
  struct Case {
    std::vector<std::string> there;
    std::string next;
  };
  const Case cases[] = {
      {{}, "list.rec.~1~"},
      {{"list.rec.~1~", "list.rec.~3~"}, "list.rec.~4~"},
      {{"list.rec.~007~"}, "list.rec.~8~"},
      // Not backups of list.rec: another file's, or no number between the marks.
      {{"words.txt.~9~", "xlist.rec.~5~", "list.recx.~5~", "list.rec.~2a~", "list.rec.~~",
        "list.rec.~-4~", "list.rec.~6", "list.rec~"},
       "list.rec.~1~"},
  };
  for (const Case& c : cases) {
    Scratch s;
    for (const std::string& name : c.there) {
      writeAll(s.path(name), "old");
    }
    EXPECT_EQ(backupNameFor(s.path("list.rec"), BackupKind::numbered), s.path(c.next))
        << "first name there: " << (c.there.empty() ? "none" : c.there[0]);
  }
  EXPECT_EQ(backupNameFor("d/list.rec", BackupKind::simple), "d/list.rec~");
  EXPECT_EQ(backupNameFor("d/list.rec", BackupKind::none), "");
}

TEST(DataBackup, ANumberedBackupTakesTheNextNumberWhenItsNameWasTaken) {
  Scratch s;
  writeAll(s.path("list.rec"), "old rec");
  std::string backup = backupNameFor(s.path("list.rec"), BackupKind::numbered);
  writeAll(backup, "came first");  // another backup made since the name was chosen
  ASSERT_FALSE(failed(makeBackup(s.path("list.rec"), backup, BackupKind::numbered)));
  EXPECT_EQ(backup, s.path("list.rec.~2~"));
  EXPECT_EQ(readAll(s.path("list.rec.~1~")), "came first");
  EXPECT_EQ(readAll(s.path("list.rec.~2~")), "old rec");
}

TEST(DataBackup, NothingIsKeptOfAFileNotThereOrWhenNoBackupIsAsked) {
  Scratch s;
  std::string backup = s.path("list.rec.~1~");
  EXPECT_FALSE(failed(makeBackup(s.path("list.rec"), backup, BackupKind::numbered)));
  writeAll(s.path("list.rec"), "old rec");
  EXPECT_FALSE(failed(makeBackup(s.path("list.rec"), backup, BackupKind::none)));
  std::string none;
  EXPECT_FALSE(failed(makeBackup(s.path("list.rec"), none, BackupKind::numbered)));
  EXPECT_FALSE(std::ifstream(backup).good()) << "no backup made";
}

}  // namespace
