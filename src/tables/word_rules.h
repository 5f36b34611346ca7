// What an entry written to words.txt must be for the dictionary to give it
// back: a key the look-up can find, codes that name kanji. (What no line can
// hold, a zero byte among them, writeWordLine refuses.)
// The import and the page refuse an entry by these rules before writing it.
#pragma once

#include <cstddef>
#include <string_view>

#include "tables/kanji_table.h"
#include "tables/word_dictionary.h"
#include "tables/word_file_writer.h"

// The length of the CP932 character that starts with the byte `lead`: 2
// for a lead byte of a two-byte character, else 1.
size_t cp932CharLength(unsigned char lead);

// Why a look-up can never find `key` (stored bytes), or nullptr. Words are
// looked up upper-cased byte by byte, their commas made blanks and their
// "..." removed, so a key holding any of these is never equal to one.
const char* unfindableKey(std::string_view key);

// Why the code token `code` names no kanji of `kanji`, or nullptr.
const char* codeWithoutKanji(const KanjiTable& kanji, std::string_view code);

// The reason given for a key that an earlier entry of words.txt has.
extern const char kRepeatedKey[];

// Why `entry`, about to be written to words.txt, would not be given back
// by the dictionary as meant, or no fault: a key no look-up finds, a key an earlier entry has
// (`earlierHasKey`), a code that names no kanji.
WordLineFault wordEntryFault(const WordLine& entry, const KanjiTable& kanji, bool earlierHasKey);
