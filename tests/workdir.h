// Runs the real listconv in a private folder, for the end-to-end tests.
//
// LISTCONV_EXE names the program to test (default: this build's), and
// LISTCONV_RUNNER a command to start it with (such as wine). When
// LISTCONV_CONSOLE_CRLF is set, console output is compared with every CR LF
// taken as LF, the console convention of that platform.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace e2e {

// The value of an environment variable, or `fallback` when it is unset or empty.
inline std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? v : fallback;
}

// True when the program runs through LISTCONV_RUNNER (another platform's build).
inline bool runsThroughRunner() {
  return !envOr("LISTCONV_RUNNER", "").empty();
}

// Skips a test that provokes its faults with Linux facilities when the
// program runs through LISTCONV_RUNNER.
#define SKIP_UNDER_RUNNER()                                           \
  if (e2e::runsThroughRunner()) {                                     \
    GTEST_SKIP() << "faults are provoked with Linux facilities only"; \
  }

// The whole content of a file, or "" when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Creates or replaces a file with the given bytes.
inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// True when something exists at `path` (a dangling symlink counts).
inline bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The text with every CR LF taken as LF.
inline std::string withoutCr(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) {
      out += s[i];
    }
  }
  return out;
}

// What one run of the program left behind.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
  std::string listing;         // list.txt, when it is a regular file
  bool listingExists = false;  // anything named list.txt is there
  bool listingIsFile = false;  // list.txt is (or leads to) a regular file
};

// A private folder in which the program runs; removed with everything in it.
class Workdir {
 public:
  Workdir() {
    char tmpl[] = "/tmp/listconv-e2e-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  ~Workdir() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  Workdir(const Workdir&) = delete;
  Workdir& operator=(const Workdir&) = delete;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    writeFile(path(name), bytes);
  }

  // Runs the program in the folder with `args`. `prepare`, when given, is a
  // shell command run in the folder just before the program starts.
  RunResult run(const std::string& args = "", const std::string& prepare = "") const {
    RunResult r = runProgram(envOr("LISTCONV_EXE", LISTCONV_EXE_DEFAULT), args, prepare);
    if (std::getenv("LISTCONV_CONSOLE_CRLF") != nullptr) {
      r.out = withoutCr(r.out);
    }
    return r;
  }

  // Runs the program `exe` (through LISTCONV_RUNNER, when set) as run() does,
  // its standard output kept exactly as written.
  RunResult runProgram(const std::string& exe, const std::string& args,
                       const std::string& prepare = "") const {
    const std::string runner = envOr("LISTCONV_RUNNER", "");
    const std::string before = prepare.empty() ? "" : prepare + " && ";
    const std::string cmd = "cd '" + dir_ + "' && " + before + runner + " '" + exe + "' " + args +
                            " >'" + path(".stdout") + "' 2>'" + path(".stderr") + "' </dev/null";
    RunResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(path(".stdout"));
    r.err = readFile(path(".stderr"));
    const std::string listing = path("list.txt");
    r.listingExists = exists(listing);
    struct stat st;
    // Only a regular file is read: list.txt may lead to a device such as /dev/full.
    r.listingIsFile = stat(listing.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (r.listingIsFile) {
      r.listing = readFile(listing);
    }
    return r;
  }

 private:
  std::string dir_;
};

// Runs `exe` in `dir` with its standard output a pipe whose reader has
// already gone and its standard error in `errPath`, as a shell starts it (the
// pipe signal at its default); returns the raw wait status, or -1.
inline int runIntoClosedPipe(const std::string& exe, const std::string& dir,
                             const std::string& errPath) {
  int fds[2];
  if (pipe(fds) != 0) {
    return -1;
  }
  close(fds[0]);  // nobody will ever read
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGPIPE, SIG_DFL);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || chdir(dir.c_str()) != 0 || dup2(fds[1], 1) < 0 || dup2(err, 2) < 0) {
      _exit(99);
    }
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(98);
  }
  close(fds[1]);
  int status = -1;
  if (child < 0 || waitpid(child, &status, 0) != child) {
    return -1;
  }
  return status;
}

}  // namespace e2e
