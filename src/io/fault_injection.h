// Failures injected by tests where the file layer calls the system, so that
// every failure branch of the programs runs in a test. Only tests and the
// file layer's own sources include this header; the programs never set it.
#pragma once

#include <cstdint>
#include <string>

// The failures to inject. Once this many more bytes have been read (over all
// files), the next read that would deliver data fails with EIO; once this
// many more bytes have been written, the next write fails with EIO after
// writing what fits; the next opening of an input named `openFailName`
// fails with `openFailError`; the next putting of a replacement in place
// fails with `renameFailError`. Each fires once and then goes back to never.
// The step numbered `commitFailStep` (1 for the first) of committing and
// putting in place a change of the data files (writing its journal, each
// backup, rename and sync, removing the journal) fails with
// `commitFailError`. Negative (or an empty name, or 0) means never.
struct InjectedFaults {
  int64_t readFailAfter = -1;
  int64_t writeFailAfter = -1;
  std::string openFailName;
  int openFailError = 0;
  int renameFailError = 0;
  int commitFailStep = 0;
  int commitFailError = 0;
};

// The failures in force, for the whole program.
extern InjectedFaults gInjectedFaults;

// The error an opening of the input `path` is to fail with, once; 0 for none.
int takeInjectedOpenFailure(const char* path);

// The error the next putting of a replacement in place is to fail with,
// once; 0 for none.
int takeInjectedRenameFailure();

// The error the next step of a change of the data files is to fail with,
// counting the steps down to the one chosen; 0 for none.
int takeInjectedCommitFailure();
