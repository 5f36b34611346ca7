#!/usr/bin/env python3
"""Reads listconv-export's CSV, JSON Lines and listing back and checks every value.

For a hand-made data set full of commas, quotes, line ends, zero bytes cut
off by counts and 0xFF bytes, then for data sets made by the model's case
generator (tools/model/difftest.py), it runs listconv and listconv-export in
a scratch folder and checks that:
  - the listing export in cp932 is list.txt, byte for byte, and in UTF-8 is
    list.txt transcoded;
  - each CSV row (read back with Python's csv module, in cp932) holds the
    values the model works out for its record, and they are the values its
    block in list.txt shows;
  - the UTF-8 CSV and the JSON Lines (read back with the json module) hold
    the same values transcoded, `number` an integer;
  - the CSV is written as RFC 4180 writes it (minimal quoting, CR LF);
  - the U+FFFD notice on standard error counts the bytes that are no CP932.
The transcoding is checked against a decoder built here from the tables in
src/cp932/cp932_table.inc.

  export_roundtrip_test.py --exe LISTCONV_EXPORT --listconv LISTCONV [--cases N]

LISTCONV_EXPORT_EXE, LISTCONV_EXE and LISTCONV_RUNNER (a command such as
wine) in the environment take the place of --exe and --listconv.
"""
import argparse
import csv
import io
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "tools", "model"))

import listconv_model as model  # noqa: E402
from difftest import CaseGenerator  # noqa: E402
from inputs import kanji_file, source_record  # noqa: E402

FIELDS = ["number", "entryId", "name1", "name2", "name3", "nameKey", "nameCode1", "nameCode2",
          "nameCode3", "nameKanji1", "nameKanji2", "nameKanji3", "detail1", "detail2", "period",
          "detail3", "detail4", "detail5", "detail6", "detail7", "wordText", "wordLine",
          "kanjiLine", "note"]
NOTICE = re.compile(rb"^listconv-export: (\d+) bytes could not be decoded as CP932 and were "
                    rb"written as U\+FFFD\r?\n$")


# ---- CP932 as the program decodes it ---------------------------------------

def load_decoder(inc_path):
    """A function from CP932 bytes to (text, number of U+FFFD) by the program's tables."""
    with open(inc_path, encoding="ascii") as f:
        source = re.sub(r"//[^\n]*", "", f.read())

    def table(name):
        body = re.search(name + r"\[[^=]*=\s*\{(.*?)\};", source, re.S).group(1)
        return [int(v, 0) for v in re.findall(r"0x[0-9A-Fa-f]+|\d+", body)]

    single, lead_row, pairs = table("kCp932Single"), table("kCp932LeadRow"), table("kCp932Pairs")
    first_trail = int(re.search(r"kCp932FirstTrail = (0x[0-9A-Fa-f]+)", source).group(1), 16)
    trail_count = int(re.search(r"kCp932TrailCount = (\d+)", source).group(1))
    none, no_row = 0xFFFF, 0xFF

    def decode(data):
        out, bad, i = [], 0, 0
        while i < len(data):
            b = data[i]
            i += 1
            cp = single[b]
            if cp == none and lead_row[b] != no_row and i < len(data):
                t = data[i] - first_trail
                if 0 <= t < trail_count:
                    cp = pairs[lead_row[b] * trail_count + t]
                    if cp != none:
                        i += 1
            if cp == none:
                out.append("\ufffd")
                bad += 1
            else:
                out.append(chr(cp))
        return "".join(out), bad

    return decode


# ---- what the model says the export holds ----------------------------------

def model_rows(kanjis, words, listrec):
    """The values of every listed record, as the model works them out: bytes, trailing
    blanks removed (the number an int)."""
    if listrec is None:
        return []
    table = model.load_kanji_table(kanjis)
    dictionary = model.load_word_dictionary(words, table)
    trim = model.trim_trailing_blanks
    rows = []
    reader = model.ByteReader(listrec)
    while True:
        rec = model.decode_source_record(reader.read_record(model.SOURCE_RECORD_SIZE))
        if rec["entryId"] != b"        ":
            nk = [model.lookup_kanji_code(rec[c], table)
                  for c in ("nameCode1", "nameCode2", "nameCode3")]
            key = model.build_name_key(rec["name1"], rec["name2"], rec["name3"])
            word_line, kanji_line = model.render_word_text(rec["wordText"], key, nk[0], nk[1],
                                                           nk[2], dictionary, table)
            row = {name: trim(rec[name]) for name in FIELDS if name in rec}
            row.update({"number": len(rows) + 1, "nameKey": key, "nameKanji1": trim(nk[0]),
                        "nameKanji2": trim(nk[1]), "nameKanji3": trim(nk[2]),
                        "period": trim(model.annotate_era(rec["period"])),
                        "wordLine": trim(word_line), "kanjiLine": trim(kanji_line)})
            rows.append(row)
        if reader.eof:
            return rows


def block_pattern(row):
    """A pattern of the block list.txt shows for a row: its values where the listing puts
    them, each followed by any padding."""
    def v(name):
        return re.escape(row[name].replace(b"\n", b"\r\n")) + b" *"
    return (b"%05d " % row["number"] + v("entryId") + b", " + v("nameKey") + b" \\("
            + v("nameKanji1") + b" " + v("nameKanji2") + b" " + v("nameKanji3") + b"\\)\r\n"
            + b", ".join(v(n) for n in ("detail1", "detail2", "period", "detail3", "detail4"))
            + b"\r\n" + b", ".join(v(n) for n in ("detail5", "detail6", "detail7")) + b"\r\n"
            + v("wordLine") + b"\r\n" + v("kanjiLine") + b"\r\n" + v("note")
            + b"\r\n\r\n----------\r\n")


# ---- the data sets ---------------------------------------------------------

def hand_made():
    """Commas, quotes, CR and LF, zero bytes cut off by counts and 0xFF bytes in every
    kind of field, kanji that are no CP932, and a record cut short (read as 0xFF)."""
    kanjis = kanji_file({600: b"\x88\x9f", 601: b"\xff\x82", 602: b'a,"b', 603: b"\r\n,\x82"})
    words = b'AB x 600 601\r\nQQ y 602 603\r\nFF z 601\r\n'
    first = source_record({
        "entryId": b'ID,"1"', "name1": b"a,b", "name2": b"\xff", "name3": b' "q',
        "nameCode1": b"600", "nameCode2": b"601", "nameCode3": b"60 2",
        "detail1": b"x\ny", "detail2": (2, b"ok\x00zz"), "period": b"SHOWA",
        "detail3": b'"quoted"', "detail4": b"  lead", "detail5": (5, b"ab\x00cd"),
        "detail6": b"\r", "detail7": b"\xff\xff",
        "wordText": b'ab qq, ff[601] zz "ab qq" nn[9999]... (no)',
        "note": (40, b'line one\r\nline "two", \x00 not this' + b" " * 20)})
    second = source_record({"entryId": b" " * 8, "note": b"not listed"})
    third = source_record({
        "entryId": b"\xff\xfe\x80", "name1": b"A", "nameCode1": b"3867", "nameCode2": b"12",
        "period": b"HEISEI      ", "wordText": b"a,b,, ..., [600] \x82", "note": b"\xff,\n"},
        filler=b"\xff")
    cut = source_record({"entryId": b"LAST", "detail1": b"one,two"})[:90]
    return kanjis, words, first + second + third + cut


# ---- running ---------------------------------------------------------------

class Programs:
    def __init__(self, export, listconv):
        self.runner = shlex.split(os.environ.get("LISTCONV_RUNNER", ""))
        self.export = os.environ.get("LISTCONV_EXPORT_EXE") or export
        self.listconv = os.environ.get("LISTCONV_EXE") or listconv

    def run(self, exe, folder, args=()):
        # Into files, not pipes: a Wine server started by the run keeps a pipe
        # open until it exits, seconds later.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run(self.runner + [exe] + list(args), cwd=folder,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=300)
            out.seek(0)
            err.seek(0)
            return proc.returncode, out.read(), err.read()


def undecodable_notice(err):
    """The count in the U+FFFD notice (0 when there is none); fails on anything else."""
    if not err:
        return 0
    m = NOTICE.match(err)
    assert m, "unexpected standard error: %r" % err[:300]
    return int(m.group(1))


def parse_csv(text):
    with io.StringIO(text, newline="") as f:
        rows = list(csv.reader(f, strict=True))
    assert rows and rows[0] == FIELDS, rows[:1]
    rewritten = io.StringIO(newline="")
    csv.writer(rewritten, lineterminator="\r\n").writerows(rows)
    assert rewritten.getvalue() == text, "not the CSV that minimal quoting and CR LF give"
    return rows[1:]


def read_if_there(path):
    """The bytes of the file at `path`, or None when there is none."""
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def check_case(programs, folder, files, decode):
    """Runs one data set; returns the number of listed records. Raises AssertionError."""
    for name, data in zip(("kanjis.dat", "words.txt", "list.rec"), files):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            os.remove(path)
        if data is not None:
            with open(path, "wb") as f:
                f.write(data)
    before = read_if_there(os.path.join(folder, "list.txt"))
    status, _, err = programs.run(programs.listconv, folder)
    assert (err.replace(b"\r\n", b"\n"), status) == model.messages(*files), (status, err)
    listing = read_if_there(os.path.join(folder, "list.txt"))
    if files[2] is None:
        # Nothing converted, list.txt left as it was; the export takes the
        # missing list.rec as empty.
        assert listing == before, "list.txt changed without list.rec"
        listing = b""
    want = model_rows(*files)

    def export(*args):
        status, out, err = programs.run(programs.export, folder, args)
        assert status == 0, (args, status, err)
        return out, undecodable_notice(err)

    # The listing, stored and transcoded.
    out, bad = export("--format", "listing", "--encoding", "cp932")
    assert out == listing, "the listing export is not list.txt"
    assert bad == 0
    text, want_bad = decode(listing)
    out, bad = export("--format", "listing")
    assert out.decode("utf-8") == text, "the UTF-8 listing is not list.txt transcoded"
    assert bad == want_bad, (bad, want_bad)

    # CSV of the stored bytes: every byte kept as one character of Latin-1.
    out, bad = export("--encoding", "cp932")
    rows = parse_csv(out.decode("latin-1"))
    assert bad == 0
    assert len(rows) == len(want), (len(rows), len(want))
    for got, row in zip(rows, want):
        values = [str(row["number"]).encode()] + [row[name] for name in FIELDS[1:]]
        for name, g, w in zip(FIELDS, got, values):
            assert g.encode("latin-1") == w, "record %d, %s: %r, not %r" % (row["number"], name, g, w)
    assert re.fullmatch(b"".join(block_pattern(r) for r in want), listing), \
        "the CSV's values are not those the blocks of list.txt show"

    # UTF-8: CSV and JSON Lines.
    decoded = []
    want_bad = 0
    for row in want:
        values = {"number": row["number"]}
        for name in FIELDS[1:]:
            values[name], n = decode(row[name])
            want_bad += n
        decoded.append(values)
    out, bad = export()
    assert bad == want_bad, ("csv", bad, want_bad)
    rows = parse_csv(out.decode("utf-8"))
    assert rows == [[str(v["number"])] + [v[name] for name in FIELDS[1:]] for v in decoded]
    out, bad = export("--format", "jsonl")
    assert bad == want_bad, ("jsonl", bad, want_bad)
    assert out == b"" or out.endswith(b"\n")
    lines = out.split(b"\n")[:-1]
    objects = [json.loads(line) for line in lines]
    assert [list(o) for o in objects] == [FIELDS] * len(objects)
    assert all(type(o["number"]) is int for o in objects)
    assert objects == decoded
    return len(want)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="listconv-export")
    parser.add_argument("--listconv", required=True, help="listconv")
    parser.add_argument("--cases", type=int, default=40, help="generated data sets")
    parser.add_argument("--seed", type=int, default=1, help="seed of the first")
    args = parser.parse_args()

    programs = Programs(os.path.abspath(args.exe), os.path.abspath(args.listconv))
    decode = load_decoder(os.path.join(REPO, "src", "cp932", "cp932_table.inc"))
    cases = [("hand-made", hand_made())]
    cases += [("seed %d" % s, CaseGenerator(s).case())
              for s in range(args.seed, args.seed + args.cases)]
    folder = tempfile.mkdtemp(prefix="listconv-export-roundtrip-")
    passed = failed = records = 0
    try:
        for name, files in cases:
            try:
                records += check_case(programs, folder, files, decode)
                passed += 1
            except AssertionError as e:
                failed += 1
                print("%s: %s" % (name, e))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("%d records read back" % records)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
