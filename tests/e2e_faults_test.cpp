// End-to-end tests of file faults: list.txt that cannot be created or written
// or that is an input under another name, inputs that cannot be opened or
// read, and a console that cannot be written to. Most use Linux facilities
// (/dev/full, directories that open as files, pipes) and are skipped when the
// program runs through LISTCONV_RUNNER.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>

#include "fixtures.h"
#include "started_program.h"
#include "workdir.h"

namespace {

using e2e::RunResult;
using e2e::Workdir;
using fixtures::Record;

std::string message(const std::string& what, const std::string& file, int error) {
  return fixtures::cannot("listconv", what, file, error);
}

// The listconv under test.
std::string listconvExe() {
  return e2e::envOr("LISTCONV_EXE", LISTCONV_EXE_DEFAULT);
}

std::string symlinkTarget(const std::string& path) {
  char buf[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? "" : std::string(buf, static_cast<size_t>(n));
}

// Input files that use the kanji table, the dictionary and the records.
struct InputSet {
  std::string kanjis = fixtures::kanjiFile(603, {{600, "P"}, {601, "Q"}, {602, "R"}});
  std::string words = "AB x 600 601\r\nCD y 602\r\n";
  std::string records;
};

// `count` listed records whose names and words need both tables.
std::string recordsOf(int count) {
  std::string all;
  for (int i = 0; i < count; ++i) {
    Record r;
    r.set(fixtures::kEntryId, "ID" + std::to_string(i)).set(fixtures::kName1, "ef");
    r.set(fixtures::kNameCode1, "600").set(fixtures::kNameCode3, "602");
    r.set(fixtures::kWordText, "ab cd[601] ef zz").set(fixtures::kNote, std::string(120, 'n'));
    all += std::string(r);
  }
  return all;
}

void putInputs(const Workdir& w, const InputSet& in) {
  w.put("kanjis.dat", in.kanjis);
  w.put("words.txt", in.words);
  w.put("list.rec", in.records);
}

// One way of making list.txt impossible to create, and the reason it gives.
struct CreateCase {
  const char* what;
  const char* prepare;
  int error;
};

TEST(FileFaults, ListingThatCannotBeCreatedStopsTheRunWithStatus1) {
  SKIP_UNDER_RUNNER();
  const CreateCase cases[] = {
      {"a directory", "mkdir list.txt", EISDIR},
      {"a path through a file", "touch plain && ln -s plain/x list.txt", ENOTDIR},
      {"a path into a missing folder", "ln -s missing/x list.txt", ENOENT},
      {"a link to itself", "ln -s list.txt list.txt", ELOOP},
  };
  for (const CreateCase& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    // list.rec opens but cannot be read: a read would add a message. The
    // tables are there, empty, so that their absence is not told.
    const RunResult r =
        w.run("", std::string(c.prepare) + " && mkdir list.rec && touch kanjis.dat words.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\n");
    EXPECT_EQ(r.err, message("create", "list.txt", c.error));
    EXPECT_FALSE(r.listingIsFile);
    EXPECT_FALSE(e2e::exists(w.path("missing")));
    EXPECT_EQ(e2e::readFile(w.path("plain")), "");
  }
}

// A working folder that was removed has no list.rec: nothing is created.
TEST(FileFaults, ARemovedWorkingFolderHasNoRecordFile) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  const RunResult r = w.run("", "mkdir gone && cd gone && rmdir ../gone");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "\n");
  EXPECT_EQ(r.err, "listconv: no list.rec in this folder: list.txt left as it was\n");
}

TEST(FileFaults, FailedWritesAreReportedWithoutASummary) {
  SKIP_UNDER_RUNNER();
  // A few blocks fail when the file is closed; many blocks fail on the way.
  for (const int count : {1, 1500}) {
    SCOPED_TRACE(count);
    Workdir w;
    InputSet in;
    in.records = recordsOf(count);
    putInputs(w, in);
    const RunResult r = w.run("", "ln -s /dev/full list.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\n");
    EXPECT_EQ(r.err, message("write", "list.txt", ENOSPC));
    EXPECT_EQ(symlinkTarget(w.path("list.txt")), "/dev/full");
  }
}

// A limit of the file size (ulimit -f) makes a write fail as a full disk
// does, instead of ending the run by a signal without a message.
TEST(FileFaults, AFileSizeLimitIsAFailedWrite) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  InputSet in;
  in.records = recordsOf(100);
  putInputs(w, in);
  const RunResult full = w.run();
  ASSERT_GT(full.listing.size(), 4096u);
  const RunResult r = w.run("", "ulimit -f 2");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "\n");
  EXPECT_EQ(r.err, message("write", "list.txt", EFBIG));
  EXPECT_LE(r.listing.size(), 2048u);
  EXPECT_EQ(r.listing, full.listing.substr(0, r.listing.size()));
}

// A run that runs out of memory says so and fails. The dictionary grows with
// every line: words.txt is a FIFO fed with new words until listconv, held
// to a small address space, runs out; list.txt, written after the tables
// are loaded, is not touched.
TEST(FileFaults, RunningOutOfMemoryIsAMessage) {
  SKIP_UNDER_RUNNER();
  const rlim_t kLimit = rlim_t{96} << 20;
  Workdir w;
  e2e::Start how;
  how.addressSpace = kLimit;
  if (e2e::exitStatusOf(e2e::startProgram(listconvExe(), {"--version"}, w.path(""), how)) != 0) {
    GTEST_SKIP() << "the program does not start in " << (kLimit >> 20)
                 << " MiB of address space (a sanitizer build?)";
  }
  w.put("list.txt", "old\n");
  ASSERT_EQ(mkfifo(w.path("words.txt").c_str(), 0644), 0);
  const pid_t child = e2e::startProgram(listconvExe(), {}, w.path(""), how);
  ASSERT_GT(child, 0);
  const int fifo = open(w.path("words.txt").c_str(), O_WRONLY);
  ASSERT_GE(fifo, 0);
  const auto oldPipeSignal = std::signal(SIGPIPE, SIG_IGN);
  bool ended = false;  // the reader has gone
  uint64_t word = 0;
  for (; word < 20000000 && !ended; word += 100) {
    std::string lines;
    for (uint64_t i = word; i < word + 100; ++i) {
      lines += "W" + std::to_string(1000000000 + i) + " kanji 600 601 602\r\n";
    }
    ended = write(fifo, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size());
  }
  close(fifo);
  std::signal(SIGPIPE, oldPipeSignal);
  // A bound on the data fed, not on time: listconv must stop reading.
  EXPECT_TRUE(ended) << "listconv read " << word << " words without running out of memory";
  EXPECT_EQ(e2e::exitStatusOf(child), 1);
  EXPECT_EQ(e2e::readFile(w.path(".stderr")), "listconv: out of memory\n");
  EXPECT_EQ(e2e::readFile(w.path(".stdout")), "\n");
  EXPECT_EQ(e2e::readFile(w.path("list.txt")), "old\n");
}

TEST(FileFaults, AFullDeviceIsNoFailureWhenNothingIsWritten) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  w.put("list.rec", std::string(Record()));
  const RunResult withRecords = w.run("", "touch kanjis.dat words.txt && ln -s /dev/full list.txt");
  EXPECT_EQ(withRecords.status, 0);
  EXPECT_EQ(withRecords.out, "\n0 records written to file LIST.TXT\n");
  EXPECT_EQ(withRecords.err, "");

  // An empty list.rec gives nothing to write either.
  Workdir empty;
  empty.put("list.rec", "");
  const RunResult withoutRecords =
      empty.run("", "touch kanjis.dat words.txt && ln -s /dev/full list.txt");
  EXPECT_EQ(withoutRecords.status, 0);
  EXPECT_EQ(withoutRecords.out, "\n0 records written to file LIST.TXT\n");
  EXPECT_EQ(withoutRecords.err, "");
}

TEST(FileFaults, UnreadableInputEndsItsDataAndTheRunGoesOn) {
  SKIP_UNDER_RUNNER();
  InputSet in;
  in.records = recordsOf(3);
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    SCOPED_TRACE(name);
    // The run reads the file as if its data ended at once: as an empty file.
    Workdir expected;
    putInputs(expected, in);
    expected.put(name, "");
    const RunResult want = expected.run();
    ASSERT_EQ(want.status, 0);
    ASSERT_EQ(want.err, "");

    Workdir w;
    putInputs(w, in);
    const RunResult r = w.run("", std::string("rm ") + name + " && mkdir " + name);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message("read", name, EISDIR));
    EXPECT_EQ(r.out, want.out);
    EXPECT_TRUE(r.listingIsFile);
    EXPECT_EQ(r.listing, want.listing);
  }
}

TEST(FileFaults, EveryUnreadableInputIsNamed) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  const RunResult r = w.run("", "mkdir kanjis.dat words.txt list.rec");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "\n0 records written to file LIST.TXT\n");
  EXPECT_EQ(r.err, message("read", "kanjis.dat", EISDIR) + message("read", "words.txt", EISDIR) +
                       message("read", "list.rec", EISDIR));
  EXPECT_EQ(r.listing, "");
}

TEST(FileFaults, SuccessfulRunsPrintNothingElse) {
  InputSet in;
  in.records = recordsOf(1500);
  Workdir w;
  putInputs(w, in);
  const RunResult r = w.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n1500 records written to file LIST.TXT\n");
  EXPECT_EQ(r.err, "");
  EXPECT_GT(r.listing.size(), 400000u);  // written in several pieces
}

// The summary line is lost when the console cannot be written to, so such a
// run does not end with status 0.
TEST(FileFaults, UnwritableConsoleFailsTheRun) {
  SKIP_UNDER_RUNNER();
  InputSet in;
  in.records = recordsOf(2);
  Workdir w;
  putInputs(w, in);
  const std::string wholeListing = w.run().listing;
  const std::string exe = e2e::envOr("LISTCONV_EXE", LISTCONV_EXE_DEFAULT);
  const std::string cmd = "cd '" + w.path("") + "' && '" + exe + "' >/dev/full 2>'" +
                          w.path(".stderr") + "' </dev/null";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(e2e::readFile(w.path(".stderr")), message("write", "", ENOSPC));
  EXPECT_EQ(e2e::readFile(w.path("list.txt")), wholeListing);  // the listing itself is whole
}

// A console pipe whose reader has gone is a failed write like a full disk:
// reported, status 1, and the listing is still written whole.
TEST(FileFaults, ClosedConsolePipeFailsTheRunWithAMessage) {
  SKIP_UNDER_RUNNER();
  InputSet in;
  in.records = recordsOf(2);
  Workdir w;
  putInputs(w, in);
  const std::string wholeListing = w.run().listing;
  const std::string errPath = w.path(".stderr");
  const int raw =
      e2e::runIntoClosedPipe(e2e::envOr("LISTCONV_EXE", LISTCONV_EXE_DEFAULT), w.path(""), errPath);
  ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(e2e::readFile(errPath), message("write", "", EPIPE));
  EXPECT_EQ(e2e::readFile(w.path("list.txt")), wholeListing);
}

// An input that is there but cannot be opened is named with the reason; the
// run goes on as if it were missing, and ends with status 1. (As root every
// file opens; the same fault is injected in-process in run_faults_test.)
TEST(FileFaults, InputThatCannotBeOpenedIsReportedAndTakenAsMissing) {
  SKIP_UNDER_RUNNER();
  if (geteuid() == 0) {
    GTEST_SKIP() << "running as root: every file opens; see RunFaults.InputThatCannotBeOpened";
  }
  InputSet in;
  in.records = recordsOf(3);
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    SCOPED_TRACE(name);
    Workdir missing;
    putInputs(missing, in);
    const RunResult want = missing.run("", std::string("rm ") + name);
    Workdir w;
    putInputs(w, in);
    const RunResult r = w.run("", std::string("chmod 000 ") + name);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message("open", name, EACCES));
    EXPECT_EQ(r.out, want.out);
    EXPECT_EQ(r.listing, want.listing);
  }
}

// list.txt that is one of the inputs under another name (a symbolic or a
// hard link) is not written: every file is left as it was.
TEST(FileFaults, ListingThatIsAnInputLeavesEveryFileUntouched) {
  InputSet in;
  in.records = recordsOf(2);
  for (const char* input : {"list.rec", "words.txt", "kanjis.dat"}) {
    for (const char* link : {"ln -s", "ln"}) {
      SCOPED_TRACE(std::string(link) + " " + input);
      Workdir w;
      putInputs(w, in);
      const RunResult r = w.run("", std::string(link) + " " + input + " list.txt");
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "\n");
      EXPECT_EQ(e2e::withoutCr(r.err),  // CR LF on Windows
                std::string("listconv: list.txt is the same file as ") + input + "\n");
      EXPECT_EQ(e2e::readFile(w.path("kanjis.dat")), in.kanjis);
      EXPECT_EQ(e2e::readFile(w.path("words.txt")), in.words);
      EXPECT_EQ(e2e::readFile(w.path("list.rec")), in.records);
    }
  }
}

}  // namespace
