// A text built piece by piece, with appends cheap enough for the per-word
// work of the record loop.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

// Bytes appended at the end; storage is kept from one use to the next.
struct LineBuffer {
  std::vector<char> storage;  // the first `length` bytes are the text
  size_t length = 0;

  size_t size() const { return length; }
  char* data() { return storage.data(); }
  char& operator[](size_t i) { return storage[i]; }
  char back() const { return storage[length - 1]; }
  std::string_view view() const { return std::string_view(storage.data(), length); }
  void clear() { length = 0; }
  // Cuts the text to its first `n` bytes. Precondition: n <= size().
  void truncate(size_t n) { length = n; }

  void append(std::string_view text) {
    if (storage.size() - length < text.size()) {
      grow(text.size());
    }
    if (!text.empty()) {
      std::memcpy(storage.data() + length, text.data(), text.size());
    }
    length += text.size();
  }
  // Appends `text` in whole pieces of kReadAhead bytes, which is quicker for
  // short texts. Precondition: kReadAhead - 1 bytes past the text are
  // readable.
  static const size_t kReadAhead = 16;
  void appendReadingAhead(std::string_view text) {
    if (storage.size() - length < text.size() + kReadAhead) {
      grow(text.size() + kReadAhead);
    }
    char* to = storage.data() + length;
    for (size_t i = 0; i < text.size(); i += kReadAhead) {
      std::memcpy(to + i, text.data() + i, kReadAhead);
    }
    length += text.size();
  }
  // Makes room for `n` bytes past the text, and kReadAhead more.
  void reserve(size_t n) {
    if (storage.size() - length < n + kReadAhead) {
      grow(n + kReadAhead);
    }
  }
  // Takes `n` bytes written past the text (in room made by reserve) into it.
  void commit(size_t n) { length += n; }
  // Makes sure that kReadAhead bytes past the text can be read.
  void keepReadAhead() {
    if (storage.size() - length < kReadAhead) {
      grow(kReadAhead);
    }
  }
  void push_back(char c) {
    if (storage.size() == length) {
      grow(1);
    }
    storage[length++] = c;
  }

  // Makes room for `n` more bytes.
  void grow(size_t n) {
    const size_t wanted = length + n;
    storage.resize(wanted > 2 * storage.size() ? wanted + 256 : 2 * storage.size());
  }
};
