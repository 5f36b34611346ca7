#!/usr/bin/python3
"""Uses the page build-web/listconv.html in headless Chromium as a person would,
and compares what it gives with the native programs.

  page_test.py --page listconv.html --listconv LISTCONV --export LISTCONV-EXPORT
               --bench-data LISTCONV_BENCH_DATA --sample sample/ --work DIR [--no-large]
  page_test.py --bench --page listconv.html --listconv LISTCONV
               (--data FOLDER... | --bench-data LISTCONV_BENCH_DATA) --work DIR [--runs N]

In one browser session:
  - the sample and data sets made by tools/model's case generator (odd codes,
    records of 0xFF bytes, words.txt quirks, missing files) are converted;
    list.txt, the CSV and the report of unknowns are downloaded and must equal
    the native programs' bytes; the console lines must equal listconv's;
  - while converting, the page makes no network request (Chromium's
    performance log) and breaks no rule of its Content-Security-Policy;
  - files chosen before the worker's module has told the page its facts are
    taken once it has;
  - a failure inside the conversion shows a message and the page converts
    again afterwards;
  - the benchmark's data set (100,000 records) gives listconv's list.txt, with
    a progress bar that moves and a page that answers meanwhile.
  - the sample's unknown word UNKNOWNWORD is mended in the page by typing its
    kanji: the words.txt it offers is the one listconv-import writes for that
    entry, the listing converted again is listconv's from it and the check's
    report is of the words.txt with the entry;
  - the kanji look-up takes blanks as separators, and codes beside kanji;
  - each unknown's "show block N" marks block N in view, where notes before
    it hold line feeds too;
  - without list.rec, and with a PNG as list.rec, the page's messages name no
    folder of its own, and say what was not made and why (the mending
    section too, whose unknowns of the conversion before are gone).
Screenshots are kept in DIR: before-files.png (the page as it opens),
sample.png (the sample converted), mended.png (the mending section after a
word was added), show-block.png (a block marked) and wrong-file.png (a PNG
given as list.rec).

With --bench it checks nothing: it prints the page's time and listconv's on
the benchmark's data set (each FOLDER, or one made by the generator) and their
ratio, for make bench, with where the page's time went (the module's run, of
it the reads of the inputs and the writes of list.txt, and handing list.txt
over) and the browser's CPU time against listconv's.

The page in the browser and what every check uses of it are in
page_browser.py, the mending checks in page_mending_checks.py, the timing
and the large conversion in page_bench.py.

Needs Debian's chromium, chromium-driver and python3-selenium (run it with
/usr/bin/python3), and the page (make web); without them it prints
"SKIPPED: ..." and exits with 77.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "model"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "browser"))
from headless import Skip, start_browser  # noqa: E402
from page_bench import PAGE_RUNS, bench, check_large, large_data_set  # noqa: E402
from page_browser import (FAULT_ONCE, HOLD_WORKER, INPUTS, WAIT_SECONDS, Page,  # noqa: E402
                          check_no_requests, page_text, present_inputs, run, wait_until)
from page_mending_checks import check_mending, check_show_block  # noqa: E402

SKIP = 77
WINDOW_SIZE = "1280,1500"
GENERATED_SEEDS = range(1, 25)
# Data sets of the generator with files taken away: (seed, files left out).
MISSING_CASES = [(101, ("kanjis.dat",)), (102, ("words.txt",)), (103, ("list.rec",)),
                 (104, INPUTS)]


# ---- the data sets and what the native programs make of them -------------

def make_sets(sample, root):
    """{name: folder} of the data sets, written under root."""
    from difftest import CaseGenerator
    sets = {"sample": sample}
    cases = [(seed, ()) for seed in GENERATED_SEEDS] + MISSING_CASES
    for seed, left_out in cases:
        folder = os.path.join(root, "seed-%d" % seed)
        os.makedirs(folder, exist_ok=True)
        for name, data in zip(INPUTS, CaseGenerator(seed).case()):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                os.remove(path)
            if data is not None and name not in left_out:
                with open(path, "wb") as f:
                    f.write(data)
        sets["seed-%d" % seed] = folder
    return sets


def native_results(args, name, folder, root):
    """What listconv and listconv-export make of the data set: a dict of bytes."""
    scratch = os.path.join(root, name)
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    for input_name in present_inputs(folder):
        shutil.copy(os.path.join(folder, input_name), scratch)
    proc = run([args.listconv], cwd=scratch)
    # A folder without list.rec gets no list.txt.
    listing = os.path.join(scratch, "list.txt")
    results = {"list.txt": open(listing, "rb").read() if os.path.exists(listing) else None,
               "stdout": proc.stdout, "stderr": proc.stderr}
    for key, options in (("listing.csv", ["--format", "csv"]),
                         ("unknown.csv", ["--format", "unknown"]),
                         ("listing-bom.csv", ["--format", "csv", "--bom"]),
                         ("list-utf8.txt", ["--format", "listing"])):
        out = os.path.join(scratch, key)
        run([args.export, "-C", scratch, "-o", out] + options)
        # A folder without list.rec has nothing to export: no file is written.
        results[key] = open(out, "rb").read() if os.path.exists(out) else None
    return results


# ---- checks ----------------------------------------------------------------

def console_expected(native):
    """The console lines listconv printed, as the page shows them."""
    lines = []
    for stream, data in (("out", native["stdout"]), ("err", native["stderr"])):
        lines += [[stream, line + "\n"] for line in data.decode("utf-8").split("\n")[:-1]]
    return lines


def check_data_sets(page, sets, natives, screenshot):
    failures = []
    for name, folder in sets.items():
        native = natives[name]
        try:
            page.choose(folder)
            states = page.file_states()
            if not present_inputs(folder):
                # Nothing given: nothing is missing yet, and nothing to convert.
                assert all(v == "" for v in states.values()), states
                assert page.js("return document.getElementById('convert').disabled")
                continue
            for input_name in INPUTS:
                missing = not os.path.exists(os.path.join(folder, input_name))
                assert states[input_name].startswith("missing") == missing, states
            state, fault = page.convert()
            assert not fault, fault
            # The check's report, shown above the results when it comes,
            # moves the links down: they are clicked once it has come.
            page.wait_for_check(time.monotonic())
            # The order of out and err lines is the program's only within each.
            lines = page.console_lines()
            assert sorted(lines, key=lambda l: l[0] != "out") == console_expected(native), lines
            for link, key in (("get-list", "list.txt"), ("get-csv", "listing.csv"),
                              ("get-unknown", "unknown.csv")):
                if native[key] is None:
                    continue
                got = page.download(link, name, len(native[key]))
                assert got == native[key], "%s differs from the native %s" % (link, key)
            if name == "sample":
                check_sample_extras(page, native, screenshot)
        except Exception:
            failures.append("%s:\n%s" % (name, traceback.format_exc()))
    assert not failures, "\n".join(failures)
    return "%d data sets" % len(sets)


def check_sample_extras(page, native, screenshot):
    """On the sample: the listing shown, the CSV with a byte-order mark, the
    catalogue in a tab of its own."""
    page.driver.save_screenshot(screenshot)
    shown = page.text("listing")
    assert shown == native["list-utf8.txt"].decode("utf-8"), "the listing shown differs"
    page.js("document.getElementById('bom').click()")
    page.wait_for(("done",))
    got = page.download("get-csv", "sample-bom", len(native["listing-bom.csv"]))
    page.js("document.getElementById('bom').click()")
    page.wait_for(("done",))
    assert got == native["listing-bom.csv"], "the CSV with a byte-order mark differs"

    driver = page.driver
    main = driver.current_window_handle
    page.js("document.getElementById('open-html').click()")
    deadline = time.monotonic() + 10
    while len(driver.window_handles) < 2 and time.monotonic() < deadline:
        time.sleep(0.05)
    tab = [h for h in driver.window_handles if h != main][0]
    driver.switch_to.window(tab)
    try:
        deadline = time.monotonic() + 10
        count = ""
        while time.monotonic() < deadline:
            count = driver.execute_script(
                "var c = document.getElementById('count'); return c ? c.textContent : ''")
            if count:
                break
            time.sleep(0.05)
        assert count == "12 records", count
    finally:
        driver.close()
        driver.switch_to.window(main)


def check_fault(page, sample, native):
    page.open([FAULT_ONCE])
    page.choose(sample)
    state, fault = page.convert()
    assert "Cannot enlarge memory" in fault, (state, fault)
    assert not page.js("return document.getElementById('convert').disabled")
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    got = page.download("get-list", "after-fault", len(native["list.txt"]))
    assert got == native["list.txt"]


def check_files_before_module(page, sample, native):
    """Files chosen while the module has not yet told the page which the data
    files are wait for it, and are then taken as if chosen afterwards."""
    page.open([HOLD_WORKER])
    page.choose(sample)
    assert page.file_states() == {name: "" for name in INPUTS}, page.file_states()
    assert page.js("return document.getElementById('convert').disabled")
    page.js("window.__worker.postMessage('release')")
    deadline = time.monotonic() + WAIT_SECONDS
    while page.js("return document.getElementById('convert').disabled"):
        assert time.monotonic() < deadline, "the page did not take the module's facts"
        time.sleep(0.02)
    states = page.file_states()
    assert not any(v.startswith("missing") for v in states.values()), states
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    got = page.download("get-list", "before-facts", len(native["list.txt"]))
    assert got == native["list.txt"]
# The page's own folders, which no message may show.
PAGE_FOLDERS = ("/data", "/side", "/in", "/out")


def check_messages(page, args, work):
    """Before any file, nothing is missing and Convert waits; without list.rec
    and with a PNG as list.rec, the messages are the person's, naming no
    folder of the page's own; where listconv-export has the check, its report
    on the files is shown before converting."""
    sample = args.sample
    has_check = run([args.export, "-C", sample, "--format", "check", "-o", os.devnull]).returncode != 2
    page.open()
    page.driver.save_screenshot(os.path.join(work, "before-files.png"))
    assert all(v == "" for v in page.file_states().values()), page.file_states()
    assert page.js("return document.getElementById('convert').disabled")

    no_records = os.path.join(work, "sets", "no-records")
    png_records = os.path.join(work, "sets", "png-records")
    for folder in (no_records, png_records):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name in ("kanjis.dat", "words.txt"):
            shutil.copy(os.path.join(sample, name), folder)
    with open(os.path.join(png_records, "list.rec"), "wb") as f:
        # A PNG's signature and header, then bytes that are no whole record.
        f.write(b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR" + bytes(range(256)) * 302)

    # The sample's unknowns first: a conversion without list.rec drops them
    # and says why the mending section has nothing.
    page.choose(sample)
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    assert not page.js("return document.getElementById('unknowns').hidden")
    page.choose(no_records)
    assert page.file_states()["list.rec"].startswith("missing"), page.file_states()
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    assert page.js("return document.getElementById('unknowns').hidden && "
                   "!document.querySelector('#unknowns tbody tr')")
    summary = page.text("unknown-summary")
    assert summary.startswith("Nothing to mend: no list.rec was given"), summary
    text = page_text(page)
    exports = page.text("exports")
    assert "Not made, as no list.rec was given" in exports, exports
    assert "Ready" not in exports, exports
    # listconv says why it made no list.txt, as it does in a folder.
    assert "listconv: no list.rec in this folder: list.txt left as it was" in text, text
    assert "listconv wrote no list.txt (exit status 1" in text, text

    # Convert at once: the conversion and the check run side by side, and
    # each gives its answer.
    page.choose(png_records)
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    if has_check:
        report = wait_until(page, "return !document.getElementById('check-section').hidden && "
                                  "document.getElementById('check').textContent", "the check's report")
        assert "list.rec" in report, report
        # The page's own list, not a command the page's user may not have.
        assert "Mending below lists them" in report and "--format" not in report, report
    page.driver.find_element("id", "drop").location_once_scrolled_into_view
    page.driver.save_screenshot(os.path.join(work, "wrong-file.png"))
    text = page_text(page)
    for folder in PAGE_FOLDERS:
        assert folder + "/" not in text and " in " + folder not in text, text
    assert page.js("return document.getElementById('check-section').hidden") != has_check
    return "the check's report %s" % ("shown" if has_check else
                                       "not shown (listconv-export has no check format)")


# ---- main -------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--page", required=True)
    parser.add_argument("--listconv", required=True)
    parser.add_argument("--export")
    parser.add_argument("--import", dest="import_", help="listconv-import")
    parser.add_argument("--bench-data", help="the benchmark's data generator")
    parser.add_argument("--sample")
    parser.add_argument("--work", required=True, help="a folder for data, downloads and the screenshot")
    parser.add_argument("--no-large", action="store_true", help="leave out the 100,000 records")
    parser.add_argument("--bench", action="store_true",
                        help="check nothing: time the page against listconv")
    parser.add_argument("--data", action="append",
                        help="with --bench: a data set to time (else the generator's); repeatable")
    parser.add_argument("--runs", type=int, default=PAGE_RUNS,
                        help="with --bench: the page's runs on each data set (default %d)" % PAGE_RUNS)
    args = parser.parse_args()
    if args.bench and not (args.data or args.bench_data):
        parser.error("--bench needs --data or --bench-data")
    if not args.bench and not (args.export and args.import_ and args.sample and args.bench_data):
        parser.error("--export, --import, --sample and --bench-data are needed, but with --bench")
    for name in ("listconv", "export", "import_", "bench_data", "sample", "work", "page"):
        if getattr(args, name):
            setattr(args, name, os.path.abspath(getattr(args, name)))
    args.data = [os.path.abspath(d) for d in args.data or []]
    if not os.path.exists(args.page):
        print("SKIPPED: %s is missing: make web builds it (apt-get install emscripten node-acorn)"
              % args.page)
        return SKIP

    os.makedirs(args.work, exist_ok=True)
    downloads = os.path.join(args.work, "downloads")
    shutil.rmtree(downloads, ignore_errors=True)
    scratch = tempfile.mkdtemp(prefix="page-test-")
    try:
        driver = start_browser(os.path.join(scratch, "profile"), WINDOW_SIZE, downloads,
                               performance_log=True)
    except Skip as e:
        print("SKIPPED: %s" % e)
        shutil.rmtree(scratch, ignore_errors=True)
        return SKIP

    try:
        page = Page(driver, args.page, downloads)
        if args.bench:
            for folder in args.data or [large_data_set(args.bench_data, args.work)]:
                bench(page, args, folder)
            return 0
        return run_checks(page, args)
    finally:
        driver.quit()
        shutil.rmtree(scratch, ignore_errors=True)


def run_checks(page, args):
    """Runs every check, printing what each gave; returns the exit status."""
    failed = passed = 0
    started = time.monotonic()
    sets = make_sets(args.sample, os.path.join(args.work, "sets"))
    natives = {name: native_results(args, name, folder, os.path.join(args.work, "native"))
               for name, folder in sets.items()}
    load = page.open()
    assert load, "the performance log shows no request, not even the page's own loading"
    checks = [("the data sets convert as the programs do, with no request",
               lambda: (check_data_sets(page, sets, natives,
                                        os.path.join(args.work, "sample.png")),
                        check_no_requests(page))[0]),
              ("messages before files, without list.rec and with a PNG as list.rec",
               lambda: check_messages(page, args, args.work)),
              ("UNKNOWNWORD mended in the page as listconv-import mends it, with no request",
               lambda: (check_mending(page, args, args.sample, args.work),
                        check_no_requests(page))[0]),
              ("show block N marks block N, notes with line feeds before it",
               lambda: check_show_block(page, args, args.work)),
              ("files chosen before the module has started are taken",
               lambda: check_files_before_module(page, args.sample, natives["sample"])),
              ("a failure in the conversion leaves the page usable",
               lambda: check_fault(page, args.sample, natives["sample"]))]
    if not args.no_large:
        checks.append(("100,000 records as listconv converts them, the page answering meanwhile",
                       lambda: (check_large(page, args, args.work),
                                check_no_requests(page))[0]))
    for name, check in checks:
        check_started = time.monotonic()
        try:
            detail = check()
        except Exception:
            failed += 1
            print("FAIL %s\n%s" % (name, traceback.format_exc()))
            continue
        passed += 1
        print("ok   %s (%.0f s)%s" % (name, time.monotonic() - check_started,
                                    ": %s" % detail if detail else ""))
    print("%d passed, %d failed in %.0f s" % (passed, failed, time.monotonic() - started))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
