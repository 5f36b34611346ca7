#!/usr/bin/env python3
"""Second, deliberately plain implementation of the listing converter.

It turns the three input files of a folder (kanjis.dat, words.txt, list.rec)
into the exact bytes that the converter writes to list.txt and to the console.
Every step is written out the slow, literal way so that it can serve as an
independent reference for the C++ program in randomised comparisons.

All texts are bytes objects; nothing is ever decoded.

Usage: listconv_model.py [FOLDER]
  converts the inputs in FOLDER (default: the current folder), writes what
  list.txt would hold to FOLDER/list.model.txt (nothing without list.rec,
  which leaves list.txt as it was) and prints the console output.
"""

import os
import sys

# The model's parts, by concern; difftest.py and the tests reach them all
# through this module.
from model_eras import ERA_ROWS, annotate_era  # noqa: F401
from model_records import (FIELDS, SOURCE_RECORD_SIZE, build_name_key,  # noqa: F401
                           decode_source_record, render_word_text)
from model_tables import (KANJI_RECORD_SIZE, load_kanji_table, load_word_dictionary,  # noqa: F401
                          lookup_kanji_code)
from model_text import (BLANK, ByteReader, decode_field, replace_all, to_upper_case,  # noqa: F401
                        tokenize, trim_trailing_blanks)

# ---------------------------------------------------------------- the run


def listing_block(count, rec, name_key, nk, word_line, kanji_line, note, period):
    """The seven lines of one accepted record as (what, bytes) pairs; each
    line feed is already written as a carriage return and a line feed."""
    number = b"%05d" % count  # at least five digits, zero-padded
    lines = [
        ("number/id/name key/name kanji", number + b" " + rec["entryId"] + b", " + name_key
         + b" (" + nk[0] + b" " + nk[1] + b" " + nk[2] + b")\n"),
        ("details 1-2/period/details 3-4", b", ".join(
            [rec["detail1"], rec["detail2"], period, rec["detail3"], rec["detail4"]]) + b"\n"),
        ("details 5-7", b", ".join([rec["detail5"], rec["detail6"], rec["detail7"]]) + b"\n"),
        ("word line", word_line + b"\n"),
        ("kanji line", kanji_line + b"\n"),
        ("note", note + b"\n\n"),
        ("hyphens", b"----------\n"),
    ]
    return [(what, text.replace(b"\n", b"\r\n")) for what, text in lines]


def convert_lines(kanjis, words, listrec):
    """Like convert, but list.txt comes as (block number, what, bytes) lines."""
    console = b"\n"
    table = load_kanji_table(kanjis)
    dictionary = load_word_dictionary(words, table)
    lines = []
    if listrec is None:
        return lines, console
    count = 0
    reader = ByteReader(listrec)
    while True:
        record = reader.read_record(SOURCE_RECORD_SIZE)
        rec = decode_source_record(record)
        nk = [lookup_kanji_code(rec[c], table)
              for c in ("nameCode1", "nameCode2", "nameCode3")]
        note = trim_trailing_blanks(rec["note"])
        name_key = build_name_key(rec["name1"], rec["name2"], rec["name3"])
        word_line, kanji_line = render_word_text(
            rec["wordText"], name_key, nk[0], nk[1], nk[2], dictionary, table)
        padded_key = name_key + BLANK * (21 - len(name_key))
        period = annotate_era(rec["period"])
        if rec["entryId"] != b"        ":
            count += 1
            for what, text in listing_block(count, rec, padded_key, nk, word_line,
                                            kanji_line, note, period):
                lines.append((count, what, text))
        if reader.eof:
            break
    console += b"%d records written to file LIST.TXT\n" % count
    return lines, console


def convert(kanjis, words, listrec):
    """Contents of the three inputs (None: file missing) -> (list.txt, console);
    list.txt is None when the run leaves it as it was (no list.rec)."""
    lines, console = convert_lines(kanjis, words, listrec)
    if listrec is None:
        return None, console
    return b"".join(text for _, _, text in lines), console


def messages(kanjis, words, listrec):
    """(standard error, exit status) of a run on inputs that are missing
    (None) or there and readable: a run without list.rec leaves list.txt as
    it was and fails; a missing table is told with what the listing shows
    instead."""
    if listrec is None:
        return b"listconv: no list.rec in this folder: list.txt left as it was\n", 1
    err = b""
    if kanjis is None:
        err += (b"listconv: no kanjis.dat in this folder: the listing shows ? for every kanji "
                b"code (and 1037 for code 3867)\n")
    if words is None:
        err += (b"listconv: no words.txt in this folder: words get kanji only from codes in "
                b"brackets and from the record's own name, the others show ?\n")
    return err, 0


def read_optional(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def convert_folder(folder):
    """Runs the model on the input files of a folder."""
    return convert(read_optional(os.path.join(folder, "kanjis.dat")),
                   read_optional(os.path.join(folder, "words.txt")),
                   read_optional(os.path.join(folder, "list.rec")))


def main(argv):
    folder = argv[1] if len(argv) > 1 else "."
    listing, console = convert_folder(folder)
    if listing is not None:
        with open(os.path.join(folder, "list.model.txt"), "wb") as f:
            f.write(listing)
    sys.stdout.buffer.write(console)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
