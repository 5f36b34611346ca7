// Reading the data files for the check: each once, with the conversion's own
// readers, noting what the report tells.
#include "formats/data_check.h"

#include <unordered_map>

#include "driver/run.h"
#include "formats/unknown_report.h"
#include "io/input_file.h"
#include "io/platform.h"
#include "records/field_assembly.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

namespace {

// Opens the data file at `path` for the check and looks at its first bytes;
// false, with the state noted, when it is not to be read: a clash, a
// missing file, or one that does not open.
bool openChecked(const DataFiles& files, const char* dataFile, const std::string& path, bool text,
                 InputFile& in, CheckedFile& file, std::vector<FileError>& failures) {
  file.name = path.substr(folderOf(path).size());
  if (const NameClash* clash = clashOver(files, dataFile)) {
    file.state = CheckedState::clash;
    file.problem = clash->message;
    return false;
  }
  if (!openInput(in, path.c_str(), text)) {
    const FileError e = openFailure(path, in.error);
    file.state = failed(e) ? CheckedState::failed : CheckedState::missing;
    if (failed(e)) {
      file.problem = describeFailure(e);
      failures.push_back(e);
    }
    return false;
  }
  file.kind = sniffFileKind(peekBytes(in, kSniffedBytes), text);
  return true;
}

// Closes a data file that the check has read to its end and notes its size
// and whether every read succeeded.
void closeChecked(const std::string& path, InputFile& in, CheckedFile& file,
                  std::vector<FileError>& failures) {
  closeInput(in);
  file.bytes = in.bytesRead;
  const FileError e = readFailure(path, in);
  file.state = failed(e) ? CheckedState::failed : CheckedState::read;
  if (failed(e)) {
    file.problem = describeFailure(e);
    failures.push_back(e);
  }
}

// Notes an entry of words.txt: a repeated key, a code that names no kanji.
struct WordNoter {
  const KanjiTable& kanji;
  WordFileCheck& check;
  std::unordered_map<std::string, int64_t> keyLines;  // the line of each key's first entry

  void note(const ListedWordEntry& e) {
    ++check.entries;
    const auto [first, isNew] = keyLines.emplace(e.entry->key, e.line);
    if (!isNew && check.repeatedKeys++ == 0) {
      check.firstRepeated = WordSighting{e.line, e.entry->key, first->second};
    }
    for (const std::string& code : e.values->codes) {
      if (!lookupKanji(kanji, code).found) {
        if (check.unnamedCodes++ == 0) {
          check.firstUnnamed = WordSighting{e.line, code, 0};
        }
        break;
      }
    }
  }
};

void checkKanjiFile(const DataFiles& files, RunTables& tables, KanjiFileCheck& check,
                    std::vector<FileError>& failures) {
  InputFile in;
  if (openChecked(files, kKanjiFile, files.kanji, false, in, check.file, failures)) {
    loadKanjiTable(in, tables.kanji);
    closeChecked(files.kanji, in, check.file, failures);
  }
}

// Reads words.txt into the dictionary of `tables`, as the conversion loads
// it, noting what the check tells of it.
void checkWordFile(const DataFiles& files, RunTables& tables, WordFileCheck& check,
                   std::vector<FileError>& failures) {
  InputFile in;
  if (!openChecked(files, kWordFile, files.words, true, in, check.file, failures)) {
    return;
  }
  WordNoter noter{tables.kanji, check, {}};
  listWordEntriesIn(
      in, tables.kanji,
      [&](const ListedWordEntry& e) {
        addWordEntry(tables.words, *e.entry);
        noter.note(e);
      },
      &check.lines);
  closeChecked(files.words, in, check.file, failures);
}

// Converts every record of list.rec as the listing does, counting the listed
// ones and what they show as "?".
void checkRecordFile(const DataFiles& files, const RunTables& tables, RecordFileCheck& check,
                     std::vector<FileError>& failures, size_t unknownLimit) {
  InputFile in;
  if (!openChecked(files, kRecordFile, files.records, false, in, check.file, failures)) {
    return;
  }
  RecordWork work;
  UnknownWords unknown;
  UnknownReport report;
  report.limit = unknownLimit;
  check.listed = convertRecords(in, tables, nullptr, work, &unknown,
                                [&] { noteUnknowns(report, work.block.number, unknown); });
  check.unknownWords = static_cast<int64_t>(report.words.size());
  check.unknownCodes = static_cast<int64_t>(report.codes.size());
  check.unknownLeftOut = report.leftOut;
  closeChecked(files.records, in, check.file, failures);
}

}  // namespace

void checkDataFiles(const DataFiles& files, DataCheck& check, std::vector<FileError>& failures,
                    size_t unknownLimit) {
  RunTables tables;
  checkKanjiFile(files, tables, check.kanji, failures);
  checkWordFile(files, tables, check.words, failures);
  checkRecordFile(files, tables, check.records, failures, unknownLimit);
}
