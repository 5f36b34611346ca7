// Writing lines of words.txt, each checked by the reader's own code.
#include "tables/word_file_writer.h"

#include <algorithm>
#include <utility>

#include "io/input_file.h"

const char kWordLineEnd[] = "\r\n";

namespace {

// Why the values of `entry` cannot stand on a line after `working`, or no
// fault.
WordLineFault missingValue(const WordLine& working, const WordLine& entry) {
  if (entry.key.empty()) {
    return {WordPart::key, "an entry needs a key"};
  }
  if (entry.word.empty() && !entry.codes.empty()) {
    return {WordPart::word, "an entry with codes needs a word"};
  }
  if (entry.word.empty() && !working.word.empty()) {
    return {WordPart::word, "an entry without a word would take the word of the line before"};
  }
  if (entry.codes.empty() && !working.codes.empty()) {
    return {WordPart::codes, "an entry without codes would take the codes of the line before"};
  }
  return {};
}

// Why the bytes of `line` would not reach the reader as one line, or nullptr.
const char* unreadableByte(const std::string& line) {
  if (line.find('\n') != std::string::npos) {
    return "a line feed, which ends the reader's line";
  }
  if (line.find('\0') != std::string::npos) {
    return "a zero byte, where the reader's line ends";
  }
  if (line.find(kCtrlZ) != std::string::npos) {
    return "the byte 0x1A, where the reader's file ends";
  }
  return nullptr;
}

// Sets `line` to "KEY WORD CODE CODE ...", without the codes or without the
// word and the codes when asked.
void composeLine(const WordLine& entry, bool withoutCodes, bool withoutWord, std::string& line) {
  line = entry.key;
  if (!withoutWord && !entry.word.empty()) {
    line += ' ';
    line += entry.word;
  }
  for (size_t i = 0; !withoutCodes && i < entry.codes.size(); ++i) {
    line += ' ';
    line += entry.codes[i];
  }
}

}  // namespace

WordLineFault writeWordLine(WordFileWriter& writer, const WordLine& entry, std::string& line) {
  const WordLineFault missing = missingValue(writer.working, entry);
  if (missing.reason != nullptr) {
    return missing;
  }
  // The whole line, unless it is longer than the reader takes: then what
  // the reader carries over from the line before is left out, as the old
  // files leave it out, and the line reads back the same.
  composeLine(entry, false, false, line);
  // The reader takes a line of up to kWordLinePieceMax bytes in one piece; one
  // of exactly that length leaves its line feed to a piece of its own, which
  // gives no entry.
  if (line.size() > kWordLinePieceMax) {
    const bool sameCodes = entry.codes == writer.working.codes;
    const bool sameWord = entry.word == writer.working.word;
    composeLine(entry, sameCodes, sameWord && sameCodes, line);
  }
  if (const char* reason = unreadableByte(line)) {
    return {WordPart::line, reason};
  }
  if (line.size() > kWordLinePieceMax) {
    return {WordPart::line, "a line longer than the 79 bytes the reader takes at a time"};
  }
  // Read back as the loader reads it: a line piece of at most 79 bytes, its
  // line feed included when there is room for it.
  writer.readBack = writer.working;
  line += '\n';
  takeWordLine(std::string_view(line).substr(0, kWordLinePieceMax), writer.readBack, writer.group);
  line.pop_back();
  if (writer.readBack.key != entry.key) {
    return {WordPart::key, "a key that the reader would split or change"};
  }
  if (writer.readBack.word != entry.word) {
    return {WordPart::word, "a word that the reader would split or change"};
  }
  if (writer.readBack.codes != entry.codes) {
    return {WordPart::codes, "codes that the reader would split or change"};
  }
  std::swap(writer.working, writer.readBack);  // readBack is set afresh before its next use
  return {};
}

void splitWordFile(std::string_view bytes, StoredWordFile& file) {
  file.lines.clear();
  const size_t end = std::min(bytes.find(kCtrlZ), bytes.size());
  file.tail.assign(bytes.substr(end));
  for (size_t p = 0; p < end;) {
    const size_t lineEnd = std::min(bytes.find('\n', p), end - 1) + 1;
    file.lines.emplace_back(bytes.substr(p, lineEnd - p));
    p = lineEnd;
  }
}

void readStoredWordLine(std::string_view bytes, WordLine& working, std::string& group,
                        const std::function<void(const WordLine&)>& take) {
  // The reader drops the CR directly before the line feed, and only it.
  std::string text(bytes);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
    text.erase(text.size() - 2, 1);
  }
  for (size_t p = 0; p < text.size(); p += kWordLinePieceMax) {
    takeWordLine(std::string_view(text).substr(p, kWordLinePieceMax), working, group);
    if (!working.key.empty()) {
      take(working);
    }
  }
}

bool keepWordLine(WordFileWriter& writer, std::string_view bytes,
                  const std::vector<WordLine>& meant) {
  writer.readBack = writer.working;
  size_t n = 0;
  bool same = true;
  readStoredWordLine(bytes, writer.readBack, writer.group, [&](const WordLine& got) {
    same = same && n < meant.size() && got.key == meant[n].key && got.word == meant[n].word &&
           got.codes == meant[n].codes;
    ++n;
  });
  if (!same || n != meant.size()) {
    return false;
  }
  std::swap(writer.working, writer.readBack);
  return true;
}

void endOpenWordLine(std::string& bytes) {
  if (!bytes.empty() && bytes.back() != '\n') {
    bytes += kWordLineEnd;
  }
}
