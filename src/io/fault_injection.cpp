// The failures tests inject into the file layer.
#include "io/fault_injection.h"

InjectedFaults gInjectedFaults;

int takeInjectedOpenFailure(const char* path) {
  if (gInjectedFaults.openFailName.empty() || gInjectedFaults.openFailName != path) {
    return 0;
  }
  gInjectedFaults.openFailName.clear();
  return gInjectedFaults.openFailError;
}

int takeInjectedRenameFailure() {
  const int error = gInjectedFaults.renameFailError;
  gInjectedFaults.renameFailError = 0;
  return error;
}

int takeInjectedCommitFailure() {
  if (gInjectedFaults.commitFailStep <= 0 || --gInjectedFaults.commitFailStep > 0) {
    return 0;
  }
  return gInjectedFaults.commitFailError;
}
