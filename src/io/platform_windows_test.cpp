// The path rules of Windows: / and \ separate folders, and a drive's colon
// ends a folder part.
#include <gtest/gtest.h>

#include "io/platform.h"

namespace {

TEST(WindowsPaths, SlashAndBackslashSeparateFolders) {
  EXPECT_EQ(pathInFolder("d", "list.rec"), "d/list.rec");
  EXPECT_EQ(pathInFolder("d/", "list.rec"), "d/list.rec");
  EXPECT_EQ(pathInFolder("d\\", "list.rec"), "d\\list.rec");
  EXPECT_EQ(folderOf("out.csv"), "");
  EXPECT_EQ(folderOf("a/b\\out.csv"), "a/b\\");
  EXPECT_EQ(folderOf("c:out.csv"), "c:");
}

}  // namespace
