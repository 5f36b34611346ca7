#!/usr/bin/env python3
"""Writes a words.txt whose keys all collide under a fixed, unkeyed hash.

The hash is the multiply-xor word hash the dictionary once used (the key read
eight bytes at a time, little-endian, h = (h ^ chunk) * M, h ^= h >> 32; then
the length mixed in). For keys of two chunks, choosing the second chunk as the
first chunk's mixed value xor a constant makes the whole hash the same for
every key, so a table indexed by that hash puts every key on one probe chain
and loading becomes quadratic. With --ordinary the keys are random letters of
the same length instead, for comparison: same line count, same file size.

    colliding_words.py --lines N --out FILE [--ordinary] [--seed S]
"""

import argparse
import random

MASK = (1 << 64) - 1
MUL = 0x9E3779B97F4A7C15
TARGET = int.from_bytes(b"COLLIDES", "little")
# Bytes a key of words.txt may hold: no blank, line end, zero, Ctrl-Z or quote.
FORBIDDEN = {0x00, 0x0A, 0x0D, 0x1A, 0x20, 0x22}


def mixed(chunk):
    h = (chunk * MUL) & MASK
    return h ^ (h >> 32)


def colliding_key(rng):
    while True:
        first = bytes(rng.choice(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(8))
        second = (mixed(int.from_bytes(first, "little")) ^ TARGET).to_bytes(8, "little")
        if not FORBIDDEN.intersection(second):
            return first + second


def ordinary_key(rng):
    return bytes(rng.choice(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(16))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--lines", type=int, required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--ordinary", action="store_true")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    make = ordinary_key if args.ordinary else colliding_key
    seen = set()
    with open(args.out, "wb") as out:
        while len(seen) < args.lines:
            key = make(rng)
            if key not in seen:
                seen.add(key)
                out.write(key + b"\n")


if __name__ == "__main__":
    main()
