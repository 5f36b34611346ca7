"""The model's text tools and binary fields: words split at blanks, the
literal replacements, and the counted fields of a record. All texts are bytes."""

BLANK = b" "


def tokenize(text):
    """Splits a text into words at blanks; double-quoted groups count as one."""
    w = text + BLANK
    p = 0
    raw = []
    while True:
        if p != -1:
            q = p
            while q < len(w) and w[q] == 0x20:
                q += 1
            p = q if q < len(w) else -1
        if p != -1:
            e = p
            while e < len(w) and w[e] != 0x20 and w[e] != 0x0A:
                e += 1
            if e >= len(w):
                e = -1
        else:
            e = -1
        if e - p > 0:
            raw.append(w[p:e])
            p = e
        else:
            break

    result = []
    in_group = False
    g = b""
    for t in raw:
        opens = t[0] == 0x22
        closes = len(t) >= 2 and t[-1] == 0x22
        if in_group:
            g = g + BLANK + t
            if closes or (opens and len(t) == 1):
                result.append(g)
                in_group = False
        else:
            if opens and not closes:
                in_group = True
                g = t
            elif (opens and closes) or (not opens and not closes):
                result.append(t)
            else:
                pass  # closes without opening: dropped
    return result


def trim_trailing_blanks(text):
    """Removes the blanks (0x20 only) at the end of a text."""
    while len(text) > 0 and text[-1] == 0x20:
        text = text[:-1]
    return text


def to_upper_case(text):
    """Maps a-z to A-Z; every other byte stays."""
    return bytes(b - 32 if 0x61 <= b <= 0x7A else b for b in text)


def replace_all(text, search, replacement, length):
    """Replaces occurrences of search, restarting at position 0 each time."""
    if search in replacement:  # an empty search is in every text
        return text
    while True:
        i = text.find(search)
        if i < 0:
            return text
        text = text[:i] + replacement + text[i + length:]



class ByteReader:
    """A byte-at-a-time reader; reads past the end give 0xFF and set eof."""

    def __init__(self, data):
        self.data = data
        self.pos = 0
        self.eof = False

    def read_record(self, size):
        out = bytearray()
        for _ in range(size):
            if self.pos < len(self.data):
                out.append(self.data[self.pos])
                self.pos += 1
            else:
                out.append(0xFF)
                self.eof = True
        return bytes(out)


def decode_field(record, count_offset, capacity):
    """A count byte (signed 8-bit) followed by a slot of capacity bytes."""
    buf = bytearray(BLANK * (capacity + 1))
    n = record[count_offset]
    if n >= 0x80:
        n -= 256
    if n > 0:
        k = min(n, capacity)
        buf[0:k] = record[count_offset + 1:count_offset + 1 + k]
    buf[capacity] = 0
    z = buf.index(0)
    return bytes(buf[:z])
