#!/usr/bin/env python3
"""The way back, exact: export, import, convert gives the same bytes.

For every data folder F (the sample and the model's generated cases: odd
counts, 0xFF records, a last record cut short, zero bytes, the quirks of
words.txt, missing files), the records and dictionary exports of F are
imported into a copy of F, and then:

- listconv gives the copy the same list.txt as F;
- exporting the copy again gives the same records and dictionary exports
  (in UTF-8 but for the dictionary's `line` column: an entry that comes back
  as another code of a character is written anew on a line of its own);
- in CP932 the copy's words.txt is F's, byte for byte: the import keeps the
  lines of the entries that it does not change as they stand.

In CP932 this holds for every byte. In UTF-8 it is checked for the folders
whose texts all decode: the exports read back the same; list.txt is the same
unless a text holds one of CP932's second codes for a character, which comes
back as the code Windows writes (then the CP932 records export shows it).

  import_roundtrip_test.py --export EXE --import EXE --listconv EXE [--cases N]

LISTCONV_EXPORT_EXE, LISTCONV_IMPORT_EXE, LISTCONV_EXE and LISTCONV_RUNNER (a
command such as wine) in the environment take the place of the programs, so
that the Windows build is checked the same way (make test-windows).
"""

import argparse
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "tools", "model"))

from difftest import CaseGenerator  # noqa: E402
from listconv_model import messages  # noqa: E402

NAMES = ("kanjis.dat", "words.txt", "list.rec")


class Programs:
    def __init__(self, export, import_, listconv):
        self.runner = shlex.split(os.environ.get("LISTCONV_RUNNER", ""))
        self.export = os.environ.get("LISTCONV_EXPORT_EXE") or export
        self.import_ = os.environ.get("LISTCONV_IMPORT_EXE") or import_
        self.listconv = os.environ.get("LISTCONV_EXE") or listconv

    def run(self, args, cwd):
        # Into files, not pipes: a Wine server started by the run keeps a pipe
        # open until it exits, seconds later.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run(self.runner + args, cwd=cwd, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=300)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(proc.args, proc.returncode, out.read(), err.read())

    def exports(self, folder, encoding):
        """The records and dictionary exports of `folder`, and whether any byte
        did not decode."""
        got = {}
        undecodable = False
        for fmt in ("records", "dictionary"):
            out = os.path.join(folder, "..", "%s-%s.csv" % (os.path.basename(folder), fmt))
            p = self.run([self.export, "--format", fmt, "--encoding", encoding, "-o", out], folder)
            assert p.returncode == 0, "%s export failed: %r" % (fmt, p.stderr)
            undecodable = undecodable or b"could not be decoded" in p.stderr
            with open(out, "rb") as f:
                got[fmt] = f.read()
        return got, undecodable

    def listing(self, folder):
        """list.txt as listconv writes it in `folder`; empty when the folder
        has no list.rec, which leaves list.txt as it was."""
        p = self.run([self.listconv], folder)
        there = [b"" if os.path.exists(os.path.join(folder, name)) else None for name in NAMES]
        assert (p.stderr.replace(b"\r\n", b"\n"), p.returncode) == messages(*there), \
            "listconv failed: %r" % p.stderr
        if there[2] is None:
            return b""
        with open(os.path.join(folder, "list.txt"), "rb") as f:
            return f.read()


def without_line_column(dictionary):
    """The dictionary export without its first column, `line`."""
    rows = dictionary.split(b"\r\n")
    # `line` is a plain number: the row's first comma ends it.
    return b"\r\n".join(row.split(b",", 1)[-1] for row in rows)


def read_words(folder):
    """The bytes of the folder's words.txt, None when it has none."""
    path = os.path.join(folder, "words.txt")
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def fill(folder, files):
    os.makedirs(folder)
    for name, data in zip(NAMES, files):
        if data is not None:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


def round_trip(programs, work, files, encoding):
    """Checks one folder in one encoding; returns the number of records, or
    None when the folder's texts do not all decode (UTF-8 only)."""
    shutil.rmtree(work, ignore_errors=True)
    original = os.path.join(work, "original")
    copy = os.path.join(work, "copy")
    fill(original, files)
    fill(copy, files)
    before, undecodable = programs.exports(original, encoding)
    if undecodable:
        return None
    listing = programs.listing(original)
    exported = [os.path.join(work, "original-%s.csv" % fmt) for fmt in ("records", "dictionary")]
    p = programs.run([programs.import_, "--encoding", encoding, "-C", copy] + exported, work)
    assert p.returncode == 0, "the import refused: %s" % p.stderr.decode("utf-8", "replace")
    after, _ = programs.exports(copy, encoding)
    assert after["records"] == before["records"], "the records export differs"
    if encoding == "cp932":
        assert after["dictionary"] == before["dictionary"], "the dictionary export differs"
        assert read_words(copy) == read_words(original), "words.txt differs"
    else:
        # An entry that comes back as another code of the same character is
        # written anew, the pieces of a cut line each on a line of its own.
        assert without_line_column(after["dictionary"]) == \
            without_line_column(before["dictionary"]), "the dictionary export differs"
    if encoding == "cp932" or second_codes_kept(programs, original, copy):
        assert programs.listing(copy) == listing, "list.txt differs"
    return before["records"].count(b"\r\n") - 1


def second_codes_kept(programs, original, copy):
    """Whether the stored bytes came back the same (no second code changed)."""
    return programs.exports(original, "cp932")[0] == programs.exports(copy, "cp932")[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--export", required=True)
    parser.add_argument("--import", dest="import_", required=True)
    parser.add_argument("--listconv", required=True)
    parser.add_argument("--cases", type=int, default=60, help="generated data sets")
    parser.add_argument("--seed", type=int, default=1, help="seed of the first")
    args = parser.parse_args()

    programs = Programs(*(os.path.abspath(p) for p in (args.export, args.import_, args.listconv)))
    if programs.runner:
        args.cases = min(args.cases, 3)  # each program start under a runner is slow
    sample = []
    for name in NAMES:
        with open(os.path.join(REPO, "sample", name), "rb") as f:
            sample.append(f.read())
    cases = [("sample", sample)]
    cases += [("seed %d" % s, CaseGenerator(s).case())
              for s in range(args.seed, args.seed + args.cases)]
    work = tempfile.mkdtemp(prefix="listconv-import-roundtrip-")
    failed = 0
    counts = {"cp932": [0, 0], "utf-8": [0, 0]}  # folders, records
    try:
        for name, files in cases:
            for encoding in ("cp932", "utf-8"):
                try:
                    records = round_trip(programs, work, files, encoding)
                except AssertionError as e:
                    failed += 1
                    print("%s, %s: %s" % (name, encoding, e))
                    continue
                if records is not None:
                    counts[encoding][0] += 1
                    counts[encoding][1] += records
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for encoding, (folders, records) in counts.items():
        print("%s: %d folders, %d records identical" % (encoding, folders, records))
    print("%d failed" % failed)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
