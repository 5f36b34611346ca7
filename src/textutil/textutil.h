// The text library: operations on texts of raw 8-bit bytes.
//
// A text is a std::string holding any byte values, zero included. Positions
// count from 0 and -1 stands for "no position". A blank is the byte 0x20 only;
// letter case is the fixed mapping of a-z against A-Z, and bytes from 0x80 up
// are never changed. No locale is consulted anywhere.
//
// Operations that clean or resolve a value change the caller's text in place;
// every other operation returns a new value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of texts, stored by value.
using TextList = std::vector<std::string>;

// ---- Tokenizer, trimming, case and replace (core.cpp) ----

// Splits a text into words at runs of blanks. Scanning ends at the first
// newline. A word that begins with a double quote starts a group that runs to
// the next word ending with one; the group is rebuilt with single blanks, its
// quotes kept. A lone closing word is dropped, and so is an unterminated group.
TextList tokenize(const std::string& text);

// Calls `emit(std::string_view)` for every token that tokenize() would give,
// in order, without building a list; `group` is scratch space for the
// rebuilt double-quoted groups. A token viewed may live in `text` or in
// `group` and stays valid only during the call.
template <typename Emit>
void forEachToken(std::string_view text, std::string& group, Emit&& emit) {
  bool inGroup = false;
  size_t p = 0;
  const size_t n = text.size();
  while (true) {
    while (p < n && text[p] == ' ') {
      ++p;
    }
    size_t e = p;
    while (e < n && text[e] != ' ' && text[e] != '\n') {
      ++e;
    }
    if (e == p) {
      break;  // no more text, or a newline ends the scan
    }
    const std::string_view t = text.substr(p, e - p);
    p = e;
    const bool opens = t.front() == '"';
    const bool closes = t.size() >= 2 && t.back() == '"';
    if (inGroup) {
      group += ' ';
      group.append(t);
      if (closes || (opens && t.size() == 1)) {
        emit(std::string_view(group));
        inGroup = false;
      }
    } else if (opens && !closes) {
      group.assign(t);
      inGroup = true;
    } else if (opens || !closes) {
      emit(t);
    }
    // A token that closes without opening is dropped, and so is a group
    // still open at the end.
  }
}

// Removes blanks (0x20 only) from the end of the text.
void trimTrailingBlanks(std::string& text);

// The text without the blanks (0x20 only) at its end.
std::string_view withoutTrailingBlanks(std::string_view text);

// Maps a-z to A-Z; every other byte stays.
void toUpperCase(std::string& text);

// Replaces every occurrence of `search` in `text` by `replacement`, with the
// result of searching again from the start after each replacement (so
// occurrences formed by a replacement are replaced too). Does nothing when
// `search` is empty or occurs in `replacement`. `length` is the number of
// bytes replaced at each occurrence; callers pass search.size(). A smaller
// length is taken as search.size(); a larger one takes that many bytes, or
// the rest of the text if fewer remain. A call that keeps growing the text
// stops once it has inserted more than 4 * (n + 1)^2 bytes (n being the
// text's length at the call), so every call ends.
void replaceAll(std::string& text, std::string_view search, std::string_view replacement,
                int32_t length);

// ---- Case-insensitive search and comparison (case.cpp) ----

// True when both bytes are equal after mapping a-z to A-Z.
bool charEqualsIgnoreCase(char a, char b);

// True when `pattern` does not occur in `text`, letter case ignored.
bool lacksIgnoreCase(const std::string& text, const std::string& pattern);

// Maps A-Z to a-z; every other byte stays.
void toLowerCase(std::string& text);

// Removes every blank, newline, tab, carriage return and form feed.
void removeWhitespace(std::string& text);

// Like replaceAll, but finds `search` without regard to letter case: it
// searches an upper-cased shadow of the text into which replacements go as
// they are. Does nothing when `search` is empty or when `replacement` holds
// `search` or its upper-cased form. `length` is taken as replaceAll takes it.
void replaceAllIgnoreCase(std::string& text, std::string search, std::string replacement,
                          int32_t length);

// True when `wanted` occurs in `text` and `unwanted` does not.
bool containsButNot(const std::string& text, const std::string& wanted,
                    const std::string& unwanted);

// Joins the two texts, the smaller one (unsigned byte order) first.
std::string joinOrdered(const std::string& first, const std::string& second);

// ---- Percent-decoding and markup (markup.cpp) ----

// Turns '+' into a blank, then decodes the percent escapes of the printable
// characters other than letters, digits and blank, in ascending code order.
void percentDecode(std::string& text);

// The content of element number `index` (from 0) of <tag>...</tag>, or "".
std::string tagContent(int32_t index, const std::string& tag, const std::string& text);

// The content of the next <tag>...</tag> element at or after `cursor`; moves
// the cursor one byte past the start of the opening tag, onto an opening tag
// that has no closing tag after it, or to -1 (also for a negative cursor, and
// for an opening tag at or beyond position 2^31 - 1).
std::string nextTagContent(const std::string& tag, const std::string& text, int32_t& cursor);

// Removes every <tag>...</tag> element, contents included.
void removeTagElements(const std::string& tag, std::string& text);

// ---- Files and waits (files.cpp, platform.cpp) ----

// The whole text file at `path` (Windows text conventions), or "" when it
// cannot be opened after three attempts 200 ms apart.
std::string readTextFile(const std::string& path);

// Suspends the calling thread for `seconds` seconds (none when negative);
// returns 0.
int sleepSeconds(int32_t seconds);

// Suspends the calling thread for `milliseconds` in an alertable wait (none
// when negative); returns the platform wait's result, 0 when the time ran out.
int sleepMilliseconds(int32_t milliseconds);

// ---- Word cursor and word queries (words.cpp) ----

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
