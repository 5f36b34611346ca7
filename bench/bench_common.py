"""What every part of the benchmark shares: the data sets, timing one run of a
command, and its peak memory."""

import os
import shutil
import statistics
import subprocess
import sys
import time

DEFAULT_KANJI = 7000
DEFAULT_WORDS = 30000
DEFAULT_RECORDS = 100000
INPUTS = ("kanjis.dat", "words.txt", "list.rec")
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


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


def mib(n):
    return n / (1024.0 * 1024.0)


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
