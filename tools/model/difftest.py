#!/usr/bin/env python3
"""Randomised comparison of the listconv program with the reference model.

Every case builds kanjis.dat, words.txt and list.rec from its own seed in a
scratch folder, runs the program there and the model on the same files, and
compares list.txt, the console output and the messages byte for byte, and
the exit status. A case that differs
is reported with its seed and a short diff, and its folder is kept.

  difftest.py [--exe PATH] [--count N] [--seed S] [--keep DIR] [--self-test]

Case i uses seed S + i, so `--seed X --count 1` repeats the case of seed X.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import listconv_model as model  # noqa: E402
from random_cases import CaseGenerator  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))


# ------------------------------------------------------------------ running


def write_inputs(folder, files):
    for name, data in zip(("kanjis.dat", "words.txt", "list.rec"), files):
        if data is not None:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


def run_program(exe, folder, expected_err, expected_status):
    """(list.txt bytes or None, stdout, problem text or None)."""
    try:
        proc = subprocess.run([exe], cwd=folder, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=20)
    except subprocess.TimeoutExpired:
        return None, b"", "timed out"
    problem = None
    if proc.returncode < 0:
        problem = "killed by signal %d" % -proc.returncode
    elif proc.stderr != expected_err:
        problem = "wrote to stderr: %r" % proc.stderr[:200]
    elif proc.returncode != expected_status:
        problem = "exit status: %d, not %d" % (proc.returncode, expected_status)
    path = os.path.join(folder, "list.txt")
    listing = None
    if os.path.exists(path):
        with open(path, "rb") as f:
            listing = f.read()
    return listing, proc.stdout, problem


def first_difference(lines, actual):
    """A short description of the first line of the model's list.txt that the
    program wrote differently, and what that line holds."""
    pos = 0
    for block, what, text in lines:
        if actual[pos:pos + len(text)] != text:
            got = actual[pos:pos + len(text) + 20]
            report = "\n".join(["  list.txt block %d, %s:" % (block, what),
                                 "    model:   %r" % text, "    program: %r..." % got])
            return report, what
        pos += len(text)
    return "  program wrote more: %r" % actual[pos:pos + 100], "extra output"


def compare(exe, seed, keep_root, keep, nul_in_words=False):
    """Runs one case; returns None when equal, else (report, class)."""
    files = CaseGenerator(seed, nul_in_words).case()
    lines, expected_console = model.convert_lines(*files)
    expected_listing = b"".join(text for _, _, text in lines)
    # Without list.rec, the list.txt there before (none) is left as it was.
    expected_kept = files[2] is None
    folder = tempfile.mkdtemp(prefix="listconv-case-")
    try:
        write_inputs(folder, files)
        listing, console, problem = run_program(exe, folder, *model.messages(*files))
        reports = []
        kind = None
        if problem:
            reports.append("  program " + problem)
            kind = problem.split(":")[0]
        if expected_kept:
            if listing is not None:
                reports.append("  program made a list.txt without list.rec")
                kind = kind or "list.txt made"
        elif listing is None:
            reports.append("  program left no list.txt")
            kind = kind or "no list.txt"
        elif listing != expected_listing:
            text, k = first_difference(lines, listing)
            reports.append(text)
            kind = kind or k
        if console != expected_console:
            reports.append("  console: model %r, program %r" % (expected_console, console))
            kind = kind or "console"
        if not reports:
            return None
        if keep:
            target = os.path.join(keep_root, "seed-%d" % seed)
            shutil.rmtree(target, ignore_errors=True)
            shutil.copytree(folder, target)
            with open(os.path.join(target, "list.model.txt"), "wb") as f:
                f.write(expected_listing)
            with open(os.path.join(target, "console.model.txt"), "wb") as f:
                f.write(expected_console)
            with open(os.path.join(target, "console.program.txt"), "wb") as f:
                f.write(console)
            reports.append("  kept in " + target)
        return "seed %d:\n%s" % (seed, "\n".join(reports)), kind
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def self_test():
    suite = unittest.defaultTestLoader.discover(HERE, pattern="test_model.py")
    result = unittest.TextTestRunner(verbosity=1).run(suite)
    return result.wasSuccessful()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe", default=os.path.join(REPO, "build", "listconv"),
                        help="program to test (default: build/listconv of the repository)")
    parser.add_argument("--count", type=int, default=300, help="number of cases")
    parser.add_argument("--seed", type=int, default=1, help="seed of the first case")
    parser.add_argument("--keep", default=os.path.join(tempfile.gettempdir(), "listconv-difftest"),
                        help="folder for the failing cases")
    parser.add_argument("--keep-max", type=int, default=20,
                        help="keep and show at most this many failing cases")
    parser.add_argument("--nul-in-words", action="store_true",
                        help="also put zero bytes into words.txt lines")
    parser.add_argument("--self-test", action="store_true",
                        help="first check the model against the worked examples")
    args = parser.parse_args()

    if args.self_test and not self_test():
        print("model self-test failed")
        return 1
    exe = os.path.abspath(args.exe)
    if not os.access(exe, os.X_OK):
        print("no program at %s" % exe)
        return 2
    started = time.time()
    failures = 0
    classes = {}
    for seed in range(args.seed, args.seed + args.count):
        keep = failures < args.keep_max
        outcome = compare(exe, seed, args.keep, keep, args.nul_in_words)
        if outcome is None:
            continue
        report, kind = outcome
        failures += 1
        classes.setdefault(kind, []).append(seed)
        if keep:
            print(report)
    elapsed = time.time() - started
    for kind, seeds in sorted(classes.items(), key=lambda kv: -len(kv[1])):
        print("  first difference in %s: %d cases, e.g. seeds %s" % (
            kind, len(seeds), " ".join(map(str, seeds[:5]))))
    print("seeds %d-%d, %.1f s" % (args.seed, args.seed + args.count - 1, elapsed))
    print("difftest: %d passed, %d failed" % (args.count - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
