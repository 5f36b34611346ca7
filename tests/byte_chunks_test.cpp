// The eight-bytes-at-a-time helpers against the same work done byte by byte.
#include "textutil/byte_chunks.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The chunk's byte `i`.
unsigned char byteOf(uint64_t x, unsigned i) {
  return static_cast<unsigned char>(x >> (8 * i));
}

// Chunks made of a few byte values, so that equal bytes, neighbours and
// bytes next to the searched one are common.
uint64_t randomChunk(std::mt19937& rng, unsigned char around) {
  uint64_t x = 0;
  for (unsigned i = 0; i < 8; ++i) {
    const unsigned pick = rng() % 6;
    const unsigned char b = pick == 0   ? around
                            : pick == 1 ? static_cast<unsigned char>(around + 1)
                            : pick == 2 ? static_cast<unsigned char>(around - 1)
                            : pick == 3 ? static_cast<unsigned char>(around ^ 0x80)
                                        : static_cast<unsigned char>(rng());
    x |= static_cast<uint64_t>(b) << (8 * i);
  }
  return x;
}

TEST(ByteChunks, MarksAgreeWithBytewiseComparison) {
  std::mt19937 rng(11);
  for (int n = 0; n < 200000; ++n) {
    const unsigned char c = static_cast<unsigned char>(rng());
    const uint64_t x = randomChunk(rng, c);
    uint64_t exact = 0;
    for (unsigned i = 0; i < 8; ++i) {
      if (byteOf(x, i) == c) {
        exact |= 0x80ull << (8 * i);
      }
    }
    ASSERT_EQ(bytesExactlyEqualTo(x, c), exact);
    const uint64_t quick = bytesEqualTo(x, c);
    ASSERT_EQ(quick != 0, exact != 0);
    if (exact != 0) {
      // The lowest mark is exact; later ones may stand in for no match.
      ASSERT_EQ(firstMarkedByte(quick), firstMarkedByte(exact));
      for (unsigned k = 0; k <= 8; ++k) {
        ASSERT_EQ(marksBelow(quick, k) != 0, marksBelow(exact, k) != 0) << k;
      }
    }
  }
}

TEST(ByteChunks, UpperCaseChunkMapsOnlyAToZ) {
  // Every byte value in every position, among neighbours at the edges of
  // the letters: '`', 'a', 'z', '{', '@', 'A', and the same with the high bit.
  const uint64_t kNeighbours[] = {0x6162637A7B604041ull, 0xE1E2E3FAFBE0C0C1ull};
  for (const uint64_t base : kNeighbours) {
    for (unsigned v = 0; v < 256; ++v) {
      for (unsigned i = 0; i < 8; ++i) {
        const uint64_t x = (base & ~(0xFFull << (8 * i))) | static_cast<uint64_t>(v) << (8 * i);
        const uint64_t y = upperCaseChunk(x);
        for (unsigned j = 0; j < 8; ++j) {
          const unsigned char b = byteOf(x, j);
          const unsigned char want = b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b;
          ASSERT_EQ(byteOf(y, j), want) << "byte " << j << " of " << std::hex << x;
        }
      }
    }
  }
}

}  // namespace
