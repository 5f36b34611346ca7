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
import shutil
import statistics

# The parts of the benchmark, beside this script.
from bench_browser import run_browser
from bench_common import (DEFAULT_KANJI, DEFAULT_RECORDS, DEFAULT_WORDS, INPUTS, data_set, fail,
                          mib, peak_kib, timed)
from bench_outputs import run_formats
from bench_profile import run_profile

FLOOR_COMMAND = "cat kanjis.dat words.txt list.rec >/dev/null && cat ../{ref} >list.txt"


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
