// Programs started by the end-to-end tests with what a shell command cannot
// give them: another user, or a limit of the address space.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

namespace e2e {

// The user and group ids of `nobody`, the second user of the tests that need
// one; false when the system has no such user.
inline bool nobodyIds(uid_t& uid, gid_t& gid) {
  const passwd* pw = getpwnam("nobody");
  if (pw == nullptr) {
    return false;
  }
  uid = pw->pw_uid;
  gid = pw->pw_gid;
  return true;
}

// A copy of the program `exe`, executable by all, in the folder .program of
// `dir`: the build may lie in a private folder (mode 0700, as mktemp -d
// makes) that nobody cannot enter. "" when it cannot be made. The programs
// are linked statically, so the file is all they need.
inline std::string reachableCopy(const std::string& exe, const std::string& dir) {
  const std::string folder = dir + "/.program";
  const std::string copy = folder + "/" + exe.substr(exe.rfind('/') + 1);
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return "";
  }
  std::ifstream in(exe, std::ios::binary);
  std::ofstream out(copy, std::ios::binary | std::ios::trunc);
  if (!in || !(out << in.rdbuf()) || !out.flush()) {
    return "";
  }
  out.close();
  return chmod(folder.c_str(), 0755) == 0 && chmod(copy.c_str(), 0755) == 0 ? copy : "";
}

// How a program is started by startProgram.
struct Start {
  bool asNobody = false;    // as the user nobody (the caller is root)
  rlim_t addressSpace = 0;  // a limit of the address space in bytes; 0 for none
};

// Starts `exe` with `args` in `dir` as `how` says, its standard output and
// error in .stdout and .stderr there; returns its process id, or -1. As
// nobody, a copy of `exe` in `dir` is started (see reachableCopy), so `dir`
// must be one that nobody may enter.
inline pid_t startProgram(const std::string& exe, const std::vector<std::string>& args,
                          const std::string& dir, const Start& how) {
  uid_t uid = 0;
  gid_t gid = 0;
  if (how.asNobody && !nobodyIds(uid, gid)) {
    return -1;
  }
  const std::string program = how.asNobody ? reachableCopy(exe, dir) : exe;
  if (program.empty()) {
    return -1;
  }
  const pid_t child = fork();
  if (child != 0) {
    return child;
  }
  const int out = open((dir + "/.stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const int err = open((dir + "/.stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) != 0) {
    _exit(99);
  }
  if (how.asNobody && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) {
    _exit(97);
  }
  if (how.addressSpace != 0) {
    const rlimit limit{how.addressSpace, how.addressSpace};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
      _exit(96);
    }
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(98);
}

// The exit status of the process `child`, or -1 when it did not exit.
inline int exitStatusOf(pid_t child) {
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) {
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace e2e
