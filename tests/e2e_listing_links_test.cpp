// End-to-end tests of the links listconv follows to write list.txt: in a
// sticky folder that all may write (such as /tmp), a link laid by another
// user is not followed, as the kernel's fs.protected_symlinks rule has it,
// whether or not the kernel's own switch is on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "fixtures.h"
#include "started_program.h"
#include "workdir.h"

namespace {

using e2e::readFile;
using e2e::RunResult;
using e2e::Workdir;
using fixtures::Record;

// Data files that give a block and print nothing on standard error.
void putData(const Workdir& w) {
  Record r;
  r.set(fixtures::kEntryId, "A").set(fixtures::kNameCode1, "600").set(fixtures::kWordText, "ab");
  w.put("kanjis.dat", fixtures::kanjiFile(603, {{600, "P"}}));
  w.put("words.txt", "AB x 600\r\n");
  w.put("list.rec", r);
}

// Otherwise one user could make another's run empty or create any file the
// second may write, by laying list.txt as a link in a shared folder.
TEST(ListingLinks, ALinkInASharedStickyFolderIsFollowedOnlyAsTheKernelWould) {
  SKIP_UNDER_RUNNER();
  uid_t nobody = 0;
  gid_t nogroup = 0;
  if (geteuid() != 0 || !e2e::nobodyIds(nobody, nogroup)) {
    GTEST_SKIP() << "a link of another user is made by root alone, with a user nobody";
  }
  struct Case {
    const char* what;
    mode_t folderMode;
    bool folderNobodys;  // else root's
    bool linkNobodys;    // else root's, the user's own
    bool dangling;       // the link leads to a name not there yet
    bool behindOwnLink;  // list.txt is the user's own link to the link
    bool followed;
  };
  const Case cases[] = {
      {"another user's link in root's sticky folder", 01777, false, true, false, false, false},
      {"another user's dangling link there", 01777, false, true, true, false, false},
      {"another user's link behind the user's own", 01777, false, true, false, true, false},
      {"the user's own link in another's sticky folder", 01777, true, false, false, false, true},
      {"a link of the sticky folder's owner", 01777, true, true, false, false, true},
      {"another user's link in a folder without the sticky bit", 0777, false, true, false, false,
       true},
      {"another user's link in a sticky folder not all may write", 01755, false, true, false, false,
       true},
  };
  Workdir plain;
  putData(plain);
  const RunResult want = plain.run();
  ASSERT_EQ(want.status, 0);
  ASSERT_EQ(want.err, "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    putData(w);
    w.put("private", "old\n");
    const std::string folder = w.path("");
    ASSERT_EQ(chmod(folder.c_str(), c.folderMode), 0);
    ASSERT_EQ(chown(folder.c_str(), c.folderNobodys ? nobody : 0, 0), 0);
    const std::string link = w.path(c.behindOwnLink ? "hop" : "list.txt");
    ASSERT_EQ(symlink(c.dangling ? "made" : "private", link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), c.linkNobodys ? nobody : 0, 0), 0);
    if (c.behindOwnLink) {
      ASSERT_EQ(symlink("hop", w.path("list.txt").c_str()), 0);
    }

    const RunResult r = w.run();
    EXPECT_EQ(r.out, c.followed ? want.out : "\n");
    if (c.followed) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(readFile(w.path(c.dangling ? "made" : "private")), want.listing);
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, fixtures::cannot("listconv", "write", "list.txt", EACCES));
      EXPECT_EQ(readFile(w.path("private")), "old\n");
      EXPECT_FALSE(e2e::exists(w.path("made")));
    }
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
  }
}

// The user's own links, in a folder of the user's own, lead where they lead:
// to a file made there when it is not there yet, through other links, to a
// device.
TEST(ListingLinks, TheUsersOwnLinksAreFollowed) {
  SKIP_UNDER_RUNNER();
  Workdir plain;
  putData(plain);
  const RunResult want = plain.run();
  struct Case {
    const char* prepare;
    const char* written;  // the file that gets the listing
  };
  const Case cases[] = {
      {"echo old >kept && ln -s kept list.txt", "kept"},
      {"mkdir sub && ln -s sub/new list.txt", "sub/new"},
      {"ln -s hop list.txt && ln -s ./far hop && echo old old old >far", "far"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prepare);
    Workdir w;
    putData(w);
    const RunResult r = w.run("", c.prepare);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(w.path(c.written)), want.listing);
  }
  // A device is written as it is, with nothing to empty.
  Workdir w;
  putData(w);
  const RunResult r = w.run("", "ln -s /dev/null list.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, want.out);
}

}  // namespace
