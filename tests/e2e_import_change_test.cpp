// End-to-end tests of the import as one change of the data files: one
// writer at a time, an interrupted import finished or undone by whichever
// program comes next, and no kill or signal ever leaving list.rec new and
// words.txt old (or the other way round) or a temporary file behind.
// LISTCONV_KILL_RUNS sets how many imports the kill test interrupts (a few
// by default; a few hundred for a long run).
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "export_e2e.h"
#include "started_program.h"

namespace e2e {
namespace {

const char kRecordHeader[] =
    "record,reserved,entryId,name1,name2,name3,nameCode1,nameCode2,nameCode3,detail1,detail2,"
    "period,detail3,detail4,detail5,detail6,detail7,wordText,note\r\n";
// A new record: its `record` is left empty, as no two rows may name the same one.
const char kRecordRow[] = ",00000000,A-1,Masa,mune,,539,544,,d1,d2,Edo,d3,d4,d5,d6,d7,KATANA,n\r\n";

// Exports of `rows` records and dictionary entries, long enough that an
// import takes a while to write them.
void putExports(const Workdir& w, int rows) {
  std::string records = kRecordHeader;
  std::string words = "key,word,kanji\r\n";
  for (int i = 0; i < rows; ++i) {
    records += kRecordRow;
    words += "K" + std::to_string(100000 + i) + ",katana,\xE5\x88\x80\r\n";
  }
  w.put("in.csv", records);
  w.put("words.csv", words);
}

// The data files an import of putExports writes, made once in a folder of
// their own: {list.rec, words.txt}.
struct NewFiles {
  std::string rec;
  std::string words;
};

NewFiles newFilesFor(int rows) {
  Workdir w;
  putSample(w);
  putExports(w, rows);
  const RunResult r = w.runProgram(importExe(), "in.csv words.csv");
  EXPECT_EQ(r.status, 0) << r.err;
  return NewFiles{readFile(w.path("list.rec")), readFile(w.path("words.txt"))};
}

// The names in the folder that a finished change never leaves: temporary
// files and journals.
std::string leftovers(const Workdir& w) {
  std::string found;
  DIR* d = opendir(w.path("").c_str());
  for (const dirent* e = d != nullptr ? readdir(d) : nullptr; e != nullptr; e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, 5, ".lcx-") == 0 || name.find("journal") != std::string::npos) {
      found += name + " ";
    }
  }
  if (d != nullptr) {
    closedir(d);
  }
  return found;
}

// "old" or "new" for a pair of list.rec and words.txt, else what is mixed.
std::string stateOf(const std::string& rec, const std::string& words, const NewFiles& fresh) {
  const bool oldRec = rec == sampleFile("list.rec");
  const bool oldWords = words == sampleFile("words.txt");
  if (oldRec && oldWords) {
    return "old";
  }
  if (rec == fresh.rec && words == fresh.words) {
    return "new";
  }
  return std::string("mixed: list.rec ") +
         (oldRec             ? "old"
          : rec == fresh.rec ? "new"
                             : "other") +
         ", words.txt " +
         (oldWords               ? "old"
          : words == fresh.words ? "new"
                                 : "other");
}

// The journal a run leaves when it is ended after writing it: the two new
// files as temporary files, listed, committed or not, its checksum right.
std::string journalOf(bool committed) {
  std::string text = "listconv journal 1\n";
  text += committed ? "state committed\n" : "state pending\n";
  text += "file 8:list.rec 8:list.rec 11:.lcx-AAAAAA 12:list.rec.~1~\n";
  text += "file 9:words.txt 9:words.txt 11:.lcx-BBBBBB 13:words.txt.~1~\n";
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  }
  char end[32];
  std::snprintf(end, sizeof end, "end %016" PRIx64 "\n", hash);
  return text + end;
}

// A program that reads the data files, as the tests run it in the folder.
struct Reader {
  const char* name;
  std::string exe;
  std::string args;
};

std::vector<Reader> readers() {
  return {{"listconv", envOr("LISTCONV_EXE", LISTCONV_EXE_DEFAULT), ""},
          {"listconv-export", exportExe(), "--format records -o out.csv"},
          {"listconv-import", importExe(), "--check in.csv"}};
}

TEST(ImportChange, EveryProgramFinishesACommittedImportAndUndoesAnUncommittedOne) {
  const NewFiles fresh = newFilesFor(3);
  for (const Reader& reader : readers()) {
    for (const char* journal : {"committed", "pending", "torn"}) {
      SCOPED_TRACE(std::string(reader.name) + ", a " + journal + " journal");
      Workdir w;
      putSample(w);
      putExports(w, 3);
      w.put(".lcx-AAAAAA", fresh.rec);
      w.put(".lcx-BBBBBB", fresh.words);
      const std::string text = journalOf(std::string(journal) == "committed");
      w.put("listconv.journal",
            std::string(journal) == "torn" ? text.substr(0, text.size() - 5) : text);
      const RunResult r = w.runProgram(reader.exe, reader.args);
      EXPECT_EQ(r.status, 0) << r.err;
      const bool finished = std::string(journal) == "committed";
      EXPECT_NE(withoutCr(r.err).find(  // CR LF on Windows
                    std::string(reader.name) +
                    (finished ? ": finished an interrupted import in .: list.rec and "
                                "words.txt replaced\n"
                              : ": undid an interrupted import in .: list.rec and "
                                "words.txt left as they were\n")),
                std::string::npos)
          << r.err;
      EXPECT_EQ(stateOf(readFile(w.path("list.rec")), readFile(w.path("words.txt")), fresh),
                finished ? "new" : "old");
      EXPECT_EQ(exists(w.path("list.rec.~1~")), finished);
      EXPECT_EQ(leftovers(w), "");
    }
  }
}

TEST(ImportChange, AJournalThatCannotBeFinishedStopsEveryProgram) {
  Workdir w;
  putSample(w);
  putExports(w, 3);
  w.put(".lcx-AAAAAA", "new");
  w.put(".lcx-BBBBBB", "new");
  w.put("listconv.journal", journalOf(true));
  // list.rec is a folder that is not empty: no file can be renamed over it.
  ASSERT_EQ(unlink(w.path("list.rec").c_str()), 0);
  ASSERT_EQ(mkdir(w.path("list.rec").c_str(), 0755), 0);
  w.put("list.rec/x", "");
  // Windows refuses a rename over a folder as access denied.
  const std::string reason = runsThroughRunner() ? "Permission denied" : "Is a directory";
  for (const Reader& reader : readers()) {
    const RunResult r = w.runProgram(reader.exe, reader.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        withoutCr(r.err).find(std::string(reader.name) +
                              ": cannot finish the interrupted import in .: " + reason + "\n"),
        std::string::npos)
        << r.err;
    EXPECT_FALSE(exists(w.path("out.csv"))) << "nothing read from a mixed pair";
  }
  EXPECT_EQ(readFile(w.path("words.txt")), sampleFile("words.txt"));
  EXPECT_TRUE(exists(w.path("listconv.journal")));
}

TEST(ImportChange, AFailedImportPutsNothingInPlaceAndSaysSo) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  putExports(w, 3);
  ASSERT_EQ(unlink(w.path("words.txt").c_str()), 0);
  ASSERT_EQ(mkfifo(w.path("words.txt").c_str(), 0600), 0);
  const RunResult r = w.runProgram(importExe(), "in.csv words.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "listconv-import: cannot replace words.txt: not a regular file (a data file is "
            "replaced as a whole)\nlistconv-import: nothing was changed\n");
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
  EXPECT_EQ(leftovers(w), "");
}

// Holds the exclusive lock on the folder `dir` as an import would; -1 when
// it cannot.
int holdWriterLock(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 && flock(fd, LOCK_EX) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

TEST(ImportChange, ASecondImportIsRefusedWhileOneWritesOrWaitsWithWait) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  putExports(w, 3);
  const int lock = holdWriterLock(w.path(""));
  ASSERT_GE(lock, 0);
  RunResult r = w.runProgram(importExe(), "in.csv words.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "listconv-import: another listconv-import is writing .\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
  EXPECT_EQ(leftovers(w), "");

  const pid_t waiting =
      startProgram(importExe(), {"--wait", "in.csv", "words.csv"}, w.path(""), Start());
  ASSERT_GT(waiting, 0);
  // However slow the machine, the import cannot end while the lock is held.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int status = 0;
  EXPECT_EQ(waitpid(waiting, &status, WNOHANG), 0) << "it waits";
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
  close(lock);
  EXPECT_EQ(exitStatusOf(waiting), 0) << readFile(w.path(".stderr"));
  EXPECT_EQ(readFile(w.path("list.rec.~1~")), sampleFile("list.rec"));
  EXPECT_EQ(leftovers(w), "");
}

// The number of temporary files of a change in the folder.
int temporaryFiles(const Workdir& w) {
  int n = 0;
  DIR* d = opendir(w.path("").c_str());
  for (const dirent* e = d != nullptr ? readdir(d) : nullptr; e != nullptr; e = readdir(d)) {
    n += std::string(e->d_name).compare(0, 5, ".lcx-") == 0 ? 1 : 0;
  }
  if (d != nullptr) {
    closedir(d);
  }
  return n;
}

// An import stopped by each end signal while both its files are being
// written (its dictionary read from a FIFO that the test holds open) leaves
// the old files, no temporary file and no journal.
TEST(ImportChange, AnEndSignalWhileBothFilesAreWrittenLeavesTheOldFilesAlone) {
  SKIP_UNDER_RUNNER();
  // A write to the FIFO after the import has gone fails instead of ending the test.
  const sighandler_t before = std::signal(SIGPIPE, SIG_IGN);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(signal));
    Workdir w;
    putSample(w);
    putExports(w, 3);
    ASSERT_EQ(mkfifo(w.path("words.fifo").c_str(), 0600), 0);
    const pid_t import = startProgram(importExe(), {"in.csv", "words.fifo"}, w.path(""), Start());
    ASSERT_GT(import, 0);
    const int fifo = open(w.path("words.fifo").c_str(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    // More rows than the reader's first block, written while it reads them;
    // the FIFO stays open, so the import then waits for more.
    std::string rows = "key,word,kanji\r\n";
    for (int i = 0; i < 20000; ++i) {
      rows += "K" + std::to_string(100000 + i) + ",katana,\xE5\x88\x80\r\n";
    }
    std::thread writer([&] {
      for (size_t at = 0; at < rows.size();) {
        const ssize_t n = write(fifo, rows.data() + at, rows.size() - at);
        if (n <= 0) {
          break;
        }
        at += static_cast<size_t>(n);
      }
    });
    // Both replacements exist once the import waits for the rest of the dictionary.
    for (int waited = 0; temporaryFiles(w) < 2 && waited < 30000; waited += 10) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(temporaryFiles(w), 2);
    EXPECT_TRUE(exists(w.path("listconv.journal")));
    kill(import, signal);
    int status = 0;
    waitpid(import, &status, 0);
    writer.join();
    close(fifo);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_EQ(leftovers(w), "");
    EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
    EXPECT_EQ(readFile(w.path("words.txt")), sampleFile("words.txt"));
    const RunResult r = w.run();
    EXPECT_EQ(r.err, "") << "nothing to recover";
  }
  std::signal(SIGPIPE, before);
}

TEST(ImportChange, AnImportWaitsForReadersToFinish) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  putExports(w, 3);
  const int reading = open(w.path("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(flock(reading, LOCK_SH), 0);
  const pid_t import = startProgram(importExe(), {"in.csv"}, w.path(""), Start());
  ASSERT_GT(import, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int status = 0;
  EXPECT_EQ(waitpid(import, &status, WNOHANG), 0) << "it waits for the reader";
  EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
  close(reading);
  EXPECT_EQ(exitStatusOf(import), 0) << readFile(w.path(".stderr"));
  EXPECT_EQ(readFile(w.path(".stderr")), "");
  EXPECT_TRUE(exists(w.path("list.rec.~1~")));
}

// The newest backup of `name` in the folder ("" when none).
std::string newestBackup(const Workdir& w, const std::string& name) {
  std::string newest;
  for (int n = 1; exists(w.path(name + ".~" + std::to_string(n) + "~")); ++n) {
    newest = readFile(w.path(name + ".~" + std::to_string(n) + "~"));
  }
  return newest;
}

// Interrupts imports of two files at random moments (SIGKILL or SIGINT),
// then lets each program in turn look at the folder: each must see both
// files old or both new, and leave no temporary file or journal.
TEST(ImportChange, KilledImportsLeaveBothFilesOldOrBothNew) {
  SKIP_UNDER_RUNNER();
  const int rows = 4000;
  const int runs = std::atoi(envOr("LISTCONV_KILL_RUNS", "9").c_str());
  const NewFiles fresh = newFilesFor(rows);
  // How long one import takes here, measured, so the kills fall within it.
  Workdir timing;
  putSample(timing);
  putExports(timing, rows);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(
      exitStatusOf(startProgram(importExe(), {"in.csv", "words.csv"}, timing.path(""), Start())),
      0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  const unsigned seed = static_cast<unsigned>(std::random_device()());
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> delay(0, took + took / 4);
  const std::vector<Reader> next = readers();
  int states[2] = {0, 0};
  for (int run = 0; run < runs; ++run) {
    const Reader& reader = next[run % next.size()];
    const int signal = run % 2 == 0 ? SIGKILL : SIGINT;
    const long after = delay(random);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", run " + std::to_string(run) + ": signal " +
                 std::to_string(signal) + " after " + std::to_string(after) + " us, then " +
                 reader.name);
    Workdir w;
    putSample(w);
    putExports(w, rows);
    const pid_t import = startProgram(importExe(), {"in.csv", "words.csv"}, w.path(""), Start());
    ASSERT_GT(import, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(after));
    kill(import, signal);
    int status = 0;
    ASSERT_EQ(waitpid(import, &status, 0), import);
    const RunResult r = w.runProgram(reader.exe, reader.args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string state = stateOf(readFile(w.path("list.rec")), readFile(w.path("words.txt")), fresh);
    EXPECT_TRUE(state == "old" || state == "new") << state;
    EXPECT_EQ(leftovers(w), "");
    // A second import, of other exports so that both files change, makes
    // the same backup of both: what it found.
    putExports(w, 1);
    const RunResult again = w.runProgram(importExe(), "in.csv words.csv");
    EXPECT_EQ(again.status, 0) << again.err;
    const std::string seen =
        stateOf(newestBackup(w, "list.rec"), newestBackup(w, "words.txt"), fresh);
    EXPECT_EQ(seen, state);
    ++states[state == "new" ? 1 : 0];
  }
  std::printf("%d interrupted imports: %d left the old files, %d the new ones\n", runs, states[0],
              states[1]);
}

}  // namespace
}  // namespace e2e
