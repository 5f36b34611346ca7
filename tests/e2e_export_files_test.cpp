// End-to-end tests of the files listconv-export writes and reads: every kind
// of -o target, links another user laid, outputs that reach an input, a kill
// in the middle of an export, limits of file size and memory, -C folders that
// are not there, data files that are FIFOs, and titles and folder names as
// Unicode. Those that use Linux facilities (links, FIFOs, devices, signals,
// users, limits) are skipped when the program runs through LISTCONV_RUNNER.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "export_e2e.h"
#include "fixtures.h"
#include "started_program.h"
#include "workdir.h"

namespace {

using e2e::readFile;
using e2e::RunResult;
using e2e::Workdir;
using fixtures::Record;

using e2e::cannot;
using e2e::exitStatusOf;
using e2e::exportExe;
using e2e::nobodyIds;
using e2e::putSample;
using e2e::runExport;
using e2e::sampleFile;
using e2e::Start;
using e2e::startProgram;

// The names in `dir` that start with the temporary files' ".lcx-" or the
// former ".part-"; "" also when there is no such folder.
std::string temporaryFilesIn(const std::string& dir) {
  std::string found;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) {
    return errno == ENOENT ? "" : "(cannot list " + dir + ")";
  }
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.rfind(".lcx-", 0) == 0 || name.find(".part-") != std::string::npos) {
      found += name + " ";
    }
  }
  closedir(d);
  return found;
}

// What is at `path`, not following a link: "file", "link", "fifo", "char
// device", "folder", "none" or "other".
std::string kindAt(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    return "none";
  }
  return S_ISREG(st.st_mode)    ? "file"
         : S_ISLNK(st.st_mode)  ? "link"
         : S_ISFIFO(st.st_mode) ? "fifo"
         : S_ISCHR(st.st_mode)  ? "char device"
         : S_ISDIR(st.st_mode)  ? "folder"
                                : "other";
}

// The permission bits of the file at `path` (links followed), or -1.
int modeAt(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Waits for a file to appear, up to a minute: the bound is only for a file
// that never comes, as a busy machine may take seconds to get there.
bool appears(const std::string& path) {
  for (int i = 0; i < 6000; ++i) {
    if (e2e::exists(path)) {
      return true;
    }
    usleep(10000);
  }
  return false;
}

// One -o target: how it is made, what is asked, and what is there after.
struct Target {
  const char* what;
  const char* prepare;    // run in the folder first
  std::string output;     // the -o argument
  int status;             // the exit status
  const char* kind;       // what `output` is afterwards (not following a link)
  std::string written;    // where the export is to be found ("" for nowhere)
  int mode;               // the mode of `written` (-1: not checked)
  std::string err;        // standard error
  std::string untouched;  // a file that keeps "old" ("" for none)
};

TEST(ExportOutputFiles, EachKindOfOutputIsWrittenAsItShouldBe) {
  SKIP_UNDER_RUNNER();
  Workdir base;
  putSample(base);
  const std::string csv = runExport(base, "").out;
  ASSERT_GT(csv.size(), 1000u);
  const std::string longName(250, 'n');
  const Target targets[] = {
      {"a new name", "umask 027", "new.csv", 0, "file", "new.csv", 0640, "", ""},
      {"a file of mode 600", "echo old >m600 && chmod 600 m600", "m600", 0, "file", "m600", 0600,
       "", ""},
      {"a file of mode 666", "echo old >m666 && chmod 666 m666", "m666", 0, "file", "m666", 0666,
       "", ""},
      {"a symbolic link", "echo old >target.csv && chmod 640 target.csv && ln -s target.csv link",
       "link", 0, "link", "target.csv", 0640, "", ""},
      {"a link into another folder", "mkdir -p sub && echo old >sub/t.csv && ln -s sub/t.csv link2",
       "link2", 0, "link", "sub/t.csv", 0644, "", ""},
      {"a link to a name not there yet", "umask 022 && ln -s made.csv dangling", "dangling", 0,
       "link", "made.csv", 0644, "", ""},
      {"a FIFO with a reader",
       "mkfifo pipe && { cat pipe >from-pipe.tmp && mv from-pipe.tmp from-pipe & }", "pipe", 0,
       "fifo", "from-pipe", -1, "", ""},
      {"a full device", "true", "/dev/full", 1, "char device", "", -1,
       cannot("write", "/dev/full", ENOSPC), ""},
      {"standard output by -", "true", "-", 0, "none", ".stdout", -1, "", ""},
      {"standard output by /dev/stdout", "true", "/dev/stdout", 0, "link", ".stdout", -1, "", ""},
      {"a name of 250 characters", "true", longName, 0, "file", longName, -1, "", ""},
      {"an input", "true", "list.rec", 1, "file", "", -1,
       "listconv-export: will not write over list.rec: it is an input\n", ""},
      {"a folder", "mkdir -p folder", "folder", 1, "folder", "", -1,
       cannot("write", "folder", EISDIR), ""},
      {"a name in a missing folder", "echo old >old", "missing/out", 1, "none", "", -1,
       cannot("create", "missing/out", ENOENT), "old"},
  };
  for (const Target& t : targets) {
    SCOPED_TRACE(t.what);
    Workdir w;
    putSample(w);
    const RunResult r = runExport(w, "-o '" + t.output + "'", t.prepare);
    EXPECT_EQ(r.status, t.status);
    EXPECT_EQ(r.err, t.err);
    const std::string at = t.output[0] == '/' ? t.output : w.path(t.output);
    EXPECT_EQ(kindAt(at), t.kind);
    if (!t.written.empty()) {
      const std::string written = w.path(t.written);
      ASSERT_TRUE(appears(written));
      EXPECT_EQ(readFile(written), csv);
      if (t.mode >= 0) {
        EXPECT_EQ(modeAt(written), t.mode) << std::oct << modeAt(written);
      }
    }
    if (!t.untouched.empty()) {
      EXPECT_EQ(readFile(w.path(t.untouched)), "old\n");
    }
    EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
    EXPECT_EQ(temporaryFilesIn(w.path("")), "");
    EXPECT_EQ(temporaryFilesIn(w.path("sub")), "");
  }
}

TEST(ExportOutputFiles, ACharacterDeviceIsWrittenInPlace) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  // A node of /dev/null's numbers, where this test may make one and open it.
  const std::string node = w.path("null-device");
  if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "mknod: " << std::strerror(errno);
  }
  const int fd = open(node.c_str(), O_WRONLY);
  if (fd < 0) {
    GTEST_SKIP() << "the folder's file system opens no devices: " << std::strerror(errno);
  }
  close(fd);
  const RunResult r = runExport(w, "-o null-device");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(kindAt(node), "char device");
  EXPECT_EQ(temporaryFilesIn(w.path("")), "");
}

TEST(ExportOutputFiles, AReadOnlyFileIsNotReplaced) {
  SKIP_UNDER_RUNNER();
  if (geteuid() == 0) {
    GTEST_SKIP() << "running as root: every file may be written";
  }
  Workdir w;
  putSample(w);
  const RunResult r = runExport(w, "-o ro", "echo old >ro && chmod 444 ro");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, cannot("write", "ro", EACCES));
  EXPECT_EQ(readFile(w.path("ro")), "old\n");
  EXPECT_EQ(temporaryFilesIn(w.path("")), "");
}

TEST(ExportOutputFiles, AKilledExportLeavesNoTemporaryFileAndTheOldFileWhole) {
  SKIP_UNDER_RUNNER();
  std::string records;
  for (int i = 0; i < 3000; ++i) {
    records += Record()
                   .set(fixtures::kEntryId, "ID" + std::to_string(i))
                   .set(fixtures::kNote, std::string(100, 'n'));
  }
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    Workdir w;
    w.put("out.csv", "old\n");
    // list.rec is a FIFO that this test writes: the export waits in the
    // middle of its records, its temporary file there, until it is killed.
    ASSERT_EQ(mkfifo(w.path("list.rec").c_str(), 0644), 0);
    const pid_t child = fork();
    if (child == 0) {
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGHUP, SIG_DFL);
      const int err = open(w.path(".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err < 0 || chdir(w.path("").c_str()) != 0 || dup2(err, 2) < 0) {
        _exit(99);
      }
      execl(exportExe().c_str(), exportExe().c_str(), "-o", "out.csv", static_cast<char*>(nullptr));
      _exit(98);
    }
    ASSERT_GT(child, 0);
    const int fifo = open(w.path("list.rec").c_str(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    ASSERT_EQ(write(fifo, records.data(), records.size()), static_cast<ssize_t>(records.size()));
    bool tempThere = false;
    // Up to a minute, for a busy machine; it ends as soon as the file is there.
    for (int i = 0; i < 6000 && !tempThere; ++i) {
      tempThere = !temporaryFilesIn(w.path("")).empty();
      usleep(10000);
    }
    EXPECT_TRUE(tempThere);
    usleep(100000);  // let it take in what was written
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(fifo);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(temporaryFilesIn(w.path("")), "");
    EXPECT_EQ(readFile(w.path("out.csv")), "old\n");
  }
}

// A link laid in a shared sticky folder (such as /tmp) by one user is not
// followed by another, as the kernel's fs.protected_symlinks rule has it:
// otherwise the first could make the second's export replace any file the
// second may write. The rule holds whether or not the kernel's own switch is
// on, as the export follows links itself.
TEST(ExportOutputFiles, ALinkInASharedStickyFolderIsFollowedOnlyAsTheKernelWould) {
  SKIP_UNDER_RUNNER();
  uid_t nobody = 0;
  gid_t nogroup = 0;
  if (geteuid() != 0 || !nobodyIds(nobody, nogroup)) {
    GTEST_SKIP() << "a link of another user is made by root alone, with a user nobody";
  }
  struct Case {
    const char* what;
    mode_t folderMode;
    bool folderNobodys;  // else root's
    bool linkNobodys;    // else root's, the user's own
    bool dangling;       // the link leads to a name not there yet
    bool followed;
  };
  const Case cases[] = {
      {"another user's link in root's sticky folder", 01777, false, true, false, false},
      {"another user's dangling link there", 01777, false, true, true, false},
      {"the user's own link there", 01777, true, false, false, true},
      {"a link of the sticky folder's owner", 01777, true, true, false, true},
      {"another user's link in a folder without the sticky bit", 0777, false, true, false, true},
      {"another user's link in a sticky folder not all may write", 01755, false, true, false, true},
  };
  Workdir base;
  putSample(base);
  const std::string csv = runExport(base, "").out;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workdir w;
    putSample(w);
    w.put("private", "old\n");
    const std::string shared = w.path("shared");
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), c.folderMode), 0);
    ASSERT_EQ(chown(shared.c_str(), c.folderNobodys ? nobody : 0, 0), 0);
    const std::string link = shared + "/out.csv";
    ASSERT_EQ(symlink(c.dangling ? "../made" : "../private", link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), c.linkNobodys ? nobody : 0, 0), 0);

    const RunResult r = runExport(w, "-o shared/out.csv");
    const std::string written = w.path(c.dangling ? "made" : "private");
    if (c.followed) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(readFile(written), csv);
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, cannot("write", "shared/out.csv", EACCES));
      EXPECT_EQ(readFile(w.path("private")), "old\n");
      EXPECT_FALSE(e2e::exists(w.path("made")));
    }
    EXPECT_EQ(kindAt(link), "link");
    EXPECT_EQ(temporaryFilesIn(w.path("")), "");
    EXPECT_EQ(temporaryFilesIn(shared), "");
  }
}

// list.rec is open as descriptor 3 while the export is written (the shell
// is made to leave 3 free): an output that reaches it through that
// descriptor is refused as list.rec itself is, and nothing is written to it.
TEST(ExportOutputFiles, AnOutputThatReachesAnOpenInputThroughItsDescriptorIsRefused) {
  SKIP_UNDER_RUNNER();
  const char* outputs[] = {"/dev/fd/3", "/proc/self/fd/3", "fd-link"};
  for (const char* output : outputs) {
    for (const char* format : {"csv", "jsonl"}) {
      SCOPED_TRACE(std::string(output) + " " + format);
      Workdir w;
      putSample(w);
      const RunResult r =
          runExport(w, std::string("--format ") + format + " -o " + output,
                    "ln -s /proc/self/fd/3 fd-link && exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-");
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, std::string("listconv-export: will not write over ") + output +
                           ": it is the input list.rec\n");
      EXPECT_EQ(readFile(w.path("list.rec")), sampleFile("list.rec"));
      EXPECT_EQ(temporaryFilesIn(w.path("")), "");
    }
  }
}

// A shell may append standard output to a data file: the export would read
// what it writes, list.rec without end. That is refused, and nothing written.
TEST(ExportOutputFiles, AStandardOutputThatIsAnInputIsRefused) {
  for (const char* input : {"list.rec", "words.txt", "kanjis.dat"}) {
    SCOPED_TRACE(input);
    Workdir w;
    putSample(w);
    const std::string cmd = "cd '" + w.path("") + "' && " + e2e::envOr("LISTCONV_RUNNER", "") +
                            " '" + exportExe() + "' --format jsonl >>" + input +
                            " 2>.stderr </dev/null";
    const int raw = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(e2e::withoutCr(readFile(w.path(".stderr"))),
              std::string("listconv-export: will not write to standard output: it is the input ") +
                  input + "\n");
    EXPECT_EQ(readFile(w.path(input)), sampleFile(input));
  }
}

// The replacement of a file the user may write is made in the file's
// folder: a folder the user may not write is named as the reason, not the
// file. Root may write every folder, so root runs the export as nobody.
TEST(ExportOutputFiles, AFolderThatRefusesTheReplacementIsNamedAsTheReason) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  ASSERT_EQ(mkdir(w.path("ro").c_str(), 0755), 0);
  w.put("ro/out.csv", "old\n");
  const bool root = geteuid() == 0;
  uid_t nobody = 0;
  gid_t nogroup = 0;
  if (root && !nobodyIds(nobody, nogroup)) {
    GTEST_SKIP() << "running as root without a user nobody: every folder may be written";
  }
  if (root) {
    // nobody may enter the test's folder, read the data and write the file.
    ASSERT_EQ(chmod(w.path("").c_str(), 0755), 0);
    ASSERT_EQ(chown(w.path("ro/out.csv").c_str(), nobody, nogroup), 0);
  } else {
    ASSERT_EQ(chmod(w.path("ro").c_str(), 0555), 0);
  }
  Start how;
  how.asNobody = root;
  const int status =
      exitStatusOf(startProgram(e2e::exportExe(), {"-o", "ro/out.csv"}, w.path(""), how));
  chmod(w.path("ro").c_str(), 0755);  // so that the folder can be removed
  EXPECT_EQ(status, 1);
  EXPECT_EQ(readFile(w.path(".stderr")), cannot("create a file in", "ro", EACCES));
  EXPECT_EQ(readFile(w.path("ro/out.csv")), "old\n");
  EXPECT_EQ(temporaryFilesIn(w.path("ro")), "");
}

// A limit of the file size (ulimit -f) makes a write fail as a full disk
// does, instead of ending the export by a signal with its temporary file
// left behind.
TEST(ExportOutputFiles, AFileSizeLimitIsAFailedWriteThatLeavesTheOldFile) {
  SKIP_UNDER_RUNNER();
  for (const char* format : {"csv", "html"}) {
    SCOPED_TRACE(format);
    Workdir w;
    putSample(w);
    w.put("out", "old\n");
    ASSERT_GT(runExport(w, std::string("--format ") + format).out.size(), 2048u);
    const RunResult r = runExport(w, std::string("--format ") + format + " -o out", "ulimit -f 2");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, cannot("write", "out", EFBIG));
    EXPECT_EQ(readFile(w.path("out")), "old\n");
    EXPECT_EQ(temporaryFilesIn(w.path("")), "");
  }
}

// An export that runs out of memory says so and fails, leaving the old file
// and no temporary file. The dictionary grows with every new entry:
// words.txt is a FIFO fed with new words until the export, held to a small
// address space, runs out.
TEST(ExportOutputFiles, RunningOutOfMemoryIsAMessageAndLeavesTheOldFile) {
  SKIP_UNDER_RUNNER();
  const rlim_t kLimit = rlim_t{96} << 20;
  Workdir w;
  Start how;
  how.addressSpace = kLimit;
  if (exitStatusOf(startProgram(e2e::exportExe(), {"--version"}, w.path(""), how)) != 0) {
    GTEST_SKIP() << "the program does not start in " << (kLimit >> 20)
                 << " MiB of address space (a sanitizer build?)";
  }
  w.put("out.csv", "old\n");
  ASSERT_EQ(mkfifo(w.path("words.txt").c_str(), 0644), 0);
  const pid_t child =
      startProgram(e2e::exportExe(), {"--format", "unknown", "-o", "out.csv"}, w.path(""), how);
  ASSERT_GT(child, 0);
  const int fifo = open(w.path("words.txt").c_str(), O_WRONLY);
  ASSERT_GE(fifo, 0);
  const auto oldPipeSignal = std::signal(SIGPIPE, SIG_IGN);
  uint64_t word = 0;
  bool ended = false;  // the reader has gone
  // The dictionary keeps every entry: it grows with every new word.
  for (; word < 20000000 && !ended; word += 100) {
    std::string lines;
    for (uint64_t i = word; i < word + 100; ++i) {
      lines += "W" + std::to_string(1000000000 + i) + " kanji 600 601 602\r\n";
    }
    ended = write(fifo, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size());
  }
  close(fifo);
  std::signal(SIGPIPE, oldPipeSignal);
  // A bound on the data fed, not on time: the export must stop reading.
  EXPECT_TRUE(ended) << "the export read " << word << " words without running out of memory";
  EXPECT_EQ(exitStatusOf(child), 1);
  EXPECT_EQ(readFile(w.path(".stderr")), "listconv-export: out of memory\n");
  EXPECT_EQ(readFile(w.path("out.csv")), "old\n");
  EXPECT_EQ(temporaryFilesIn(w.path("")), "");
}

// The report of unknowns and the check keep a bounded memory on endless
// input (/dev/urandom as list.rec), where nearly every record shows new
// words: list.rec is a FIFO fed with far more new words than the small
// address space could hold, and both exports end, saying where they stopped
// counting. (The limit itself is tried in the unit tests.)
TEST(ExportOutputFiles, UnknownWordsWithoutEndKeepTheMemoryBounded) {
  SKIP_UNDER_RUNNER();
  const rlim_t kLimit = rlim_t{96} << 20;
  const int kRecords = 250000;
  const int64_t kWordsPerRecord = 10;  // 2.5 million words, about 200 MiB as a report
  Start how;
  how.addressSpace = kLimit;
  const int64_t leftOut = kRecords * kWordsPerRecord - 100000;
  const struct {
    const char* format;
    std::string err;
    std::string outEnd;
  } cases[] = {
      {"unknown",
       "listconv-export: the report lists the first 100000 words and codes that show as ?; "
       "others show as ? " +
           std::to_string(leftOut) + " more times\n",
       "\r\n"},
      {"check", "",
       "unknown words and codes: at least 100000 words and 0 codes show as ?; listconv-export "
       "--format unknown lists them\n  the count stopped at 100000 words and codes: others show "
       "as ? " +
           std::to_string(leftOut) + " more times\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    Workdir w;
    if (exitStatusOf(startProgram(e2e::exportExe(), {"--version"}, w.path(""), how)) != 0) {
      GTEST_SKIP() << "the program does not start in " << (kLimit >> 20)
                   << " MiB of address space (a sanitizer build?)";
    }
    ASSERT_EQ(mkfifo(w.path("list.rec").c_str(), 0644), 0);
    const pid_t child =
        startProgram(e2e::exportExe(), {"--format", c.format, "-o", "out"}, w.path(""), how);
    ASSERT_GT(child, 0);
    const int fifo = open(w.path("list.rec").c_str(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    const auto oldPipeSignal = std::signal(SIGPIPE, SIG_IGN);
    uint64_t word = 0;
    bool ended = false;  // the reader has gone
    for (int record = 0; record < kRecords && !ended; ++record) {
      std::string text;
      for (int i = 0; i < kWordsPerRecord; ++i) {
        text += "w" + std::to_string(1000000000 + word++) + " ";
      }
      const std::string bytes =
          Record().set(fixtures::kEntryId, "A").set(fixtures::kWordText, text);
      ended = write(fifo, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size());
    }
    close(fifo);
    std::signal(SIGPIPE, oldPipeSignal);
    EXPECT_FALSE(ended) << "the export stopped reading after " << word << " words";
    EXPECT_EQ(exitStatusOf(child), 0);
    EXPECT_EQ(readFile(w.path(".stderr")), c.err);
    const std::string out = readFile(w.path("out"));
    ASSERT_GE(out.size(), c.outEnd.size());
    EXPECT_EQ(out.substr(out.size() - c.outEnd.size()), c.outEnd);
    if (std::string(c.format) == "unknown") {
      EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 100001) << "a header and 100000 rows";
    }
  }
}

TEST(ExportOutputFiles, AFolderThatIsNotThereOrHasNoRecordsIsAnError) {
  SKIP_UNDER_RUNNER();
  struct Case {
    const char* prepare;
    const char* dir;
    std::string err;
  };
  const Case cases[] = {
      {"true", "missing", cannot("use", "missing", ENOENT)},
      {"true", "kanjis.dat", cannot("use", "kanjis.dat", ENOTDIR)},
      {"mkdir -p empty", "empty", "listconv-export: no list.rec in empty\n"},
      {"mkdir -p some && cp kanjis.dat words.txt some/", "some",
       "listconv-export: no list.rec in some\n"},
      {"mkdir -p dangling && ln -s gone dangling/list.rec", "dangling",
       "listconv-export: no list.rec in dangling\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    for (const char* format : {"csv", "html"}) {
      SCOPED_TRACE(format);
      Workdir w;
      putSample(w);
      w.put("out", "old");
      const RunResult r =
          runExport(w, std::string("--format ") + format + " -C " + c.dir + " -o out", c.prepare);
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, c.err);
      EXPECT_EQ(readFile(w.path("out")), "old");
      EXPECT_EQ(temporaryFilesIn(w.path("")), "");
      // To standard output: nothing at all.
      const RunResult toConsole = runExport(w, std::string("-C ") + c.dir);
      EXPECT_EQ(toConsole.status, 1);
      EXPECT_EQ(toConsole.out, "");
    }
  }
}

TEST(ExportOutputFiles, EveryFormatReadsDataFilesThatAreFifos) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  // Each data file can be read once only: a FIFO fed by cat.
  const std::string feed =
      "for f in kanjis.dat words.txt list.rec; do mv $f $f.data && mkfifo $f && "
      "{ cat $f.data >$f & }; done";
  for (const char* format : {"html", "csv", "unknown", "check"}) {
    SCOPED_TRACE(format);
    const std::string args = std::string("--format ") + format;
    const RunResult want = runExport(w, args);
    const RunResult r = runExport(w, args + " -o out", "rm -f *.data && " + feed);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(w.path("out")), want.out);
    runExport(w, "--version",
              "for f in kanjis.dat words.txt list.rec; do rm $f && mv $f.data $f; done");
  }
}

TEST(ExportOutputFiles, ATitleThatIsNotUtf8IsAUsageError) {
  SKIP_UNDER_RUNNER();
  Workdir w;
  putSample(w);
  for (const char* bytes : {"\\377", "caf\\351", "\\355\\240\\200", "\\300\\257", "\\343\\201"}) {
    SCOPED_TRACE(bytes);
    const RunResult r = runExport(
        w, std::string("--format html -o page.html --title \"$(printf '") + bytes + "')\"");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "listconv-export: --title is not valid UTF-8");
    EXPECT_FALSE(e2e::exists(w.path("page.html")));
  }
}

// Runs on Windows too (under Wine): a title and a folder that the ANSI code
// page cannot hold reach the page and the file system as they are.
TEST(ExportEndToEnd, ATitleAndFolderOutsideTheAnsiCodePageAreKept) {
  Workdir w;
  const std::string folder = "\xE5\x88\x80\xE5\x89\xA3 caf\xC3\xA9";  // 刀剣 café
  const std::string title =
      "\xE5\x88\x80\xE5\x89\xA3\xE7\x9B\xAE\xE9\x8C\xB2 caf\xC3\xA9";  // 刀剣目録 café
  const std::string page = "\xE7\x9B\xAE\xE9\x8C\xB2.html";            // 目録.html
  ASSERT_EQ(mkdir(w.path(folder).c_str(), 0755), 0);
  putSample(w, folder + "/");
  const RunResult r = runExport(w, "--format html -C '" + folder + "' --title '" + title +
                                       "' -o '" + folder + "/" + page + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string html = readFile(w.path(folder + "/" + page));
  EXPECT_NE(html.find("<title>" + title + "</title>"), std::string::npos);
  EXPECT_NE(html.find("<h1>" + title + "</h1>"), std::string::npos);
  EXPECT_NE(html.find("from kanjis.dat, words.txt, list.rec</p>"), std::string::npos);
  EXPECT_NE(html.find("\"A-0001\""), std::string::npos);
}

}  // namespace
