// One writer at a time in a folder of data files: an advisory lock that the
// three programs take on the folder, exclusive to write (or to finish an
// interrupted change), shared to read.
#pragma once

#include <string>

void unlockFolder(struct FolderLock& lock);

// A lock held on a folder; `handle` is the system's (-1 when none). The
// lock goes when it goes out of scope, so that no return path keeps it.
struct FolderLock {
  long long handle = -1;
  bool exclusive = false;
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() { unlockFolder(*this); }
};

// lockFolder's value when another program holds the lock and `wait` is
// false (no errno has this value).
const int kFolderLockHeld = -1;

// Locks the folder `dir` ("" for the current one): exclusive or shared,
// waiting for another program's lock to go when `wait`. A lock already held
// by `lock` is changed to the kind asked for. 0 when locked; kFolderLockHeld
// when another holds it and `wait` is false; else the system's reason
// (ENOLCK or EOPNOTSUPP where the file system has no locks).
int lockFolder(FolderLock& lock, const std::string& dir, bool exclusive, bool wait);

// True for a reason of lockFolder that says only that the file system
// offers no locks, so that a program may go on without one.
bool locksUnsupported(int reason);

// Lets the lock go (nothing when none is held).
void unlockFolder(FolderLock& lock);
