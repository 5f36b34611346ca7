// The path rules of POSIX systems: only / separates folders.
#include <gtest/gtest.h>

#include "io/platform.h"

namespace {

TEST(PosixPaths, OnlyASlashSeparatesFolders) {
  EXPECT_EQ(pathInFolder("d", "list.rec"), "d/list.rec");
  EXPECT_EQ(pathInFolder("d/", "list.rec"), "d/list.rec");
  EXPECT_EQ(pathInFolder("/", "list.rec"), "/list.rec");
  EXPECT_EQ(pathInFolder("d\\", "list.rec"), "d\\/list.rec");
  EXPECT_EQ(pathInFolder("c:", "list.rec"), "c:/list.rec");
  EXPECT_EQ(folderOf("out.csv"), "");
  EXPECT_EQ(folderOf("a/b/out.csv"), "a/b/");
  EXPECT_EQ(folderOf("a\\out.csv"), "");
  EXPECT_EQ(folderOf("c:out.csv"), "");
}

}  // namespace
