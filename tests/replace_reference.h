// The plain replace-all: search again from the start after every replacement.
// The library's replaceAll must give exactly its results.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "textutil/core.h"

inline void replaceAllByRestarting(std::string& text, const std::string& search,
                                   const std::string& replacement, int32_t length) {
  if (search.empty() || replacement.find(search) != std::string::npos) {
    return;
  }
  const size_t take = std::max<int64_t>(length, static_cast<int64_t>(search.size()));
  const uint64_t n = text.size();
  const uint64_t insertLimit = 4 * (n + 1) * (n + 1);
  uint64_t inserted = 0;
  for (size_t pos = text.find(search); pos != std::string::npos; pos = text.find(search)) {
    if (inserted + replacement.size() > insertLimit) {
      return;
    }
    inserted += replacement.size();
    text.replace(pos, std::min(take, text.size() - pos), replacement);
  }
}

inline std::string upperOfText(std::string s) {
  toUpperCase(s);
  return s;
}

// Searching an upper-cased shadow again from the start after every
// replacement, one step at a time; replaceAllIgnoreCase must give exactly its
// results.
inline void replaceIgnoringCaseByRestarting(std::string& text, const std::string& search,
                                            const std::string& replacement, int32_t length) {
  const std::string upperSearch = upperOfText(search);
  if (search.empty() || replacement.find(search) != std::string::npos ||
      replacement.find(upperSearch) != std::string::npos) {
    return;
  }
  const size_t take = std::max<int64_t>(length, static_cast<int64_t>(search.size()));
  const uint64_t n = text.size();
  const uint64_t insertLimit = 4 * (n + 1) * (n + 1);
  uint64_t inserted = 0;
  std::string shadow = upperOfText(text);
  for (size_t pos = shadow.find(upperSearch); pos != std::string::npos;
       pos = shadow.find(upperSearch)) {
    if (inserted + replacement.size() > insertLimit) {
      return;
    }
    inserted += replacement.size();
    const size_t count = std::min(take, text.size() - pos);
    text.replace(pos, count, replacement);
    shadow.replace(pos, count, replacement);
  }
}
