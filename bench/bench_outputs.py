"""Every output of listconv-export, and listconv-import, timed against listconv
on the same data."""

import os
import shutil
import statistics
import subprocess

from bench_common import (DEFAULT_KANJI, DEFAULT_RECORDS, DEFAULT_WORDS, INPUTS, data_set,
                          median_run, median_runs, peak_kib, timed)


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
