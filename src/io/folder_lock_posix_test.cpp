// Folder locks: one writer, or readers together, never both.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "io/folder_lock.h"

namespace {

TEST(FolderLock, OneWriterOrManyReaders) {
  char name[] = "/tmp/listconv-lock-XXXXXX";
  const std::string dir = mkdtemp(name);
  FolderLock writer;
  FolderLock other;
  ASSERT_EQ(lockFolder(writer, dir, true, false), 0);
  EXPECT_EQ(lockFolder(other, dir, true, false), kFolderLockHeld);
  EXPECT_EQ(lockFolder(other, dir, false, false), kFolderLockHeld);
  // A writer may read on: its lock becomes a shared one.
  ASSERT_EQ(lockFolder(writer, dir, false, false), 0);
  EXPECT_EQ(lockFolder(other, dir, false, false), 0);
  EXPECT_EQ(lockFolder(other, dir, true, false), kFolderLockHeld);
  unlockFolder(writer);
  EXPECT_EQ(lockFolder(other, dir, true, false), 0);
  unlockFolder(other);
  unlockFolder(other);  // twice is nothing
  EXPECT_EQ(lockFolder(writer, dir + "/none", true, false), ENOENT);
  rmdir(dir.c_str());
}

}  // namespace
