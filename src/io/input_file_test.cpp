// Tests of reading files as line pieces, in text and in binary mode.
#include "io/input_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "fixtures.h"
#include "textutil/core.h"

namespace {

// Data placed around this offset crosses a block end.
const size_t kBlockEnd = kInputBlockSize;

// The pieces a line buffer of `maxChars` + 1 bytes would take from `raw`,
// byte by byte: in text mode 0x1A ends the data and a CR directly before an
// LF is dropped.
TextList expectedPieces(const std::string& raw, bool text, size_t maxChars) {
  std::string data;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (text && raw[i] == '\x1a') {
      break;
    }
    if (text && raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;
    }
    data += raw[i];
  }
  TextList pieces;
  std::string piece;
  for (const char c : data) {
    piece += c;
    if (c == '\n' || piece.size() == maxChars) {
      pieces.push_back(piece);
      piece.clear();
    }
  }
  if (!piece.empty()) {
    pieces.push_back(piece);
  }
  return pieces;
}

// The pieces readLinePiece gives for `raw` stored in a scratch file.
TextList readPieces(const std::string& raw, bool text, size_t maxChars) {
  const std::string path = fixtures::scratchName("pieces");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f == nullptr) {
    return {};
  }
  std::fwrite(raw.data(), 1, raw.size(), f);
  std::fclose(f);
  InputFile in;
  EXPECT_TRUE(openInput(in, path.c_str(), text));
  TextList pieces;
  std::string piece;
  while (readLinePiece(in, piece, maxChars)) {
    pieces.push_back(piece);
  }
  EXPECT_TRUE(piece.empty());
  EXPECT_EQ(in.error, 0);
  closeInput(in);
  std::remove(path.c_str());
  return pieces;
}

// `raw` read in both modes with pieces of 79 bytes and of 5 gives what the
// byte-by-byte reading gives.
void expectPiecesOf(const std::string& raw, const std::string& what) {
  for (const bool text : {true, false}) {
    for (const size_t maxChars : {size_t{79}, size_t{5}}) {
      const TextList got = readPieces(raw, text, maxChars);
      const TextList want = expectedPieces(raw, text, maxChars);
      ASSERT_EQ(got.size(), want.size()) << what << " text " << text << " max " << maxChars;
      for (size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i], want[i])
            << what << " text " << text << " max " << maxChars << " piece " << i;
      }
    }
  }
}

TEST(ReadLinePiece, MatchesByteByByteReadingAcrossBlockEnds) {
  // Random bytes rich in CR, LF, blanks and zeros, over several blocks.
  std::mt19937 rng(11);
  std::string random(3 * kBlockEnd + 1234, 'a');
  for (char& c : random) {
    c = "ab \r\n\0\r"[rng() % 7];
  }
  expectPiecesOf(random, "random bytes");
  random[2 * kBlockEnd + 17] = '\x1a';
  expectPiecesOf(random, "random bytes with 0x1A");
}

TEST(ReadLinePiece, CarriageReturnAndLineFeedAroundABlockOrPieceEnd) {
  const struct {
    size_t at;  // where the marked bytes go
    std::string bytes;
  } cases[] = {
      {kBlockEnd - 1, "\r\n"},    // CR ends a block, LF starts the next
      {kBlockEnd - 2, "\r\n"},    // the pair ends a block
      {kBlockEnd - 1, "\r\r\n"},  // a lone CR, then a pair across the end
      {kBlockEnd - 1, "\r\x1a"},  // CR ends a block, 0x1A ends the data
      {kBlockEnd - 1, "\x1a\n"},  // 0x1A ends a block
      {kBlockEnd, "\n"},          // LF starts a block
      {78, "\r\n"},               // a pair after 78 bytes fills a piece of 79
      {79, "\r\n"},               // a pair after a piece of 79
      {2 * kBlockEnd - 1, "\r"},  // the data ends in a CR
  };
  for (const auto& c : cases) {
    std::string raw(c.at, 'x');
    for (size_t i = 100; i < raw.size(); i += 97) {
      raw[i] = '\n';  // lines of 96 bytes, so some pieces end at 79 bytes
    }
    raw += c.bytes;
    raw += "tail\r\n";
    expectPiecesOf(raw, "at " + std::to_string(c.at));
  }
}

TEST(ReadLinePiece, EmptyDataGivesNoPiece) {
  expectPiecesOf("", "empty");
  expectPiecesOf("\x1a\r\n", "0x1A first");
}

}  // namespace

TEST(SeekInput, ReadsFromAnyOffsetWithinAndAcrossBlocksAndPastTheEnd) {
  std::string raw(kInputBlockSize * 2 + 100, '\0');
  for (size_t i = 0; i < raw.size(); ++i) {
    raw[i] = static_cast<char>(i * 7 % 251);
  }
  const std::string path = fixtures::scratchName("seek");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(raw.data(), 1, raw.size(), f);
  std::fclose(f);
  InputFile in;
  ASSERT_TRUE(openInput(in, path.c_str(), false));
  uint64_t size = 0;
  ASSERT_TRUE(inputSize(in, size));
  EXPECT_EQ(size, raw.size());
  // Forward, back within the block in hand, across a block end, to the end
  // (met, then left again by a seek back).
  const size_t offsets[] = {0, 10, 3, kBlockEnd - 2, 5, raw.size() - 1, raw.size() + 4, 1};
  for (const size_t at : offsets) {
    SCOPED_TRACE(at);
    ASSERT_TRUE(seekInput(in, at));
    unsigned char got[4];
    const size_t have = at < raw.size() ? std::min<size_t>(4, raw.size() - at) : 0;
    EXPECT_EQ(readRecordBytes(in, got, 4), have);
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(got[i], i < have ? static_cast<unsigned char>(raw[at + i]) : 0xFF) << i;
    }
    EXPECT_EQ(in.atEnd, have < 4);
  }
  // A read of its own leaves the block's reads where they were.
  ASSERT_TRUE(seekInput(in, 20));
  unsigned char got[4];
  EXPECT_EQ(readBytesAt(in, kBlockEnd + 7, got, 4), 4u);
  EXPECT_EQ(std::string(got, got + 4), raw.substr(kBlockEnd + 7, 4));
  EXPECT_EQ(readBytesAt(in, raw.size() - 2, got, 4), 2u);
  EXPECT_EQ(std::string(got, got + 4), raw.substr(raw.size() - 2) + "\xFF\xFF");
  EXPECT_FALSE(in.atEnd);
  std::vector<unsigned char> rest(kInputBlockSize);
  EXPECT_EQ(readRecordBytes(in, rest.data(), rest.size()), rest.size());
  EXPECT_EQ(std::string(rest.begin(), rest.end()), raw.substr(20, rest.size()));
  EXPECT_EQ(in.error, 0);
  closeInput(in);
  std::remove(path.c_str());
}
