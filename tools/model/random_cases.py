"""The random inputs of the comparison of listconv with the reference model:
kanjis.dat, words.txt and list.rec built from one seed."""

import random

import listconv_model as model
from inputs import FIELD_LAYOUT, kanji_record

LETTERS = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
SMALL = b"abcdefghijklmnopqrstuvwxyz"
ERA_NAMES = sorted({name for name, _ in model.ERA_ROWS})
# Bytes of random texts, each as often as it stands here.
NOISE_POOL = (LETTERS + SMALL) * 3 + b"0123456789" * 2 + b" " * 20 + b",.-()[]\"" + \
    bytes(range(0x80, 0x100))[::8] + b"\n\r\t\x00\x1a"


class CaseGenerator:
    """Builds the three input files of one case from one seed."""

    def __init__(self, seed, nul_in_words=False):
        self.r = random.Random(seed)
        self.nul_in_words = nul_in_words
        self.last_code = -1  # the highest code whose kanji text comes from a record

    # -- small helpers

    def chance(self, p):
        return self.r.random() < p

    def pick(self, items):
        return items[self.r.randrange(len(items))]

    def weighted(self, table):
        total = sum(w for w, _ in table)
        x = self.r.random() * total
        for w, v in table:
            x -= w
            if x < 0:
                return v
        return table[-1][1]

    def letters(self, n, alphabet=LETTERS):
        return bytes(self.pick(alphabet) for _ in range(n))

    def noise(self, n):
        """Printable text with an occasional odd byte."""
        return bytes(self.r.choices(NOISE_POOL, k=n))

    # -- kanjis.dat

    def kanji_text(self):
        kind = self.weighted([(6, "sjis"), (2, "ascii"), (1, "odd")])
        if kind == "sjis":
            out = b""
            while len(out) < 4:
                out += bytes([self.r.randrange(0x88, 0xA0), self.r.randrange(0x40, 0xFD)])
            return out[:4]
        if kind == "ascii":
            return self.letters(4)
        return bytes(self.pick(b"\x00\xff \n\r,\tA\x81") for _ in range(4))

    def kanji_file(self):
        size = self.weighted([
            (3, None), (2, 0), (3, self.r.randrange(1, 525)), (3, 525),
            (40, 525 + self.r.randrange(1, 140)), (1, 3867 + self.r.randrange(0, 4))])
        if size is None:
            return None
        out = bytearray(self.r.randbytes(166 * min(size, 525)))
        for _ in range(525, size):
            count = self.weighted([(40, 4), (15, self.r.randrange(1, 4)), (5, 0),
                                   (8, self.r.randrange(5, 128)), (8, self.r.randrange(0x80, 0x100))])
            out += kanji_record(self.kanji_text(), count=count, filler=self.pick([b"\x00", b"\xff", b" "]))
        self.last_code = size - 1
        if self.chance(0.3):
            extra = kanji_record(self.kanji_text(), count=self.pick([1, 2, 4, 9, 0x90]))
            out += extra[:self.r.randrange(1, 166)]
        return bytes(out)

    # -- codes

    def code(self, width=None, blanks=False):
        """A code text: mostly a code of the table, sometimes anything odd."""
        last = max(self.last_code, 600)
        value = self.weighted([
            (30, b"%d" % self.r.randrange(525, last + 1)),
            (3, b"3867"), (3, b"0"), (2, b"0000"), (3, b"%d" % self.r.randrange(1, 525)),
            (2, b"-%d" % self.r.randrange(1, 700)), (2, b"%d" % (last + self.r.randrange(0, 3))),
            (2, b"ab"), (2, b"%dab" % self.r.randrange(525, last + 1)), (1, b"x600"),
            (1, b"+%d" % self.r.randrange(525, last + 1)), (1, b"\t%d" % self.r.randrange(525, last + 1)),
            (1, b"%07d" % self.r.randrange(525, last + 1)),
            (1, self.pick([b"99999999999", b"2147483647", b"-2147483648", b"4294967296",
                           b"%d" % (2**32 + self.r.randrange(525, last + 1)),
                           b"%d" % (2**32 + 3867), b"-4294966729"])),
        ])
        if blanks and self.chance(0.3):
            i = self.r.randrange(len(value) + 1)
            value = value[:i] + b" " + value[i:]
        if width is not None:
            value = value[:width]
        return value

    # -- words.txt

    def key(self):
        kind = self.weighted([(30, "word"), (3, "lower"), (2, "quoted"), (1, "bracket"),
                              (1, "no"), (1, "tab"), (1, "high")])
        if kind == "word":
            return self.letters(self.r.randrange(1, 6))
        if kind == "lower":
            return self.letters(self.r.randrange(1, 5), SMALL)
        if kind == "quoted":
            return b'"' + self.letters(2) + b" " + self.letters(2) + b'"'
        if kind == "bracket":
            return b"[%d]" % self.r.randrange(525, max(self.last_code, 600) + 1)
        if kind == "no":
            return b"(NO)"
        if kind == "tab":
            return self.letters(2) + b"\t" + self.letters(1)
        return self.letters(1) + bytes([self.r.randrange(0x80, 0x100)])

    def words_file(self, keys):
        if self.chance(0.05):
            return None
        lines = []
        for _ in range(self.r.randrange(0, 25)):
            key = self.pick(keys) if keys and self.chance(0.3) else self.key()
            keys.append(key)
            word = self.pick([self.letters(3, SMALL), b'"two words"', b'"open', b"x"])
            codes = [self.code() for _ in range(self.r.randrange(1, 5))]
            kind = self.weighted([(20, 3), (4, 1), (4, 2), (2, "empty"), (2, "long"), (1, "junk")])
            if kind == 1:
                tokens = [key]
            elif kind == 2:
                tokens = [key, word]
            elif kind == "empty":
                tokens = []
            elif kind == "long":
                tokens = [key, word] + [self.code() for _ in range(self.r.randrange(15, 30))]
                if self.chance(0.3):
                    tokens = [self.letters(self.r.randrange(75, 100))]
            elif kind == "junk":
                tokens = [key, b'a"', word, b'"', b"600", b'b"'] + codes
            else:
                tokens = [key, word] + codes
            gaps = [self.pick([b" ", b" ", b" ", b"  ", b"   "]) for _ in tokens]
            line = (b" " * self.pick([0, 0, 0, 1, 3])) + b"".join(
                t + g for t, g in zip(tokens, gaps))
            if not self.chance(0.7):
                line = line.rstrip(b" ")
            lines.append(line)
        ends = [self.weighted([(20, b"\r\n"), (6, b"\n"), (1, b"\r"), (1, b"\r\r\n")])
                for _ in lines]
        data = b"".join(l + e for l, e in zip(lines, ends))
        if lines and self.chance(0.2):
            data = data[:len(data) - len(ends[-1])]  # last line without its end
        if self.chance(0.08):
            cut = self.r.randrange(len(data) + 1)
            data = data[:cut] + b"\x1a" + self.key() + b" X 600\r\n"
        if self.nul_in_words and self.chance(0.1):
            cut = self.r.randrange(len(data) + 1)
            data = data[:cut] + b"\x00" + data[cut:]
        return data

    # -- list.rec

    def field(self, name, value):
        """(count byte, slot) for a value, with every kind of count byte."""
        capacity = FIELD_LAYOUT[name][1]
        count = self.weighted([
            (40, len(value)), (2, 0), (2, self.r.randrange(0x80, 0x100)),
            (3, len(value) + self.r.randrange(1, 10)), (2, self.r.randrange(0, len(value) + 1)),
            (1, capacity), (1, 127)])
        rest = self.pick([b"", b" " * capacity, b"\x00" * capacity, None])
        if rest is None:
            rest = self.noise(capacity)
        return count & 0xFF, (value + rest)[:capacity]

    def name_part(self, keys):
        kind = self.weighted([(6, "letters"), (3, "key"), (2, "blank"), (1, "spaced"), (1, "odd")])
        if kind == "letters":
            return self.letters(self.r.randrange(1, 8), LETTERS + SMALL)
        if kind == "key" and keys:
            return self.pick(keys).lower()[:7]
        if kind == "spaced":
            return self.letters(2, SMALL) + b" " + self.letters(1, SMALL)
        if kind == "odd":
            return self.noise(self.r.randrange(1, 8))
        return b""

    def period(self):
        name = self.pick(ERA_NAMES)
        kind = self.weighted([(20, "plain"), (6, "padded"), (2, "lead"), (2, "lower"),
                              (2, "cut"), (2, "noise"), (2, "empty"), (1, "blanks")])
        if kind == "padded":
            return name + b" " * (12 - len(name))
        if kind == "lead":
            return b" " + name
        if kind == "lower":
            return name.lower() if self.chance(0.5) else name[:1] + name[1:].lower()
        if kind == "cut":
            return name[:max(1, len(name) - 1)]
        if kind == "noise":
            return self.noise(self.r.randrange(1, 13))
        if kind == "empty":
            return b""
        if kind == "blanks":
            return b" " * 12
        return name

    def word(self, keys, name_key):
        key = self.pick(keys) if keys else self.letters(2)
        last = max(self.last_code, 600)
        kind = self.weighted([
            (20, "key"), (4, "comma"), (3, "inner"), (3, "dots"), (3, "no"), (4, "bracket"),
            (4, "name"), (4, "unknown"), (2, "onlydots"), (1, "commas"), (1, "quote"),
            (1, "odd"), (1, "newline"), (1, "first")])
        if kind == "key":
            return key.lower() if self.chance(0.7) else key
        if kind == "comma":
            return key.lower() + b","
        if kind == "inner":
            return key.lower() + b"," + self.pick(keys or [b"x"]).lower()
        if kind == "dots":
            return self.pick([key.lower() + b"...", b"..." + key.lower(),
                              key.lower() + b"...,", key.lower() + b"....", b"(no)..."])
        if kind == "no":
            return self.pick([b"(no)", b"(NO)", b"(No)", b"(no),"])
        if kind == "bracket":
            codes = b",".join(self.code() for _ in range(self.r.randrange(0, 3)))
            base = self.pick([key.lower(), self.letters(2, SMALL), name_key.lower() or b"x"])
            return self.pick([
                base + b"[" + codes + b"]", base + b"[" + codes + b"],", b"[" + codes + b"]",
                base + b"[]", base + b"[" + codes, base + b"[%d]x" % self.r.randrange(525, last + 1),
                base + b"[[%d]]" % self.r.randrange(525, last + 1), base + b"[ ]"])
        if kind == "name":
            w = name_key.lower() if self.chance(0.6) else name_key
            return w + self.pick([b"", b"", b",", b"..."]) if w else b","
        if kind == "onlydots":
            return self.pick([b"...", b"......", b".........", b"...,", b".....", b","])
        if kind == "commas":
            return self.pick([b",", b",,", b"a,,b", b",a", b"a,,"])
        if kind == "quote":
            return self.pick([b'"' + key.lower(), key.lower() + b'"', b'"'])
        if kind == "odd":
            return self.noise(self.r.randrange(1, 6))
        if kind == "newline":
            return key.lower() + b"\n" + key.lower()
        if kind == "first":
            return b"[" + key.lower()
        return self.letters(self.r.randrange(1, 6), SMALL)  # unknown word

    def word_text(self, keys, name_key):
        out = b" " * self.pick([0, 0, 0, 1, 2])
        for _ in range(self.r.randrange(0, 9)):
            out += self.word(keys, name_key) + b" " * self.pick([1, 1, 1, 2, 3])
        return out

    def record(self, keys):
        names = [self.name_part(keys) for _ in range(3)]
        name_key = model.build_name_key(*[(n + b" " * 7)[:7] for n in names])
        entry = self.weighted([
            (20, self.letters(self.r.randrange(1, 9), LETTERS + b"0123456789")),
            (3, b" " * 8), (2, b""), (1, b"\x00AB"), (1, b" A"), (1, self.noise(8))])
        values = {
            "entryId": entry,
            "name1": names[0], "name2": names[1], "name3": names[2],
            "nameCode1": self.code(4, blanks=True), "nameCode2": self.code(4, blanks=True),
            "nameCode3": self.code(4, blanks=True),
            "period": self.period(),
            "wordText": self.word_text(keys, name_key),
            "note": self.noise(self.r.randrange(0, 40)) + b" " * self.pick([0, 3, 80]),
        }
        for name in ("detail1", "detail2", "detail3", "detail4", "detail5", "detail6",
                     "detail7"):
            values[name] = self.noise(self.r.randrange(0, FIELD_LAYOUT[name][1] + 1))
        rec = bytearray(self.r.randbytes(4) + b"\x00" * 662)
        for name, value in values.items():
            offset, _ = FIELD_LAYOUT[name]
            count, slot = self.field(name, value)
            rec[offset] = count
            rec[offset + 1:offset + 1 + len(slot)] = slot
        return bytes(rec)

    def list_file(self, keys):
        if self.chance(0.03):
            return None
        n = self.weighted([(6, self.r.randrange(0, 8)), (3, self.r.randrange(8, 31)), (1, 0)])
        data = b"".join(self.record(keys) for _ in range(n))
        if self.chance(0.25):
            data += self.record(keys)[:self.r.randrange(1, 666)]
        return data

    def case(self):
        kanjis = self.kanji_file()
        keys = []
        words = self.words_file(keys)
        listrec = self.list_file(keys)
        return kanjis, words, listrec

