// The rows of a dictionary export laid over the words.txt that stands: the
// lines of unchanged entries kept byte for byte, the others written anew.
#include <cinttypes>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include "import_words.h"
#include "tables/word_file_writer.h"
#include "tables/word_rules.h"

namespace {

// The most changes listed; the rest are only counted, so that a huge check
// keeps its memory small.
const size_t kListedChangesMax = 1000;

bool sameValues(const WordLine& a, const WordLine& b) {
  return a.key == b.key && a.word == b.word && a.codes == b.codes;
}

std::string joinedCodes(const TextList& codes) {
  std::string joined;
  for (const std::string& code : codes) {
    joined += joined.empty() ? "" : " ";
    joined += code;
  }
  return joined;
}

// The merge's state: what it reads, what it has written so far.
struct Merge {
  const KanjiTable& kanji;
  const std::string& file;
  const std::string& path;
  std::string& out;
  WordChanges& changes;
  Problems& problems;
  WordFileWriter writer;
  std::unordered_set<std::string> keys;  // of every entry written so far
  std::string line;
};

void list(Merge& m, std::string change) {
  if (m.changes.listed.size() < kListedChangesMax) {
    m.changes.listed.push_back(m.path + ": " + std::move(change));
  } else {
    ++m.changes.unlisted;
  }
}

// "line N: KEY: " for a change to an entry of the old file.
std::string atLine(int64_t line, const WordLine& entry) {
  return "line " + std::to_string(line) + ": " + shownValue(entry.key, false) + ": ";
}

// Lists how the entry `before` on `line` becomes `after`, part by part.
void listChange(Merge& m, int64_t line, const WordLine& before, const WordLine& after) {
  const std::string at = atLine(line, before);
  const char* arrow = " \xE2\x86\x92 ";  // →
  if (before.key != after.key) {
    list(m, at + "key: " + shownValue(before.key, false) + arrow + shownValue(after.key, false));
  }
  if (before.word != after.word) {
    list(m, at + "word: " + shownValue(before.word, false) + arrow + shownValue(after.word, false));
  }
  if (before.codes != after.codes) {
    list(m, at + "codes: " + shownValue(joinedCodes(before.codes), false) + arrow +
                shownValue(joinedCodes(after.codes), false));
  }
}

// Notes that the row cannot be written, at the cell of the part at fault.
void refuseRow(Merge& m, const WordRow& row, WordPart part, const std::string& reason) {
  const size_t i = part == WordPart::word ? 1 : part == WordPart::codes ? 2 : 0;
  const std::string& shown = i == 0               ? row.entry.key
                             : i == 1             ? row.entry.word
                             : !row.kanji.empty() ? row.kanji
                                                  : joinedCodes(row.entry.codes);
  note(m.problems,
       placeOf(m.file, row.cellLine[i], row.column[i]) + shownValue(shown, false) + ": " + reason);
}

// The entry is written to the new file; counts and digests it.
void took(Merge& m, const WordLine& entry) {
  m.keys.insert(entry.key);
  ++m.changes.entries;
  m.changes.digest = digestWordEntry(m.changes.digest, entry);
}

// Writes the row's entry as a line of its own; `checked` when the rules for
// a new value apply. Refusals are noted.
void writeRow(Merge& m, const WordRow& row, bool checked) {
  // What no line can hold is told before what a line would hold in vain.
  WordFileWriter trial = m.writer;
  WordLineFault fault = writeWordLine(trial, row.entry, m.line);
  if (fault.reason == nullptr && checked) {
    fault = wordEntryFault(row.entry, m.kanji, m.keys.count(row.entry.key) > 0);
  }
  if (fault.reason != nullptr) {
    // A row nobody changed fails only where a line before it changed.
    refuseRow(m, row, fault.part,
              std::string(fault.reason) +
                  (checked ? ""
                           : " (its line took the word or codes of a line that changed: "
                             "change them in its row too)"));
    return;
  }
  m.writer = std::move(trial);
  endOpenWordLine(m.out);
  m.out += m.line;
  m.out += kWordLineEnd;
  took(m, row.entry);
}

// Lays the rows that carry the old line `number` (bytes `stored`, entries
// `old`) over it.
void mergeLine(Merge& m, int64_t number, const std::string& stored,
               const std::vector<WordLine>& old, const std::vector<const WordRow*>& rows) {
  std::vector<WordLine> meant;
  for (const WordRow* row : rows) {
    meant.push_back(row->entry);
  }
  bool same = meant.size() == old.size();
  for (size_t i = 0; i < meant.size() && i < old.size(); ++i) {
    same = sameValues(meant[i], old[i]) && same;
  }
  if (same && keepWordLine(m.writer, stored, meant)) {
    endOpenWordLine(m.out);
    m.out += stored;
    for (const WordLine& entry : meant) {
      took(m, entry);
    }
    m.changes.unchanged += static_cast<int64_t>(meant.size());
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool changed = i >= old.size() || !sameValues(meant[i], old[i]);
    if (i >= old.size()) {
      ++m.changes.added;
      list(m, atLine(number, meant[i]) + "added");
    } else if (changed) {
      ++m.changes.changed;
      listChange(m, number, old[i], meant[i]);
    } else if (same) {
      ++m.changes.rewritten;
      list(m, atLine(number, meant[i]) +
                  "written anew: it took its word or codes from a line that changed");
    } else {
      ++m.changes.unchanged;
    }
    writeRow(m, *rows[i], changed);
  }
  for (size_t i = rows.size(); i < old.size(); ++i) {
    ++m.changes.removed;
    list(m, atLine(number, old[i]) + "removed");
  }
}

// Lays the rows over the old lines by their line numbers.
void mergeByLine(Merge& m, const std::vector<WordRow>& rows, const StoredWordFile& stored) {
  std::vector<std::vector<WordLine>> old(stored.lines.size());
  WordLine working;
  std::string group;
  for (size_t i = 0; i < stored.lines.size(); ++i) {
    readStoredWordLine(stored.lines[i], working, group,
                       [&](const WordLine& entry) { old[i].push_back(entry); });
  }
  std::vector<std::vector<const WordRow*>> carried(stored.lines.size());
  for (const WordRow& row : rows) {
    if (row.line == 0) {
      continue;
    }
    const size_t i = static_cast<size_t>(row.line - 1);
    if (i >= old.size() || old[i].empty()) {
      note(m.problems, placeOf(m.file, row.cellLine[0], "line") + std::to_string(row.line) + ": " +
                           m.path +
                           " has no entry on this line: export the dictionary of this folder "
                           "again, or leave the line empty for a new entry");
      continue;
    }
    carried[i].push_back(&row);
  }
  for (size_t i = 0; i < stored.lines.size(); ++i) {
    if (!old[i].empty() || !carried[i].empty()) {
      mergeLine(m, static_cast<int64_t>(i + 1), stored.lines[i], old[i], carried[i]);
      continue;
    }
    // A line without an entry stays; it still resets what the reader holds.
    keepWordLine(m.writer, stored.lines[i], {});
    endOpenWordLine(m.out);
    m.out += stored.lines[i];
  }
}

}  // namespace

uint64_t digestWordEntry(uint64_t digest, const WordLine& entry) {
  std::string bytes = entry.key;
  bytes += '\0';
  bytes += entry.word;
  for (const std::string& code : entry.codes) {
    bytes += '\0';
    bytes += code;
  }
  return sipHash13(digest, 0x776f726473ull, bytes);
}

void mergeWords(const std::vector<WordRow>& rows, bool byLine, const std::string& old,
                const KanjiTable& kanji, const std::string& file, const std::string& path,
                std::string& out, WordChanges& changes, Problems& problems) {
  out.clear();
  StoredWordFile stored;
  splitWordFile(old, stored);
  Merge m{kanji, file, path, out, changes, problems, {}, {}, {}};
  if (byLine) {
    mergeByLine(m, rows, stored);
  } else {
    // Without lines the rows are the whole dictionary: every old entry goes.
    WordLine working;
    std::string group;
    for (size_t i = 0; i < stored.lines.size(); ++i) {
      readStoredWordLine(stored.lines[i], working, group, [&](const WordLine& entry) {
        ++changes.removed;
        list(m, atLine(static_cast<int64_t>(i + 1), entry) + "removed");
      });
    }
  }
  for (const WordRow& row : rows) {
    if (row.line == 0) {
      ++changes.added;
      list(m, "new entry " + shownValue(row.entry.key, false) + ": added");
      writeRow(m, row, true);
    }
  }
  if (byLine) {
    out += stored.tail;  // what the reader never reaches stays after the end
  }
}
