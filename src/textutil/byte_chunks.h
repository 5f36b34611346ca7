// Looking at texts eight bytes at a time: the bytes of a chunk are numbered
// from the lowest-addressed one, which lies in the lowest bits (the
// platforms built for are little-endian).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "byte_chunks.h assumes a little-endian platform"
#endif

const uint64_t kEveryByte = 0x0101010101010101ull;
const uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes at `p`, which must all be readable.
inline uint64_t loadChunk(const char* p) {
  uint64_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

inline void storeChunk(char* p, uint64_t x) {
  std::memcpy(p, &x, sizeof x);
}

// Marks (with its high bit) every byte of `x` equal to `c`. The lowest mark
// is always exact; a byte above a marked one may be marked falsely, but only
// above a byte that is truly equal.
inline uint64_t bytesEqualTo(uint64_t x, unsigned char c) {
  const uint64_t y = x ^ (kEveryByte * c);
  return (y - kEveryByte) & ~y & kHighBits;
}

// Marks every byte of `x` equal to `c`, each exactly.
inline uint64_t bytesExactlyEqualTo(uint64_t x, unsigned char c) {
  const uint64_t y = x ^ (kEveryByte * c);
  return ~(((y & ~kHighBits) + ~kHighBits) | y) & kHighBits;
}

// The number of the lowest marked byte. Precondition: `marks` is not 0.
inline unsigned firstMarkedByte(uint64_t marks) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(marks)) / 8;
#else
  unsigned k = 0;
  while ((marks & 0x80u) == 0) {
    marks >>= 8;
    ++k;
  }
  return k;
#endif
}

// The marks of the bytes below byte `k` (k from 0 to 8).
inline uint64_t marksBelow(uint64_t marks, unsigned k) {
  return k == 0 ? 0 : marks & (~0ull >> (64 - 8 * k));
}

// `x` with a to z mapped to A to Z and every other byte unchanged.
inline uint64_t upperCaseChunk(uint64_t x) {
  const uint64_t low7 = x & ~kHighBits;  // no carry can leave a byte below
  const uint64_t atLeastA = low7 + kEveryByte * (0x80 - 'a');
  const uint64_t aboveZ = low7 + kEveryByte * (0x80 - 'z' - 1);
  const uint64_t lower = atLeastA & ~aboveZ & ~x & kHighBits;
  return x ^ (lower >> 2);  // 0x80 >> 2 is the case bit 0x20
}

// True when one of the `n` bytes at `p` equals `c`; reads no byte past them.
inline bool holdsByte(const char* p, size_t n, unsigned char c) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    if (bytesEqualTo(loadChunk(p + i), c) != 0) {
      return true;
    }
  }
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) == c) {
      return true;
    }
  }
  return false;
}

// True when the `n` bytes at `a` and at `b` are equal; reads no byte past
// them, in few whole reads for short texts such as dictionary keys.
inline bool bytesMatch(const char* a, const char* b, size_t n) {
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8) {
      if (loadChunk(a + i) != loadChunk(b + i)) {
        return false;
      }
    }
    return loadChunk(a + n - 8) == loadChunk(b + n - 8);
  }
  if (n >= 4) {
    uint32_t x[4];
    std::memcpy(&x[0], a, 4);
    std::memcpy(&x[1], b, 4);
    std::memcpy(&x[2], a + n - 4, 4);
    std::memcpy(&x[3], b + n - 4, 4);
    return x[0] == x[1] && x[2] == x[3];
  }
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) {
      return false;
    }
  }
  return true;
}
