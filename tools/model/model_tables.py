"""The model's two tables: the kanji table of kanjis.dat and the word
dictionary of words.txt."""

from model_text import BLANK, ByteReader, decode_field, replace_all, tokenize

KANJI_RECORD_SIZE = 166
LEADING_EMPTY_KANJI = 525
WORDS_LINE_BUFFER = 80  # one line read takes at most 79 characters
INT32_MIN = -(2**31)
INT32_MAX = 2**31 - 1


def load_kanji_table(data):
    """Builds the kanji table from the bytes of kanjis.dat (None: no file)."""
    table = []
    if data is None:
        return table
    reader = ByteReader(data)
    for _ in range(LEADING_EMPTY_KANJI):
        reader.read_record(KANJI_RECORD_SIZE)
        table.append(b"")
    while True:
        record = reader.read_record(KANJI_RECORD_SIZE)
        table.append(decode_field(record, 123, 4))
        if reader.eof:
            break
    return table


def scan_decimal(text):
    """Reads an int like "%d": white space, sign, digits. None: no number."""
    ws = b" \t\n\v\f\r"
    i = 0
    while i < len(text) and text[i] in ws:
        i += 1
    sign = 1
    if i < len(text) and text[i] in b"+-":
        if text[i] == 0x2D:
            sign = -1
        i += 1
    start = i
    while i < len(text) and 0x30 <= text[i] <= 0x39:
        i += 1
    if i == start:
        return None
    return sign * int(text[start:i])


def lookup_kanji_code(code_text, table):
    """Returns the kanji text of the code that code_text holds."""
    text = replace_all(code_text, BLANK, b"", 1)
    value = scan_decimal(text)
    if value is None:
        value = 0
    if value < INT32_MIN or value > INT32_MAX:
        return b"?"  # a number that a signed 32-bit int cannot hold
    result = b"?"
    if 524 < value < len(table):
        result = table[value]
    if value == 0:
        result = b""
    if value == 3867:
        result = b"1037"
    return result


# ----------------------------------------------------------- word dictionary


def windows_text(data):
    """The bytes a text-mode read delivers: up to 0x1A, CR before LF dropped."""
    cut = data.find(b"\x1a")
    if cut >= 0:
        data = data[:cut]
    out = bytearray()
    for i, b in enumerate(data):
        if b == 0x0D and i + 1 < len(data) and data[i + 1] == 0x0A:
            continue
        out.append(b)
    return bytes(out)


def read_lines(data):
    """Lines as an 80-byte line buffer delivers them: at most 79 characters,
    a line feed included; the text of a buffer ends at its first zero byte."""
    stream = windows_text(data)
    pos = 0
    lines = []
    while pos < len(stream):
        end = pos
        while end < len(stream) and end - pos < WORDS_LINE_BUFFER - 1:
            end += 1
            if stream[end - 1] == 0x0A:
                break
        piece = stream[pos:end]
        pos = end
        z = piece.find(b"\x00")
        if z >= 0:
            piece = piece[:z]
        lines.append(piece)
    return lines


def load_word_dictionary(data, table):
    """List of (key, word, kanji list) in file order (None: no file)."""
    entries = []
    if data is None:
        return entries
    key = b""
    word = b""
    kanji = []
    for line in read_lines(data):
        key = b""
        tokens = tokenize(line)
        n = len(tokens)
        if n >= 1:
            key = tokens[0]
        if n >= 2:
            word = tokens[1]
        if n >= 3:
            kanji = []
            for code in tokens[2:]:
                kanji.append(lookup_kanji_code(code, table))
        if key != b"":
            entries.append((key, word, list(kanji)))
    return entries
