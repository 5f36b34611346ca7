// The journal's text: read back as written, and a torn or altered one never
// taken for a whole one.
#include "io/data_journal.h"

#include <gtest/gtest.h>

namespace {

Journal twoFiles(bool committed) {
  Journal j;
  j.committed = committed;
  j.entries.push_back({"list.rec", "real/data bin", "real/.lcx-AbC123", "list.rec.~3~"});
  j.entries.push_back({"words.txt", "/abs/words.txt", "/abs/.lcx-x\n1 2:", ""});
  return j;
}

TEST(DataJournal, ReadsBackWhatItWrote) {
  for (const bool committed : {false, true}) {
    Journal read;
    ASSERT_TRUE(parseJournal(journalText(twoFiles(committed)), read));
    EXPECT_EQ(read.committed, committed);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].target, "real/data bin");
    EXPECT_EQ(read.entries[0].backup, "list.rec.~3~");
    EXPECT_EQ(read.entries[1].temp, "/abs/.lcx-x\n1 2:");  // names are counted, not parsed
    EXPECT_EQ(read.entries[1].backup, "");
  }
}

TEST(DataJournal, ATornOrAlteredJournalIsNotWhole) {
  const std::string text = journalText(twoFiles(true));
  for (size_t n = 0; n < text.size(); ++n) {
    Journal read;
    EXPECT_FALSE(parseJournal(text.substr(0, n), read)) << "torn after " << n << " bytes";
    EXPECT_FALSE(read.committed);
  }
  for (size_t at : {size_t{0}, size_t{25}, text.size() / 2, text.size() - 3}) {
    std::string altered = text;
    altered[at] ^= 1;
    Journal read;
    EXPECT_FALSE(parseJournal(altered, read)) << "byte " << at << " altered";
  }
  Journal read;
  EXPECT_FALSE(parseJournal(text + "x", read)) << "bytes after the end";
}

TEST(DataJournal, NamesAreKeptRelativeToTheFolderWhereTheyCanBe) {
  EXPECT_EQ(nameInFolder("d", "d/list.rec"), "list.rec");
  EXPECT_EQ(nameInFolder("d/", "d/real/../x"), "real/../x");
  EXPECT_EQ(nameInFolder("", "list.rec"), "list.rec");
  EXPECT_EQ(pathFromFolder("d", "list.rec"), "d/list.rec");
  EXPECT_EQ(pathFromFolder("", "list.rec"), "list.rec");
}

}  // namespace
