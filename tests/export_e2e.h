// What the end-to-end tests of listconv-export and listconv-import share: the
// programs, how they are run, and the sample data put into a test's folder.
#pragma once

#include <cstdlib>
#include <string>

#include "fixtures.h"
#include "workdir.h"

namespace e2e {

// The listconv-export under test.
inline std::string exportExe() {
  return envOr("LISTCONV_EXPORT_EXE", LISTCONV_EXPORT_EXE_DEFAULT);
}

// Runs listconv-export in the folder with `args`; standard error with the
// console's CR LF taken as LF.
inline RunResult runExport(const Workdir& w, const std::string& args,
                           const std::string& prepare = "") {
  RunResult r = w.runProgram(exportExe(), args, prepare);
  if (std::getenv("LISTCONV_CONSOLE_CRLF") != nullptr) {
    r.err = withoutCr(r.err);
  }
  return r;
}

// The listconv-import under test.
inline std::string importExe() {
  return envOr("LISTCONV_IMPORT_EXE", LISTCONV_IMPORT_EXE_DEFAULT);
}

// Runs listconv-import in the folder with `args`; both outputs with the
// console's CR LF taken as LF.
inline RunResult runImport(const Workdir& w, const std::string& args) {
  RunResult r = w.runProgram(importExe(), args);
  if (std::getenv("LISTCONV_CONSOLE_CRLF") != nullptr) {
    r.err = withoutCr(r.err);
    r.out = withoutCr(r.out);
  }
  return r;
}

// A file of the bundled sample.
inline std::string sampleFile(const std::string& name) {
  return readFile(std::string(LISTCONV_SAMPLE_DIR) + "/" + name);
}

// Puts the sample's three data files into `folder` (ending in "/") of the
// test's folder, or into the test's folder itself.
inline void putSample(const Workdir& w, const std::string& folder = "") {
  for (const char* name : {"kanjis.dat", "words.txt", "list.rec"}) {
    w.put(folder + name, sampleFile(name));
  }
}

// "listconv-export: cannot WHAT FILE: reason".
inline std::string cannot(const std::string& what, const std::string& file, int error) {
  return fixtures::cannot("listconv-export", what, file, error);
}

}  // namespace e2e
