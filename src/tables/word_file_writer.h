// Lines of words.txt written so that the dictionary's reader takes each one
// whole and gives back exactly the entry it was written for.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/word_dictionary.h"

// A words.txt being written: what the reader holds after the lines written
// so far (a line without a word or codes takes those of the latest line that
// had them), and scratch space.
struct WordFileWriter {
  WordLine working;
  WordLine readBack;
  std::string group;
};

// The part of an entry that keeps it off a line.
enum class WordPart { none, key, word, codes, line };

// Why no line can hold an entry: the part at fault and the reason, or
// part none and no reason.
struct WordLineFault {
  WordPart part = WordPart::none;
  const char* reason = nullptr;
};

// Sets `line` to the line (without its line end) that reads back as
// `entry` after the lines written so far: "KEY WORD CODE CODE ...", one
// blank between, without the codes, or the word and the codes, where the
// reader takes them over from the line before; and takes it as written. Returns no fault on
// success, or, with nothing taken, why no line can hold the entry: a key or word that the reader
// would split or change, a byte that ends or cuts the reader's line, a line longer than the reader
// takes at a time, or a missing word or codes that the reader would fill in from the line before.
WordLineFault writeWordLine(WordFileWriter& writer, const WordLine& entry, std::string& line);

// What the writers of words.txt end a line with.
extern const char kWordLineEnd[];

// Ends the last line of the words.txt bytes `bytes` where it has no line
// end, so that what follows starts a line of its own instead of running
// into it.
void endOpenWordLine(std::string& bytes);

// A words.txt as it is stored: every line's bytes, its line end included (a
// last line may have none), and the bytes from the first 0x1A on, where the
// reader's file ends.
struct StoredWordFile {
  std::vector<std::string> lines;
  std::string tail;
};

// Splits the bytes of a words.txt into its lines, as the reader counts them.
void splitWordFile(std::string_view bytes, StoredWordFile& file);

// Reads one stored line (its line end included when it has one) as the
// dictionary's reader does, a CR before its LF dropped and the rest taken in
// pieces of at most kWordLinePieceMax bytes, into `working`; calls `take`
// with the values after every piece that gives an entry.
void readStoredWordLine(std::string_view bytes, WordLine& working, std::string& group,
                        const std::function<void(const WordLine&)>& take);

// Takes the stored line `bytes` as it stands when the reader, after the
// lines written so far, gets exactly the entries `meant` from it; false,
// with nothing taken, when it would get others.
bool keepWordLine(WordFileWriter& writer, std::string_view bytes,
                  const std::vector<WordLine>& meant);
