#!/usr/bin/env python3
"""Checks the Windows zip: the two 32-bit console programs, the read-me in CR LF
(telling how to run them and how to open the CSV in Excel with --bom) and the
sample data, all in one top folder.

Usage: windows_zip_test.py ZIP [SAMPLE_DIR]
"""
import os
import struct
import sys
import zipfile

I386 = 0x14C


def machine(exe):
    """The machine a PE program is built for; raises ValueError when it is no PE."""
    if exe[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE header")
    return struct.unpack_from("<H", exe, pe + 4)[0]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    sample = sys.argv[2] if len(sys.argv) == 3 else os.path.join(os.path.dirname(__file__),
                                                                 "..", "sample")
    with zipfile.ZipFile(sys.argv[1]) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
        tops = {n.split("/")[0] for n in names}
        assert len(tops) == 1, "the zip has no single top folder: %s" % sorted(tops)
        top = tops.pop() + "/"
        want = ["listconv.exe", "listconv-export.exe", "README.txt", "sample/kanjis.dat",
                "sample/words.txt", "sample/list.rec"]
        assert sorted(names) == sorted(top + w for w in want), sorted(names)
        for exe in want[:2]:
            assert machine(z.read(top + exe)) == I386, "%s is not a 32-bit program" % exe
        readme = z.read(top + "README.txt")
        assert readme.count(b"\n") == readme.count(b"\r\n") > 0, "README.txt is not in CR LF"
        for needed in (b"listconv.exe", b"--bom", b"Excel"):
            assert needed in readme, "README.txt does not mention %s" % needed.decode()
        for name in want[3:]:
            with open(os.path.join(sample, os.path.basename(name)), "rb") as f:
                assert z.read(top + name) == f.read(), "%s differs from the sample" % name
    print("%s: %s" % (os.path.basename(sys.argv[1]), ", ".join(want)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
