// Percent-decoding, and extraction and removal of <tag>...</tag> elements.
#include "textutil/markup.h"

#include <limits>

#include "textutil/core.h"

namespace {

const size_t kNone = std::string::npos;

// The furthest position an element cursor can hold.
const size_t kMaxCursor = static_cast<size_t>(std::numeric_limits<int32_t>::max());

// One percent escape and the character it stands for.
struct PercentEscape {
  const char* escape;
  const char* decoded;
};

// The printable characters other than letters, digits and blank, in ascending
// code order; the order decides which doubly encoded escapes decode twice.
const PercentEscape kPercentEscapes[] = {
    {"%21", "!"}, {"%22", "\""}, {"%23", "#"}, {"%24", "$"}, {"%25", "%"}, {"%26", "&"},
    {"%27", "'"}, {"%28", "("},  {"%29", ")"}, {"%2A", "*"}, {"%2B", "+"}, {"%2C", ","},
    {"%2D", "-"}, {"%2E", "."},  {"%2F", "/"}, {"%3A", ":"}, {"%3B", ";"}, {"%3C", "<"},
    {"%3D", "="}, {"%3E", ">"},  {"%3F", "?"}, {"%40", "@"}, {"%5B", "["}, {"%5C", "\\"},
    {"%5D", "]"}, {"%5E", "^"},  {"%5F", "_"}, {"%60", "`"}, {"%7B", "{"}, {"%7C", "|"},
    {"%7D", "}"}, {"%7E", "~"},
};

// "<tag>".
std::string openingTag(const std::string& tag) {
  return "<" + tag + ">";
}

// "</tag>".
std::string closingTag(const std::string& tag) {
  return "</" + tag + ">";
}

// The bytes between an opening tag at `open` (of `openSize` bytes) and a
// closing tag at `close`; empty when the two tags overlap.
std::string between(const std::string& text, size_t open, size_t openSize, size_t close) {
  const size_t start = open + openSize;
  return start < close ? text.substr(start, close - start) : std::string();
}

// The text while elements are removed: the kept bytes `head`, then the bytes
// of `tail` from `from` on. `head` never holds a whole opening or closing tag.
struct SplitText {
  std::string head;
  const std::string* tail;
  size_t from;
};

// The first position of `pattern` (not empty) in the split text, or kNone. An
// occurrence that starts in the head runs on into the tail.
size_t findFirst(const SplitText& t, const std::string& pattern) {
  const size_t h = t.head.size();
  const size_t tailSize = t.tail->size() - t.from;
  for (size_t p = h >= pattern.size() ? h - pattern.size() + 1 : 0; p < h; ++p) {
    const size_t inHead = h - p;
    const size_t inTail = pattern.size() - inHead;
    if (inTail <= tailSize && t.head.compare(p, inHead, pattern, 0, inHead) == 0 &&
        t.tail->compare(t.from, inTail, pattern, inHead, inTail) == 0) {
      return p;
    }
  }
  const size_t q = t.tail->find(pattern, t.from);
  return q == kNone ? kNone : h + (q - t.from);
}

}  // namespace

void percentDecode(std::string& text) {
  replaceAll(text, "+", " ", 1);
  for (const PercentEscape& e : kPercentEscapes) {
    replaceAll(text, e.escape, e.decoded, 3);
  }
}

// Element number k is found from one byte past the start of the closing tag
// of element k - 1. Once a search fails, every later one fails alike.
std::string tagContent(int32_t index, const std::string& tag, const std::string& text) {
  const std::string open = openingTag(tag);
  const std::string close = closingTag(tag);
  std::string result;
  size_t pos = 0;
  for (int64_t pass = 0; pass <= index; ++pass) {
    const size_t a = text.find(open, pos);
    const size_t b = text.find(close, pos);
    if (a == kNone || b == kNone || b <= a) {
      return std::string();
    }
    result = between(text, a, open.size(), b);
    pos = b + 1;
  }
  return result;
}

// A negative cursor finds nothing and becomes -1. An opening tag that starts
// at or beyond position 2^31 - 1 is out of the cursor's reach and counts as
// absent.
std::string nextTagContent(const std::string& tag, const std::string& text, int32_t& cursor) {
  if (cursor < 0) {
    cursor = -1;
    return std::string();
  }
  const std::string open = openingTag(tag);
  const size_t a = text.find(open, static_cast<size_t>(cursor));
  if (a == kNone || a >= kMaxCursor) {
    cursor = -1;
    return std::string();
  }
  cursor = static_cast<int32_t>(a);
  const size_t b = text.find(closingTag(tag), a);
  if (b == kNone || b <= a) {
    return std::string();  // the cursor stays on the unclosed opening tag
  }
  cursor += 1;
  return between(text, a, open.size(), b);
}

// Takes out, again and again, the span from the first opening tag to the end
// of the first closing tag while the closing one starts later; the text left
// is searched again from its start, so tags that the joined parts form count
// too. The kept part is built up once instead of rebuilding the whole text
// for every element.
void removeTagElements(const std::string& tag, std::string& text) {
  const std::string open = openingTag(tag);
  const std::string close = closingTag(tag);
  SplitText t{std::string(), &text, 0};
  while (true) {
    const size_t a = findFirst(t, open);
    const size_t b = findFirst(t, close);
    if (a == kNone || b == kNone || b <= a) {
      break;
    }
    // The first closing tag cannot lie wholly in the head, so the removed
    // span ends in the tail.
    const size_t h = t.head.size();
    const size_t end = b + close.size();
    if (a <= h) {
      t.head.resize(a);
    } else {
      t.head.append(text, t.from, a - h);
    }
    t.from += end - h;
  }
  t.head.append(text, t.from, kNone);
  text.swap(t.head);
}
