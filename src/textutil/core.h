// The text operations of the record path (core.cpp, in listconv_core), and
// the conventions that the whole text library keeps.
//
// A text is a std::string holding any byte values, zero included. Positions
// count from 0 and -1 stands for "no position". A blank is the byte 0x20 only;
// letter case is the fixed mapping of a-z against A-Z, and bytes from 0x80 up
// are never changed. No locale is consulted anywhere.
//
// Operations that clean or resolve a value change the caller's text in place;
// every other operation returns a new value.
//
// The rest of the text library (listconv_text) has a header per unit:
// case.h, files.h, markup.h and words.h. Nothing in listconv_core includes
// them; a test checks it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of texts, stored by value.
using TextList = std::vector<std::string>;

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

// True when both bytes are equal after mapping a-z to A-Z.
bool charEqualsIgnoreCase(char a, char b);

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
