#!/usr/bin/env python3
"""Times listconv against an I/O floor on generated data sets.

The floor does the least any converter must: it reads the three inputs
(cat to /dev/null) and writes a list.txt of the same size as listconv's
(cat of a saved listing). Runs alternate between the two, so load on the
machine falls on both alike. Peak resident memory is measured by GNU time in a run
of its own (from wait4() without it).

Then, in headless Chromium (the browser tests' --bench modes): the page of
make web (--page) against listconv on the default data set and on one with a
dictionary ten times as large, with where the page's time went, and the HTML
catalogue page at 300,000 rows (the time to filter, among others).

With --before, an earlier build's listconv-export runs in turn with this
one's on every format, and with --before-page an earlier page is timed after
this one: figures before and after a change, from one run on one machine.

    run_bench.py --build DIR [--runs N] [--scale-runs N] [--no-scaling]
                 [--page PAGE] [--page-runs N] [--no-browser | --browser-only]
                 [--before BUILD] [--before-page PAGE]
    run_bench.py --build DIR --profile [--profile-records R]
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

DEFAULT_KANJI = 7000
DEFAULT_WORDS = 30000
DEFAULT_RECORDS = 100000
INPUTS = ("kanjis.dat", "words.txt", "list.rec")
# The page is timed on the default data set and on one with a dictionary ten
# times as large, where the dictionary's share of the time is largest.
PAGE_WORDS = (DEFAULT_WORDS, 10 * DEFAULT_WORDS)
FLOOR_COMMAND = "cat kanjis.dat words.txt list.rec >/dev/null && cat ../{ref} >list.txt"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The browser tests need Debian's Python, which has Selenium.
BROWSER_PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
SKIPPED = 77


def fail(message):
    print("run_bench: " + message, file=sys.stderr)
    sys.exit(1)


def data_set(build, data_root, kanji, words, records):
    """Generates a data set unless an up-to-date one is there; returns its folder."""
    generator = os.path.join(build, "bench", "listconv_bench_data")
    folder = os.path.join(data_root, "k%d-w%d-r%d" % (kanji, words, records))
    stamp = os.path.join(folder, ".complete")
    if os.path.exists(stamp) and os.path.getmtime(stamp) >= os.path.getmtime(generator):
        return folder
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([generator, "--kanji", str(kanji), "--words", str(words),
                    "--records", str(records), "--out", folder], check=True,
                   stdout=subprocess.DEVNULL)
    open(stamp, "w").close()
    return folder


def timed(argv, folder, shell=False):
    """Runs a command in `folder`; returns (wall seconds, CPU seconds, peak RSS in KiB,
    stdout). CPU time (user + system, the command's children included) varies less
    with the machine's load than wall time."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=folder, shell=shell, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
    out = child.stdout.read()
    child.stdout.close()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        fail("%s failed in %s (status %d): %s" % (argv, folder, child.returncode,
                                                   out.decode(errors="replace").strip()))
    return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, out


def peak_kib(argv, folder):
    """Peak resident memory of one run of a command in KiB, through GNU time, or
    None without it. The rusage of a child of this script would count this
    script's own memory too, which the child held until it started the command."""
    gnu_time = "/usr/bin/time"
    if not os.path.exists(gnu_time):
        return None
    report = os.path.abspath(os.path.join(folder, ".peak-rss"))
    subprocess.run([gnu_time, "-f", "%M", "-o", report] + argv, cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(report) as f:
        peak = int(f.read().split()[-1])
    os.remove(report)
    return peak


def compare(listconv, folder, runs):
    """Times listconv and the floor, alternating; returns a dict of results."""
    name = os.path.basename(folder)
    ref = name + ".list.txt"
    # Warm-up: fills the page cache, checks the program, keeps its listing.
    _, _, _, out = timed([listconv], folder)
    shutil.copyfile(os.path.join(folder, "list.txt"), os.path.join(folder, "..", ref))
    floor = FLOOR_COMMAND.format(ref=ref)
    timed(floor, folder, shell=True)

    conv_times, floor_times, ratios, rss = [], [], [], []
    conv_cpu, floor_cpu = [], []
    for i in range(runs):
        order = ("conv", "floor") if i % 2 == 0 else ("floor", "conv")
        pair = {}
        for which in order:
            if which == "conv":
                seconds, cpu, peak, _ = timed([listconv], folder)
                rss.append(peak)
                conv_cpu.append(cpu)
            else:
                seconds, cpu, _, _ = timed(floor, folder, shell=True)
                floor_cpu.append(cpu)
            pair[which] = seconds
        conv_times.append(pair["conv"])
        floor_times.append(pair["floor"])
        ratios.append(pair["conv"] / pair["floor"])
    sizes = {f: os.path.getsize(os.path.join(folder, f)) for f in INPUTS + ("list.txt",)}
    os.remove(os.path.join(folder, "..", ref))
    return {
        "conv": statistics.median(conv_times),
        "floor": statistics.median(floor_times),
        "ratio": statistics.median(ratios),
        "conv_cpu": statistics.median(conv_cpu),
        "floor_cpu": statistics.median(floor_cpu),
        "conv_all": conv_times,
        "floor_all": floor_times,
        "rss_kib": peak_kib([listconv], folder) or max(rss),
        "sizes": sizes,
        "summary": out.decode(errors="replace").strip(),
    }


def mib(n):
    return n / (1024.0 * 1024.0)


def print_comparison(result, runs):
    s = result["sizes"]
    print("data: kanjis.dat %.1f MiB, words.txt %.1f MiB, list.rec %.1f MiB -> list.txt %.1f MiB"
          % (mib(s["kanjis.dat"]), mib(s["words.txt"]), mib(s["list.rec"]), mib(s["list.txt"])))
    print("listconv says: %s" % result["summary"])
    print("%d runs each, alternating" % runs)
    print("  listconv  median %7.3f s   runs: %s" % (
        result["conv"], " ".join("%.3f" % t for t in result["conv_all"])))
    print("  I/O floor median %7.3f s   runs: %s" % (
        result["floor"], " ".join("%.3f" % t for t in result["floor_all"])))
    print("  median of per-pair ratios listconv / floor: %.2f" % result["ratio"])
    print("  CPU time (user + system) median: listconv %.3f s, floor %.3f s" % (
        result["conv_cpu"], result["floor_cpu"]))
    print("  listconv peak resident memory: %.1f MiB" % (result["rss_kib"] / 1024.0))


def median_run(argv, folder, runs):
    """Median wall and CPU seconds of `runs` runs of a command in `folder`."""
    return median_runs([argv], folder, runs)[0]


def median_runs(argvs, folder, runs):
    """(median wall, median CPU seconds) of each command, run in turn `runs`
    times in `folder`, so that load on the machine falls on all alike."""
    walls, cpus = [[] for _ in argvs], [[] for _ in argvs]
    for _ in range(runs):
        for i, argv in enumerate(argvs):
            wall, cpu, _, _ = timed(argv, folder)
            walls[i].append(wall)
            cpus[i].append(cpu)
    return [(statistics.median(w), statistics.median(c)) for w, c in zip(walls, cpus)]


def edit_reserved(path):
    """Changes the reserved bytes of the first record in a records CSV export:
    one field of one record, so that the import rewrites list.rec."""
    with open(path, "rb") as f:
        data = f.read()
    header_end = data.index(b"\r\n") + 2
    cell = data.index(b",", header_end) + 1
    old = data[cell:cell + 8]
    new = b"00000001" if old != b"00000001" else b"00000002"
    with open(path, "wb") as f:
        f.write(data[:cell] + new + data[cell + 8:])


def import_timing(build, folder, runs, edit=False):
    """Times listconv-import of `folder`'s records and dictionary exports into a
    copy of it; returns (wall, CPU, peak KiB). Unedited, the import finds
    nothing changed and writes nothing; with `edit`, one field of one record
    differs, so list.rec is written whole, synced, read back and put in place
    (the copy's list.rec is put back before every run, not timed)."""
    export = os.path.abspath(os.path.join(build, "listconv-export"))
    importer = os.path.abspath(os.path.join(build, "listconv-import"))
    work = os.path.join(folder, "..", os.path.basename(folder) + ".import")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for name in INPUTS:
        shutil.copyfile(os.path.join(folder, name), os.path.join(work, name))
    exports = []
    for fmt in ("records", "dictionary"):
        path = os.path.abspath(os.path.join(work, fmt + ".csv"))
        timed([export, "--format", fmt, "--encoding", "cp932", "-o", path], folder)
        exports.append(path)
    if edit:
        edit_reserved(exports[0])
    # No backup piles up over the runs (an earlier build knows no --backup).
    helps = subprocess.run([importer, "--help"], capture_output=True, text=True).stdout
    argv = [importer, "--encoding", "cp932"] + (["--backup=none"] if "--backup" in helps else [])
    argv += exports
    original = os.path.join(folder, "list.rec")

    def restore():
        shutil.copyfile(original, os.path.join(work, "list.rec"))

    walls, cpus = [], []
    for i in range(runs + 1):  # the first is a warm-up
        restore()
        wall, cpu, _, _ = timed(argv, work)
        if i > 0:
            walls.append(wall)
            cpus.append(cpu)
    restore()
    peak = peak_kib(argv, work)
    shutil.rmtree(work)
    return statistics.median(walls), statistics.median(cpus), peak


def export_formats(export):
    """The format names that listconv-export's help lists."""
    text = subprocess.run([export, "--help"], check=True, capture_output=True,
                          text=True).stdout
    names, listing = set(), False
    for line in text.splitlines():
        if line.strip() == "Formats:":
            listing = True
        elif listing and not line.strip():
            break
        elif listing:
            names.add(line.split()[0])
    return names


def run_formats(args, listconv):
    """Every export format, and the import, against listconv on the same data."""
    build = args.build
    folder = data_set(build, args.data, DEFAULT_KANJI, DEFAULT_WORDS, DEFAULT_RECORDS)
    export = os.path.abspath(os.path.join(build, "listconv-export"))
    if not os.path.exists(export):
        return
    print()
    print("---- every output against listconv, K = %d, W = %d, R = %d (median of %d) ----"
          % (DEFAULT_KANJI, DEFAULT_WORDS, DEFAULT_RECORDS, args.runs))
    timed([listconv], folder)
    base_wall, base_cpu = median_run([listconv], folder, args.runs)
    # With --before, the same export of an earlier build runs in turn with this
    # one, each against this build's listconv.
    before = os.path.abspath(os.path.join(args.before, "listconv-export")) if args.before else None
    print("%-28s %8s %8s %8s%s" % ("", "wall s", "CPU s", "x conv",
                                   "   before: wall s    CPU s   x conv" if before else ""))
    print("%-28s %8.3f %8.3f %8.2f" % ("listconv", base_wall, base_cpu, 1.0))
    out = os.path.abspath(os.path.join(folder, "..", "export.out"))
    formats = ["csv", "jsonl", "listing", "unknown", "html", "records", "dictionary", "kanji",
               "check"]
    known = export_formats(export)
    known_before = export_formats(before) if before else set()
    for fmt in formats:
        if fmt not in known:
            print("%-28s (this listconv-export has no such format)" % ("listconv-export " + fmt))
            continue
        argvs = [[export, "--format", fmt, "-o", out]]
        if fmt in known_before:
            argvs.append([before, "--format", fmt, "-o", out])
        for argv in argvs:
            timed(argv, folder)
        timings = median_runs(argvs, folder, args.runs)
        line = "%-28s" % ("listconv-export " + fmt)
        for wall, cpu in timings:
            line += " %8.3f %8.3f %8.2f" % (wall, cpu, wall / base_wall)
        if before and fmt not in known_before:
            line += "   (not in the build before)"
        print(line)
    os.remove(out)
    if os.path.exists(os.path.join(build, "listconv-import")):
        for edit, label in ((False, "listconv-import (no change)"),
                            (True, "listconv-import (one edit)")):
            wall, cpu, peak = import_timing(build, folder, args.runs, edit)
            line = "%-28s %8.3f %8.3f %8.2f" % (label, wall, cpu, wall / base_wall)
            if args.before and os.path.exists(os.path.join(args.before, "listconv-import")):
                wall, cpu, _ = import_timing(args.before, folder, args.runs, edit)
                line += " %8.3f %8.3f %8.2f" % (wall, cpu, wall / base_wall)
            print(line)
        small = data_set(build, args.data, DEFAULT_KANJI, DEFAULT_WORDS, DEFAULT_RECORDS // 10)
        _, _, small_peak = import_timing(build, small, 1, True)
        if peak is not None and small_peak is not None:
            print("listconv-import peak memory: %.1f MiB at R = %d, %.1f MiB at R = %d"
                  % (small_peak / 1024.0, DEFAULT_RECORDS // 10, peak / 1024.0, DEFAULT_RECORDS))


def run_scaling(args, listconv):
    cases = [(DEFAULT_WORDS, DEFAULT_RECORDS), (DEFAULT_WORDS, 10 * DEFAULT_RECORDS),
             (10 * DEFAULT_WORDS, DEFAULT_RECORDS)]
    rows = []
    for words, records in cases:
        folder = data_set(args.build, args.data, DEFAULT_KANJI, words, records)
        result = compare(listconv, folder, args.scale_runs)
        default = (words, records) == (DEFAULT_WORDS, DEFAULT_RECORDS)
        if not default and not args.keep_data:
            shutil.rmtree(folder)
        rows.append((words, records, result))
    print()
    print("scaling (K = %d, median of %d runs each, alternating with the floor)"
          % (DEFAULT_KANJI, args.scale_runs))
    print("%7s %8s %11s %9s %7s %9s %9s %8s %11s" % (
        "W", "R", "listconv s", "floor s", "ratio", "conv CPU", "floor CPU", "RSS MiB",
        "CPU us/rec"))
    for words, records, r in rows:
        print("%7d %8d %11.3f %9.3f %7.2f %9.3f %9.3f %8.1f %11.2f" % (
            words, records, r["conv"], r["floor"], r["ratio"], r["conv_cpu"], r["floor_cpu"],
            r["rss_kib"] / 1024.0, 1e6 * r["conv_cpu"] / records))
    print("(s: median wall seconds; CPU: median user + system seconds; "
          "ratio: median of per-pair wall ratios)")


def run_browser_bench(name, argv):
    """Runs a browser test's --bench mode, its figures going to standard output."""
    sys.stdout.flush()
    status = subprocess.run([BROWSER_PYTHON] + argv).returncode
    if status == SKIPPED:
        print("(%s: skipped, as said above)" % name)
    elif status != 0:
        fail("%s failed (status %d)" % (name, status))


def run_browser(args, listconv):
    print()
    print("---- the page against listconv, in headless Chromium (K = %d, R = %d; W = %s) ----"
          % (DEFAULT_KANJI, DEFAULT_RECORDS, " and ".join("%d" % w for w in PAGE_WORDS)))
    if not args.page or not os.path.exists(args.page):
        print("(skipped: no page; make web builds build-web/listconv.html)")
    else:
        folders = []
        for words in PAGE_WORDS:
            folders += ["--data", data_set(args.build, args.data, DEFAULT_KANJI, words,
                                           DEFAULT_RECORDS)]
        pages = [("the page", args.page)]
        if args.before_page:
            pages.append(("the page before", args.before_page))
        for name, page in pages:
            if len(pages) > 1:
                print("%s: %s" % (name, os.path.abspath(page)))
            run_browser_bench(name, [
                os.path.join(ROOT, "web", "page_test.py"), "--bench", "--page",
                os.path.abspath(page), "--listconv", listconv, "--runs", str(args.page_runs),
                "--work", os.path.abspath(os.path.join(args.data, "page-bench"))] + folders)
    print()
    print("---- the HTML catalogue page, in headless Chromium ----")
    pages = os.path.abspath(os.path.join(args.data, "catalogue"))
    run_browser_bench("the catalogue page", [
        os.path.join(ROOT, "tests", "browser", "catalogue_test.py"), "--bench",
        "--template", os.path.join(ROOT, "src", "formats", "catalogue.html"),
        "--page", os.path.join(pages, "page.html"), "--big", os.path.join(pages, "big.html"),
        "--screenshot", os.path.join(pages, "catalogue.png")])


PROFILE_LINE = re.compile(r"^\s*([\d,]+) \(\s*([\d.]+)%\)\s+[^:]*:(.*?)(?: \[(.*)\])?$")
STARTUP = ("(below main)", "__libc_start_main", "0x0")
SHORT_NAMES = (
    ("std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >",
     "std::string"),
    ("std::vector<std::string, std::allocator<std::string > >", "TextList"),
    ("(anonymous namespace)::", ""),
)


def profile_rows(report):
    """(share in percent, function, object) of each function line of a report."""
    rows = []
    for line in report.splitlines():
        m = PROFILE_LINE.match(line)
        if not m or "PROGRAM TOTALS" in line:
            continue
        function = m.group(3)
        if any(function.startswith(s) for s in STARTUP):
            continue
        for long_name, short_name in SHORT_NAMES:
            function = function.replace(long_name, short_name)
        rows.append((float(m.group(2)), function, os.path.basename(m.group(4) or "")))
    return rows


def run_profile(args, listconv):
    if shutil.which("valgrind") is None or shutil.which("callgrind_annotate") is None:
        fail("valgrind is not installed")
    folder = data_set(args.build, args.data, DEFAULT_KANJI, DEFAULT_WORDS, args.profile_records)
    out_file = os.path.abspath(os.path.join(args.data, "callgrind.out"))
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out_file,
                    listconv], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for inclusive in ("yes", "no"):
        report = subprocess.run(["callgrind_annotate", "--inclusive=" + inclusive,
                                 "--threshold=99", out_file],
                                check=True, capture_output=True, text=True).stdout
        total = re.search(r"([\d,]+) \(100.0%\)\s+PROGRAM TOTALS", report)
        print("---- callgrind, K = %d, W = %d, R = %d: %s instructions; share by function, %s ----"
              % (DEFAULT_KANJI, DEFAULT_WORDS, args.profile_records,
                 total.group(1) if total else "?",
                 "callees included" if inclusive == "yes" else "own code only"))
        for share, function, obj in profile_rows(report)[:args.profile_top]:
            print("%6.2f%%  %s  [%s]" % (share, function[:120], obj))
    print("full data: callgrind_annotate %s" % out_file)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="build folder with listconv")
    parser.add_argument("--data", help="where data sets go (default BUILD/data)")
    parser.add_argument("--runs", type=int, default=5, help="timed runs of each (default 5)")
    parser.add_argument("--scale-runs", type=int, default=3,
                        help="timed runs of each per scaling case (default 3)")
    parser.add_argument("--no-scaling", action="store_true", help="skip the scaling table")
    parser.add_argument("--keep-data", action="store_true",
                        help="keep the scaling data sets (over 1 GiB)")
    parser.add_argument("--page", help="the page of make web, timed against listconv")
    parser.add_argument("--page-runs", type=int, default=3,
                        help="the page's runs on each data set, the quickest counting (default 3)")
    parser.add_argument("--before", metavar="BUILD",
                        help="an earlier build whose export is timed in turn with this one's")
    parser.add_argument("--before-page", metavar="PAGE",
                        help="an earlier build's page, timed after this one's")
    parser.add_argument("--no-browser", action="store_true",
                        help="leave out the page and the catalogue page")
    parser.add_argument("--browser-only", action="store_true",
                        help="time only the page and the catalogue page")
    parser.add_argument("--profile", action="store_true",
                        help="profile one run with callgrind instead of timing")
    parser.add_argument("--profile-records", type=int, default=10000)
    parser.add_argument("--profile-top", type=int, default=25)
    args = parser.parse_args()
    if args.runs < 1 or args.scale_runs < 1 or args.page_runs < 1:
        fail("--runs, --scale-runs and --page-runs must be at least 1")
    args.data = args.data or os.path.join(args.build, "data")
    listconv = os.path.abspath(os.path.join(args.build, "listconv"))
    if not os.path.exists(listconv):
        fail("no listconv in " + args.build)
    if args.before and not os.path.exists(os.path.join(args.before, "listconv-export")):
        fail("no listconv-export in " + args.before)
    if args.before_page and not os.path.exists(args.before_page):
        fail("no page at " + args.before_page)
    os.makedirs(args.data, exist_ok=True)

    if args.profile:
        run_profile(args, listconv)
        return
    print("Timings are wall-clock; on a shared machine they vary with its load.")
    if not args.browser_only:
        folder = data_set(args.build, args.data, DEFAULT_KANJI, DEFAULT_WORDS, DEFAULT_RECORDS)
        print("---- listconv against the I/O floor, K = %d, W = %d, R = %d ----"
              % (DEFAULT_KANJI, DEFAULT_WORDS, DEFAULT_RECORDS))
        print_comparison(compare(listconv, folder, args.runs), args.runs)
        run_formats(args, listconv)
        if not args.no_scaling:
            run_scaling(args, listconv)
    if not args.no_browser:
        run_browser(args, listconv)


if __name__ == "__main__":
    main()
