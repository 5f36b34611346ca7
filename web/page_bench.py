"""The page timed against listconv on the benchmark's data set, and the large
conversion during which the page must keep answering. Run by page_test.py
(and, with --bench, by make bench)."""
import hashlib
import json
import os
import resource
import shutil
import subprocess
import time

from page_browser import WATCH_STALLS, run

# With --bench, the page's time is the best of this many runs, each in a
# page of its own.
PAGE_RUNS = 3


# The longest the page may go without answering while it converts (on a
# busy machine too; a page that converted in its own thread would stand
# still for seconds).
LONGEST_STALL = 0.5


def best_native_time(listconv, folder, runs=3):
    """listconv's quickest run in `folder`: (wall seconds, CPU seconds of that run)."""
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        proc = run([listconv], cwd=folder)
        seconds = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        assert proc.returncode == 0, proc.stderr
        cpu = (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)
        best = (seconds, cpu) if best is None else min(best, (seconds, cpu))
    return best


def browser_cpu_seconds(driver):
    """The CPU seconds used so far by every process of the browser Selenium started
    (Linux: /proc), or None where that cannot be read. Unlike wall time, it hardly
    changes with other work on the machine."""
    try:
        root = driver.service.process.pid
        entries = [e for e in os.listdir("/proc") if e.isdigit()]
    except (OSError, AttributeError):
        return None
    parents = {}
    for entry in entries:
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            parents[int(entry)] = (int(fields[1]), int(fields[11]) + int(fields[12]))
        except (OSError, IndexError, ValueError):
            continue  # a process that ended meanwhile
    ticks, family = 0, {root}
    grown = True
    while grown:
        grown = False
        for pid, (parent, used) in parents.items():
            if parent in family and pid not in family:
                family.add(pid)
                grown = True
    for pid in family:
        ticks += parents.get(pid, (0, 0))[1]
    return ticks / os.sysconf("SC_CLK_TCK")


def large_data_set(bench_data, work):
    """The folder of the benchmark's data set (100,000 records), made by the
    generator unless an up-to-date one is there."""
    folder = os.path.join(work, "bench")
    stamp = os.path.join(folder, ".complete")
    if not os.path.exists(stamp) or os.path.getmtime(stamp) < os.path.getmtime(bench_data):
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run([bench_data, "--out", folder], check=True, stdout=subprocess.DEVNULL)
        open(stamp, "w").close()
    return folder


def convert_watched(page, folder, after_check=True):
    """Converts the folder in a page of its own (the exports that follow are
    not waited for), watching the page meanwhile; returns a dict: the page's
    seconds, the module's run's seconds, where the worker's time went
    (timing), the browser's CPU seconds from Convert to list.txt ready (or
    None), the seconds of the check that choosing the files starts (waited
    for before Convert with `after_check`, else None), and what the watch
    saw."""
    page.open()
    chosen = time.monotonic()
    page.choose(folder)
    # Choosing the files has the module check them; a person reads that report
    # before Convert, and a conversion asked for sooner waits for it.
    check_seconds = page.wait_for_check(chosen) if after_check else None
    page.js(WATCH_STALLS)
    cpu_before = browser_cpu_seconds(page.driver)
    state, fault = page.convert(until=("converted", "done"))
    cpu_after = browser_cpu_seconds(page.driver)
    assert not fault, fault
    status = page.js("return document.getElementById('status').dataset")
    watch = page.js("clearInterval(window.__watch.timer); return window.__watch")
    return {"seconds": float(status["seconds"]), "run": float(status["runSeconds"]),
            "timing": json.loads(status.get("timing") or "{}"),
            "cpu": None if cpu_before is None or cpu_after is None else cpu_after - cpu_before,
            "check": check_seconds, "watch": watch}


def check_large(page, args, work):
    folder = large_data_set(args.bench_data, work)
    proc = run([args.listconv], cwd=folder)
    assert proc.returncode == 0, proc.stderr
    with open(os.path.join(folder, "list.txt"), "rb") as f:
        native_digest = hashlib.sha256(f.read()).hexdigest()
        listing_size = f.tell()
    watch = convert_watched(page, folder)["watch"]
    got = page.download("get-list", "bench", listing_size)
    assert hashlib.sha256(got).hexdigest() == native_digest, "list.txt differs"
    assert watch["longest"] / 1000 <= LONGEST_STALL, \
        "the page did not answer for %.2f s" % (watch["longest"] / 1000)
    assert any(0 < v < 1 for v in watch["progress"]), "no progress shown: %s" % watch["progress"][:20]
    return "the page answered within %.0f ms throughout" % watch["longest"]


def bench(page, args, folder):
    """Prints the page's time on the data set of `folder` against listconv's, and
    where the page's time went."""
    natives = [best_native_time(args.listconv, folder)]
    runs = []
    for _ in range(args.runs):
        runs.append(convert_watched(page, folder))
        # The machine's load changes: listconv is timed between the page's runs too.
        natives.append(best_native_time(args.listconv, folder, runs=1))
    native_seconds = min(n[0] for n in natives)
    native_cpu = min(n[1] for n in natives)
    best = min(runs, key=lambda r: r["seconds"])
    print("data: %s" % folder)
    print("  the page (headless Chromium) %6.3f s   best of %d: %s"
          % (best["seconds"], len(runs), " ".join("%.3f" % r["seconds"] for r in runs)))
    print("    the module's run           %6.3f s   best of %d: %s"
          % (min(r["run"] for r in runs), len(runs), " ".join("%.3f" % r["run"] for r in runs)))
    t = best["timing"]
    if t:
        print("    in the quickest: run %.3f s (of it reading the inputs %.3f s, writing list.txt "
              "%.3f s), handing list.txt over %.3f s, the rest (placing the inputs, messages) "
              "%.3f s" % (best["run"], t["readSeconds"], t["writeSeconds"], t["handOverSeconds"],
                          best["seconds"] - best["run"] - t["handOverSeconds"]))
        print("    the module's memory afterwards: %.1f MiB" % (t["memoryBytes"] / 1048576.0))
    checks = [r["check"] for r in runs if r["check"] is not None]
    if checks:
        print("    before it, the check on choosing the files %.3f s   best of %d: %s"
              % (min(checks), len(checks), " ".join("%.3f" % c for c in checks)))
        at_once = convert_watched(page, folder, after_check=False)
        print("    Convert clicked as soon as the files are chosen, the check running beside it: "
              "%.3f s" % at_once["seconds"])
    cpus = [r["cpu"] for r in runs if r["cpu"] is not None]
    print("  listconv                     %6.3f s   best of %d (CPU %.3f s)"
          % (native_seconds, len(natives) + 2, native_cpu))
    print("  ratio page / listconv        %6.2f" % (best["seconds"] / native_seconds))
    print("  ratio module's run / listconv %5.2f" % (min(r["run"] for r in runs) / native_seconds))
    if cpus:
        print("  ratio of CPU time, browser / listconv %.2f (browser: %s s; steadier on a busy "
              "machine)" % (min(cpus) / native_cpu, " ".join("%.3f" % c for c in cpus)))
