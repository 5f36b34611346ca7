"""The model's records: the fields of a list.rec record, and the word and
kanji lines of its word text."""

from model_tables import lookup_kanji_code
from model_text import (BLANK, decode_field, replace_all, to_upper_case, tokenize,
                        trim_trailing_blanks)

SOURCE_RECORD_SIZE = 666

FIELDS = (
    ("entryId", 4, 8),
    ("name1", 13, 7),
    ("name2", 21, 7),
    ("name3", 29, 7),
    ("nameCode1", 37, 4),
    ("nameCode2", 42, 4),
    ("nameCode3", 47, 4),
    ("detail1", 52, 8),
    ("detail2", 61, 8),
    ("period", 70, 12),
    ("detail3", 83, 18),
    ("detail4", 102, 18),
    ("detail5", 121, 10),
    ("detail6", 132, 10),
    ("detail7", 143, 10),
    ("wordText", 154, 255),
    ("note", 410, 255),
)


def decode_source_record(record):
    """The seventeen decoded fields of one 666-byte record, by name."""
    rec = {}
    for name, offset, capacity in FIELDS:
        rec[name] = decode_field(record, offset, capacity)
    return rec


def build_name_key(name1, name2, name3):
    key = to_upper_case(name1 + name2 + name3)
    return replace_all(key, BLANK, b"", 1)


def render_word_text(word_text, name_key, nk1, nk2, nk3, dictionary, table):
    """Returns (wordLine, kanjiLine) for one record's word text."""
    word_list = tokenize(to_upper_case(trim_trailing_blanks(word_text)))
    kanji_line = b""
    shown = []
    for w in word_list:
        if w == b"(NO)":
            shown.append(w)
            continue
        comma = False
        bracket_kanji = b""
        w = replace_all(w, b"...", b"", 3)
        if w == b"":
            continue  # a word of "..." groups only is left out entirely
        if w[-1:] == b",":
            comma = True
        w = replace_all(w, b",", b" ", 1)
        w = replace_all(w, b"  ", b" ", 2)
        w = trim_trailing_blanks(w)
        p = w.find(b"[")
        if p > 0:
            b = w[p + 1:]
            b = replace_all(b, b"]", b"", 1)
            b = replace_all(b, b",", b" ", 1)
            for code in tokenize(b):
                bracket_kanji = bracket_kanji + b" " + lookup_kanji_code(code, table)
            bracket_kanji = replace_all(bracket_kanji, b"  ", b" ", 2)
            w = w[:p]
        if bracket_kanji != b"":
            kanji_line = kanji_line + bracket_kanji + b" "
        else:
            entry = None
            for e in dictionary:
                if e[0] == w:
                    entry = e
                    break
            if entry is not None:
                for k in entry[2]:
                    kanji_line = kanji_line + k + b" "
            elif w == name_key:
                kanji_line = kanji_line + nk1 + b" " + nk2 + b" " + nk3 + b" "
                kanji_line = replace_all(kanji_line, b"  ", b" ", 2)
            else:
                kanji_line = kanji_line + b"? "
        if comma:
            kanji_line = kanji_line + b","
            w = w + b","
        kanji_line = replace_all(kanji_line, b" ,", b", ", 2)
        shown.append(w)
    word_line = b"".join(w + b" " for w in shown)
    kanji_line = trim_trailing_blanks(kanji_line)
    return word_line, kanji_line
