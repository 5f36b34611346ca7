// The run shared by listconv and listconv-export: the data files by name,
// the tables loaded, list.rec opened, and every record converted, one at a
// time, into the values of its block. listconv's own run, from the first
// console line to the summary, is runConversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/folder_lock.h"
#include "io/input_file.h"
#include "io/output_file.h"
#include "io/platform.h"
#include "records/field_assembly.h"
#include "records/listing_writer.h"
#include "records/source_record.h"
#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"

// The names of the data files and of the listing.
const char kKanjiFile[] = "kanjis.dat";
const char kWordFile[] = "words.txt";
const char kRecordFile[] = "list.rec";
const char kListingFile[] = "list.txt";

// The converter's name, which starts its messages.
const char kConverterName[] = "listconv";

// A data file that more than one file of its folder could be, each named
// as it is but in other letter case: which file (kKanjiFile, kWordFile or
// kRecordFile), and the message that names them all.
struct NameClash {
  const char* file;
  std::string message;  // "two files could be list.rec in DIR: LIST.REC and List.rec"
};

// The paths the data files are opened by.
struct DataFiles {
  std::string kanji;    // kanjis.dat
  std::string words;    // words.txt
  std::string records;  // list.rec
  std::vector<NameClash> clashes;
};

// The data files of the folder `dir`; "" for the current folder, where the
// paths are the bare names. Where the folder has no file of a data file's
// exact (lower-case) name, the one whose name differs from it only in the
// letter case of ASCII letters is taken, as Windows takes it, so that files
// from DOS and Windows (LIST.REC) are found. Where two or more such files
// are there, the data file keeps its exact name (a missing file) and a
// clash names them.
DataFiles dataFilesIn(const std::string& dir);

// The two tables of a run: loaded before the first record, only read after.
struct RunTables {
  KanjiTable kanji;
  Dictionary words;
};

// The inputs of a run: the tables, the record file, open when it is there,
// and every failure met in loading the tables and opening the record file,
// in order.
struct RunInputs {
  RunTables tables;
  InputFile records;
  bool haveRecords = false;
  std::vector<FileError> failures;
};

// The data file that `output` is (the file an output writes over or into,
// however it was reached: a link, a hard link, /dev/fd/N), or nullptr:
// writing the output would destroy that input. Taken once the inputs are
// open, so that the record file is known by what was really opened.
const std::string* inputUnderOutput(const FileId& output, const DataFiles& files,
                                    const RunInputs& inputs);

// Which of the data files a run reads: a run that lists only one of them
// leaves the others alone.
struct RunReads {
  bool kanji = true;
  bool words = true;
  bool records = true;
};

// Prints "PROGRAM: MESSAGE" on standard error for every clash of `files`
// among the files that `reads` names; true when there was any.
bool reportNameClashes(const char* program, const DataFiles& files,
                       const RunReads& reads = RunReads());

// Loads the kanji table and the word dictionary from their files, then opens
// the record file, each as `reads` asks. A file that is missing or fails to
// open is taken as empty.
void openRunInputs(const DataFiles& files, RunInputs& inputs, const RunReads& reads = RunReads());

// Closes the record file; when a read of it failed, prints that under
// `program`'s name and returns false.
bool closeRunInputs(const char* program, const DataFiles& files, RunInputs& inputs);

// Prints "PROGRAM: MESSAGE" on standard error for every failure.
void reportFailures(const char* program, const std::vector<FileError>& failures);

// Takes the shared lock on the data folder `dir` ("" for the current one)
// and finishes or undoes an interrupted import there, saying so under the
// name `program`; false (a message printed) when the data files cannot be
// read as one change.
bool openDataFolderOf(const char* program, FolderLock& lock, const std::string& dir);

// The working values of one record on its way from list.rec to its block,
// reused from record to record. A listed record's block refers to `record`.
struct RecordWork {
  RecordBytes bytes;
  SourceRecord record;
  ListingBlock block;
  RenderScratch scratch;
};

// Reads the next record of `in` and works out its block through `tables`:
// the values the listing and every export show. False when the record is not
// listed: nothing more is worked out for it. A listed record takes the next
// `recordCount` as its number. `unknown`, when given, collects what the
// record gave "?" for.
bool convertNextRecord(InputFile& in, const RunTables& tables, RecordWork& work,
                       int64_t& recordCount, UnknownWords* unknown = nullptr);

// Converts the records of `in` one at a time and calls `take()` for each
// listed one, its block in `work.block` (and what it gave "?" for in
// `unknown`, when given), until the end of `in` or a failed write to `out`;
// returns the number of listed records.
template <typename Take>
int64_t convertRecords(InputFile& in, const RunTables& tables, const OutputFile& out,
                       RecordWork& work, UnknownWords* unknown, Take&& take) {
  int64_t recordCount = 0;
  do {
    if (unknown != nullptr) {
      clearUnknownWords(*unknown);
    }
    if (convertNextRecord(in, tables, work, recordCount, unknown)) {
      take();
    }
  } while (!in.atEnd && out.error == 0);
  return recordCount;
}

// Converts the data files of the current folder into list.txt; returns the
// process exit status: 0 on success, 1 when a file could not be read or
// list.txt could not be written.
int runConversion();
