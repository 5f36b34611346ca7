// Finding the data files of a folder, and the clashes of their names.
#include "driver/data_files.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "io/data_folder.h"
#include "io/file_error.h"
#include "textutil/core.h"

namespace {

// True when both names are equal once a-z are taken as A-Z.
bool sameButForCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), charEqualsIgnoreCase);
}

// "two files could be NAME in DIR: A and B" (three or more: "3 files ...:
// A, B and C"), the candidates in byte order.
std::string clashMessage(const char* name, const std::string& dir,
                         std::vector<std::string> candidates) {
  std::sort(candidates.begin(), candidates.end());
  std::string message =
      candidates.size() == 2 ? std::string("two") : std::to_string(candidates.size());
  message += " files could be ";
  message += name;
  message += dir.empty() ? "" : " in " + dir;
  message += ": ";
  for (size_t i = 0; i < candidates.size(); ++i) {
    message += i == 0 ? "" : i + 1 == candidates.size() ? " and " : ", ";
    message += candidates[i];
  }
  return message;
}

// The name the data file `name` has in a folder of the names `names`: its
// own when it is there, else the only one that differs from it in letter
// case; its own, and a clash in `files`, when several do.
std::string nameInFolder(const char* name, const std::string& dir,
                         const std::vector<std::string>& names, DataFiles& files) {
  std::vector<std::string> candidates;
  for (const std::string& other : names) {
    if (other == name) {
      return other;
    }
    if (sameButForCase(other, name)) {
      candidates.push_back(other);
    }
  }
  if (candidates.size() == 1) {
    return candidates.front();
  }
  if (candidates.size() > 1) {
    files.clashes.push_back(NameClash{name, clashMessage(name, dir, candidates)});
  }
  return name;
}

}  // namespace

DataFiles dataFilesIn(const std::string& dir) {
  DataFiles files;
  std::vector<std::string> names;
  const bool listed = namesToMatchIn(dir, names);
  const auto path = [&](const char* name) {
    const std::string found = listed ? nameInFolder(name, dir, names, files) : name;
    return dir.empty() ? found : pathInFolder(dir, found);
  };
  files.kanji = path(kKanjiFile);
  files.words = path(kWordFile);
  files.records = path(kRecordFile);
  return files;
}

const NameClash* clashOver(const DataFiles& files, const char* dataFile) {
  for (const NameClash& clash : files.clashes) {
    if (std::string_view(clash.file) == dataFile) {
      return &clash;
    }
  }
  return nullptr;
}

bool reportNameClashes(const char* program, const DataFiles& files, const RunReads& reads) {
  bool any = false;
  for (const NameClash& clash : files.clashes) {
    const std::string_view file = clash.file;
    if ((file == kKanjiFile && reads.kanji) || (file == kWordFile && reads.words) ||
        (file == kRecordFile && reads.records)) {
      std::fprintf(stderr, "%s: %s\n", program, clash.message.c_str());
      any = true;
    }
  }
  return any;
}

const std::string* inputUnderOutput(const FileId& output, const DataFiles& files,
                                    const InputFile& records) {
  const FileId opened = records.file != nullptr ? fileIdOf(records.file) : fileIdAt(files.records);
  if (sameFile(output, opened)) {
    return &files.records;
  }
  for (const std::string* input : {&files.words, &files.kanji}) {
    if (sameFile(output, fileIdAt(*input))) {
      return input;
    }
  }
  return nullptr;
}

bool dataFolderIsThere(const char* program, const std::string& dir) {
  const FileError e = dir.empty() ? FileError() : folderFailure(dir);
  if (failed(e)) {
    reportFailures(program, {e});
  }
  return !failed(e);
}

bool openDataFolderOf(const char* program, FolderLock& lock, const std::string& dir) {
  std::string said;
  const FileError e = openDataFolderToRead(lock, dir, dir.empty() ? "." : dir, said);
  if (!said.empty()) {
    std::fprintf(stderr, "%s: %s\n", program, said.c_str());
  }
  if (failed(e)) {
    reportFailures(program, {e});
  }
  return !failed(e);
}
