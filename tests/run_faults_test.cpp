// The whole run with injected read and write failures, in a private folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "fixtures.h"
#include "io/fault_injection.h"
#include "run_folder.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

using fixtures::Record;

std::string message(const std::string& what, const std::string& file, int error) {
  return fixtures::cannot("listconv", what, file, error);
}

// Input files that use the kanji table, the dictionary and the records.
std::map<std::string, std::string> inputFiles(int records) {
  std::map<std::string, std::string> files;
  files["kanjis.dat"] = fixtures::kanjiFile(603, {{600, "P"}, {601, "Q"}, {602, "R"}});
  files["words.txt"] = "AB x 600 601\r\nCD y 602\r\nEF z 601 602 600\r\n";
  std::string all;
  for (int i = 0; i < records; ++i) {
    Record r;
    r.set(fixtures::kEntryId, "ID" + std::to_string(i)).set(fixtures::kName1, "gh");
    r.set(fixtures::kNameCode1, "600").set(fixtures::kNameCode2, "601");
    r.set(fixtures::kNameCode3, "602").set(fixtures::kWordText, "ab cd ef[601] gh zz");
    r.set(fixtures::kNote, std::string(120, 'n'));
    all += std::string(r);
  }
  files["list.rec"] = all;
  return files;
}

// The fault tests share the in-process run of run_folder.h.
class RunFaults : public RunFolder {};

// A read failure after `at` bytes of one input file.
struct ReadCase {
  const char* file;
  size_t at;
};

TEST_F(RunFaults, AFailedReadEndsThatFileThereAndTheRunGoesOn) {
  const std::map<std::string, std::string> files = inputFiles(4);
  const size_t kanjiSize = files.at("kanjis.dat").size();
  const size_t wordsSize = files.at("words.txt").size();
  const ReadCase cases[] = {
      {"kanjis.dat", 0},
      {"kanjis.dat", 525 * 166 + 7},  // inside the first record that is looked at
      {"kanjis.dat", 601 * 166},      // at a record boundary, past a block of input
      {"kanjis.dat", kanjiSize - 1},
      {"words.txt", 0},
      {"words.txt", 5},   // in the middle of a line
      {"words.txt", 13},  // between CR and LF
      {"words.txt", wordsSize - 1},
      {"list.rec", 0},
      {"list.rec", 10},       // inside the id of the first record
      {"list.rec", 666 * 2},  // at a record boundary
      {"list.rec", 666 * 3 + 400},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " after " + std::to_string(c.at) + " bytes");
    // What the run gives when the file's data really ends there.
    std::map<std::string, std::string> cut = files;
    cut[c.file].resize(c.at);
    put(cut);
    const Outcome want = run();
    ASSERT_EQ(want.status, 0);
    ASSERT_EQ(want.err, "");

    // The reads go kanjis.dat, words.txt, list.rec: the budget covers the
    // files before this one.
    InjectedFaults faults;
    faults.readFailAfter = static_cast<int64_t>(c.at);
    if (std::string(c.file) != "kanjis.dat") {
      faults.readFailAfter += static_cast<int64_t>(kanjiSize);
    }
    if (std::string(c.file) == "list.rec") {
      faults.readFailAfter += static_cast<int64_t>(wordsSize);
    }
    put(files);
    const Outcome got = run(faults);
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, message("read", c.file, EIO));
    EXPECT_EQ(got.out, want.out);
    EXPECT_EQ(got.listing, want.listing);
  }
}

TEST_F(RunFaults, AFailedWriteLeavesWhatWasWrittenAndNoSummary) {
  // Enough blocks for list.txt to be written in several pieces on the way.
  put(inputFiles(2000));
  const Outcome full = run();
  ASSERT_EQ(full.status, 0);
  ASSERT_EQ(full.out, "\n2000 records written to file LIST.TXT\n");
  ASSERT_EQ(full.err, "");
  ASSERT_GT(full.listing.size(), 600000u);

  const size_t cases[] = {
      0,                        // the first write
      1000,                     // inside the first piece
      400000,                   // a later piece
      full.listing.size() - 1,  // the last write, when the file is closed
  };
  for (const size_t at : cases) {
    SCOPED_TRACE("write fails after " + std::to_string(at) + " bytes");
    InjectedFaults faults;
    faults.writeFailAfter = static_cast<int64_t>(at);
    const Outcome got = run(faults);
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, "\n");
    EXPECT_EQ(got.err, message("write", "list.txt", EIO));
    EXPECT_EQ(got.listing, full.listing.substr(0, at));
  }

  // A budget of exactly the listing's size is enough.
  InjectedFaults exact;
  exact.writeFailAfter = static_cast<int64_t>(full.listing.size());
  const Outcome got = run(exact);
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out, full.out);
  EXPECT_EQ(got.err, "");
  EXPECT_EQ(got.listing, full.listing);
}

// An input that exists but cannot be opened (no read permission, say) is
// named with the reason and taken as missing; the run ends with status 1.
TEST_F(RunFaults, InputThatCannotBeOpened) {
  const std::map<std::string, std::string> files = inputFiles(3);
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    SCOPED_TRACE(name);
    std::map<std::string, std::string> without = files;
    without.erase(name);
    put(without);
    const Outcome want = run();
    // A missing list.rec fails the run too, but leaves list.txt alone.
    ASSERT_EQ(want.status, std::string(name) == "list.rec" ? 1 : 0);
    put(files);
    InjectedFaults faults;
    faults.openFailName = name;
    faults.openFailError = EACCES;
    const Outcome got = run(faults);
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, message("open", name, EACCES));
    EXPECT_EQ(got.out, want.out);
    EXPECT_EQ(got.listing, want.listing);
  }
}

}  // namespace
