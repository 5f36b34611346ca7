// Lines of words.txt written so that the dictionary's reader takes each one
// whole and gives back exactly the entry it was written for.
#pragma once

#include <string>

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
