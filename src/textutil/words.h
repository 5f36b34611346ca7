// The word cursor and the queries built on it (words.cpp, in listconv_text).
// A word is a run of bytes other than blank and newline; the first newline
// reached ends the words. A cursor is a position as textutil/core.h describes
// it, -1 meaning no further word.
#pragma once

#include <cstdint>
#include <string>

#include "textutil/core.h"

// Reads the `count`-th next word from `cursor`; leaves the cursor on the byte
// that ended it, or sets it to -1 and the word to "" when words run out. A
// count of 0 or less changes nothing; a negative cursor reads no word. Words
// ending beyond position 2^31 - 1 are not reached.
void nextWord(int32_t count, std::string text, int32_t& cursor, std::string& word);

// Sets `rest` to everything from the first non-blank at or after `cursor` and
// the cursor to the text's length (-1 when there is no rest, or when the
// length does not fit in the cursor). A negative cursor gives "" and stays.
void restOfText(std::string text, int32_t& cursor, std::string& rest);

// The number of words before the first newline.
int32_t countWords(const std::string& text);

// The word in front of the first word equal to `key`, or "".
std::string wordBefore(const std::string& text, const std::string& key);

// The word after the first word equal to `key`, or "".
std::string wordAfter(const std::string& text, const std::string& key);

// Reverses the order of the words, each followed by one blank.
void reverseWords(std::string& text);

// The words not in `stopList`, each written as blank, word and two blanks.
std::string removeWords(const std::string& text, const std::string& stopList);

// True when some `first` is followed, `distance` words later, by `second`
// (distance 0: directly after it). A negative distance gives false.
bool wordsAtDistance(const std::string& text, const std::string& first, const std::string& second,
                     int32_t distance);

// The cursor of the first run of four words matching the patterns
// ("dontcare" matches any word), searching from `start`, or -1.
int32_t findWordSequence(int32_t start, const std::string& text, const std::string& p1,
                         const std::string& p2, const std::string& p3, const std::string& p4);

// True when findWordSequence from 0 finds a match.
bool hasWordSequence(const std::string& text, const std::string& p1, const std::string& p2,
                     const std::string& p3, const std::string& p4);

// The elements from `start` on, each followed by a blank, trailing blanks removed.
std::string joinFrom(const TextList& list, int32_t start);
