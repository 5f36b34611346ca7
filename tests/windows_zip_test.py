#!/usr/bin/python3
"""Checks the Windows zip: the two 32-bit console programs, the page
listconv.html, the read-me in CR LF (telling how to run them, how to open the
CSV in Excel with --bom, how to read list.txt on a Windows that is not
Japanese, and which folder the zip unpacks to) and the sample data, all in one
top folder. Then the zip's page, unpacked, converts the zip's sample in
headless Chromium and must give the sample's list.txt, with no network
request.

Usage: windows_zip_test.py [--work DIR] ZIP [SAMPLE_DIR]

The browser part needs Debian's chromium, chromium-driver and python3-selenium
(run it with /usr/bin/python3); without them it prints "SKIPPED: ..." and
exits with 77 once the zip's content has passed.
"""
import argparse
import os
import shutil
import struct
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "web"))
sys.path.insert(0, os.path.join(HERE, "browser"))
from headless import Skip, start_browser  # noqa: E402
import page_test  # noqa: E402

SKIP = 77
I386 = 0x14C
WINDOW_SIZE = "1280,1000"
SAMPLE_INPUTS = ["sample/kanjis.dat", "sample/words.txt", "sample/list.rec"]
CONTENT = ["listconv.exe", "listconv-export.exe", "listconv-import.exe", "listconv.html", "README.txt"] + SAMPLE_INPUTS


def machine(exe):
    """The machine a PE program is built for; raises ValueError when it is no PE."""
    if exe[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE header")
    return struct.unpack_from("<H", exe, pe + 4)[0]


def check_content(z, sample):
    """Checks what the zip holds; returns its top folder's name."""
    names = [n for n in z.namelist() if not n.endswith("/")]
    tops = {n.split("/")[0] for n in names}
    assert len(tops) == 1, "the zip has no single top folder: %s" % sorted(tops)
    top = tops.pop()
    assert sorted(names) == sorted(top + "/" + c for c in CONTENT), sorted(names)
    for exe in ("listconv.exe", "listconv-export.exe", "listconv-import.exe"):
        assert machine(z.read(top + "/" + exe)) == I386, "%s is not a 32-bit program" % exe
    page = z.read(top + "/listconv.html")
    assert page.startswith(b"<!DOCTYPE html>") and b"</html>" in page, "listconv.html is no page"
    readme = z.read(top + "/README.txt")
    assert readme.count(b"\n") == readme.count(b"\r\n") > 0, "README.txt is not in CR LF"
    # The folder the examples use is the one the zip unpacks to.
    for needed in (b"listconv.exe", b"--bom", b"Excel", b"listconv.html",
                   b"--format listing", b"Shift-JIS", top.encode(), b"C:\\" + top.encode()):
        assert needed in readme, "README.txt does not mention %s" % needed.decode()
    for name in SAMPLE_INPUTS:
        with open(os.path.join(sample, os.path.basename(name)), "rb") as f:
            assert z.read(top + "/" + name) == f.read(), "%s differs from the sample" % name
    return top


def check_page_converts(unpacked, expected_listing, work):
    """Converts the unpacked sample in the unpacked page; raises Skip without
    Chromium or Selenium."""
    downloads, profile = os.path.join(work, "downloads"), os.path.join(work, "profile")
    for folder in (downloads, profile):
        shutil.rmtree(folder, ignore_errors=True)
    driver = start_browser(profile, WINDOW_SIZE, downloads,
                           performance_log=True)
    try:
        page = page_test.Page(driver, os.path.join(unpacked, "listconv.html"), downloads)
        page.open()
        page.choose(os.path.join(unpacked, "sample"))
        state, fault = page.convert()
        assert not fault and state == "done", (state, fault)
        got = page.download("get-list", "zip", len(expected_listing))
        assert got == expected_listing, "the page's list.txt differs from the sample's"
        page_test.check_no_requests(page)
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("zip")
    parser.add_argument("sample", nargs="?", default=os.path.join(HERE, "..", "sample"))
    parser.add_argument("--work", help="a folder for the unpacked zip and the browser's files "
                                       "(default: a temporary one)")
    args = parser.parse_args()
    with zipfile.ZipFile(args.zip) as z:
        top = check_content(z, args.sample)
        print("%s: %s in %s/" % (os.path.basename(args.zip), ", ".join(CONTENT), top))
        work = os.path.abspath(args.work) if args.work else tempfile.mkdtemp(prefix="zip-test-")
        shutil.rmtree(os.path.join(work, "unpacked"), ignore_errors=True)
        z.extractall(os.path.join(work, "unpacked"))
    try:
        with open(os.path.join(args.sample, "list.txt"), "rb") as f:
            expected = f.read()
        check_page_converts(os.path.join(work, "unpacked", top), expected, work)
    except Skip as e:
        print("SKIPPED: the zip's page in a browser: %s" % e)
        return SKIP
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
    print("%s: its listconv.html converts its sample to the sample's list.txt" % top)
    return 0


if __name__ == "__main__":
    sys.exit(main())
