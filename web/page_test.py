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

Needs Debian's chromium, chromium-driver and python3-selenium (run it with
/usr/bin/python3), and the page (make web); without them it prints
"SKIPPED: ..." and exits with 77.
"""
import argparse
import hashlib
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "model"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "browser"))
from headless import Skip, start_browser  # noqa: E402

SKIP = 77
WINDOW_SIZE = "1280,1500"
INPUTS = ("kanjis.dat", "words.txt", "list.rec")
GENERATED_SEEDS = range(1, 25)
# Data sets of the generator with files taken away: (seed, files left out).
MISSING_CASES = [(101, ("kanjis.dat",)), (102, ("words.txt",)), (103, ("list.rec",)),
                 (104, INPUTS)]
# With --bench, the page's time is the best of this many runs, each in a
# page of its own.
PAGE_RUNS = 3
# The longest the page may go without answering while it converts (on a
# busy machine too; a page that converted in its own thread would stand
# still for seconds).
LONGEST_STALL = 0.5
WAIT_SECONDS = 60


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


def run(argv, cwd=None):
    proc = subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120)
    return proc


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


def present_inputs(folder):
    return [n for n in INPUTS if os.path.exists(os.path.join(folder, n))]


# ---- the browser -----------------------------------------------------------

# Counts the page's breaches of its Content-Security-Policy.
WATCH_POLICY = """
    window.__policyBreaches = [];
    document.addEventListener('securitypolicyviolation', function (e) {
      window.__policyBreaches.push(e.violatedDirective + ' ' + e.blockedURI);
    });
"""

# Makes the first worker the page starts fail inside the conversion, as when
# the module runs out of memory: its code gets lines that abort the run.
FAULT_ONCE = """
    (function () {
      var RealBlob = window.Blob, armed = true;
      window.Blob = function (parts, options) {
        if (armed && parts && typeof parts[0] === 'string' && parts[0].indexOf('WASM_BASE64') >= 0) {
          armed = false;
          parts = [parts[0] + "\\nvar ccallForReal = Module.ccall;" +
                   "Module.ccall = function (name, type, types, args) {" +
                   "  if (name === 'web_convert' && args[0] === '/data') abort('Cannot enlarge memory (made by the test)');" +
                   "  return ccallForReal.apply(null, arguments); };"];
        }
        return new RealBlob(parts, options);
      };
      window.Blob.prototype = RealBlob.prototype;
    })();
"""

# Holds back every message of the first worker the page starts until the
# test posts it 'release': until then the page has not heard the module's
# facts (the data files, the formats).
HOLD_WORKER = """
    (function () {
      var RealBlob = window.Blob, RealWorker = window.Worker, armed = true;
      window.Blob = function (parts, options) {
        if (armed && parts && typeof parts[0] === 'string' && parts[0].indexOf('WASM_BASE64') >= 0) {
          armed = false;
          parts = ["var heldBack = [], postForReal = self.postMessage.bind(self);" +
                   "self.postMessage = function (m, t) {" +
                   "  if (heldBack) heldBack.push([m, t]); else postForReal(m, t); };" +
                   "self.addEventListener('message', function (e) {" +
                   "  if (e.data !== 'release') return;" +
                   "  e.stopImmediatePropagation();" +
                   "  var held = heldBack; heldBack = null;" +
                   "  held.forEach(function (h) { postForReal(h[0], h[1]); }); });\\n" + parts[0]];
        }
        return new RealBlob(parts, options);
      };
      window.Blob.prototype = RealBlob.prototype;
      window.Worker = function (url) { var w = new RealWorker(url); window.__worker = w; return w; };
    })();
"""

# Watches the page while it converts: the longest gap between timer ticks
# (a page that is busy misses them) and what the progress bar showed.
WATCH_STALLS = """
    var w = window.__watch = {longest: 0, progress: [], last: performance.now()};
    w.timer = setInterval(function () {
      var now = performance.now(), bar = document.getElementById('progress');
      w.longest = Math.max(w.longest, now - w.last);
      w.last = now;
      if (!bar.hidden) w.progress.push(bar.value);
    }, 10);
"""


class Page:
    """The page open in the browser, with what the checks ask of it."""

    def __init__(self, driver, path, downloads):
        self.driver = driver
        self.url = "file://" + urllib.parse.quote(os.path.abspath(path))
        self.downloads = downloads

    def open(self, before_scripts=()):
        driver = self.driver
        driver.get("about:blank")
        added = [driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": s})
                 for s in (WATCH_POLICY,) + tuple(before_scripts)]
        try:
            driver.get(self.url)
        finally:
            for script in added:
                driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                       {"identifier": script["identifier"]})
        # The page's own loading is no request of the page.
        return network_requests(driver)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).textContent", element_id)

    def state(self):
        return self.js("var s = document.getElementById('status'), f = document.getElementById('fault');"
                       "return [s.dataset.state || '', f.hidden ? '' : f.textContent];")

    def choose(self, folder):
        """Clears the files and picks those of the folder."""
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.ID, "clear").click()
        paths = [os.path.join(folder, n) for n in present_inputs(folder)]
        if paths:
            self.driver.find_element(By.ID, "pick").send_keys("\n".join(paths))

    def file_states(self):
        return self.js("var out = {}; document.querySelectorAll('tr[data-file]').forEach("
                       "function (r) { out[r.dataset.file] = r.querySelector('.state').textContent; });"
                       "return out;")

    def convert(self, until=("done",)):
        """Clicks Convert and waits for the state; returns (state, fault)."""
        self.js("document.getElementById('status').dataset.state = ''")
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.ID, "convert").click()
        # The click's handlers have run once the click returns: a click that
        # missed the button fails here, not as a wait for a conversion that
        # never started.
        state, fault = self.state()
        assert state or fault, "Convert was clicked, but the page did not start converting " \
            "(status %r)" % self.text("status")
        return self.wait_for(until)

    def wait_for_check(self, started):
        """Waits for the check's answer on the files given (chosen at `started`,
        time.monotonic()); returns its seconds from the files given, as the page
        measured them (as measured here by a page that does not say), or None
        for a page without the check."""
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            seconds, shown = self.js("var c = document.getElementById('check');"
                                     "return c ? [c.dataset.seconds || '', c.textContent] : ['-', ''];")
            if seconds == "-":
                return None
            if seconds or shown:
                return float(seconds) if seconds else time.monotonic() - started
            time.sleep(0.02)
        raise AssertionError("the check did not answer within %d s" % WAIT_SECONDS)

    def wait_for(self, states):
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            state, fault = self.state()
            if state in states or fault:
                return state, fault
            time.sleep(0.02)
        raise AssertionError("the page did not get to %s in %d s (status %r)"
                             % (states, WAIT_SECONDS, self.text("status")))

    def console_lines(self):
        return self.js("return Array.from(document.getElementById('console').children,"
                       "function (e) { return [e.className === 'err' ? 'err' : 'out', e.textContent]; })")

    def download(self, link_id, subfolder, size):
        """Clicks the download link; returns the bytes of the file it saved."""
        folder = os.path.join(self.downloads, subfolder)
        os.makedirs(folder, exist_ok=True)
        self.driver.execute_cdp_cmd("Page.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": folder})
        from selenium.webdriver.common.by import By
        link = self.driver.find_element(By.ID, link_id)
        assert link.get_attribute("aria-disabled") == "false", "%s is not ready" % link_id
        name = link.get_attribute("download")
        link.click()
        path = os.path.join(folder, name)
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            if os.path.exists(path) and os.path.getsize(path) == size and \
                    not os.path.exists(path + ".crdownload"):
                with open(path, "rb") as f:
                    data = f.read()
                os.remove(path)
                return data
            time.sleep(0.02)
        raise AssertionError("%s: no %s of %d bytes was saved (the folder holds %s)"
                             % (link_id, name, size, os.listdir(folder)))


def network_requests(driver):
    """The requests in the performance log since it was last read, but those of
    blob: URLs (the worker's code and the downloads, made in the page)."""
    requests = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] in ("Network.requestWillBeSent", "Network.webSocketCreated"):
            url = message["params"].get("request", message["params"]).get("url", "")
            if not url.startswith("blob:"):
                requests.append(url)
    return requests


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


# The entry the mending test adds, as a person types it, and the row of the
# dictionary export that gives listconv-import the same entry.
MENDED_KEY = "UNKNOWNWORD"
MENDED_KANJI = "\u5c71\u5ddd"  # 山川
MENDED_ROW = ",UNKNOWNWORD,unknownword,,\u5c71\u5ddd,\r\n"
# The page's own folders, which no message may show.
PAGE_FOLDERS = ("/data", "/side", "/in", "/out")


def native_mended(args, sample, root):
    """listconv-import's words.txt for the sample with MENDED_ROW added to its
    dictionary export, the listing (UTF-8) converted from it, and the folder."""
    folder = os.path.join(root, "mended")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(sample, folder)
    words_csv = os.path.join(root, "mended-words.csv")
    assert run([args.export, "-C", folder, "--format", "dictionary", "-o", words_csv]).returncode == 0
    with open(words_csv, "ab") as f:
        f.write(MENDED_ROW.encode("utf-8"))
    proc = run([args.import_, "-C", folder, words_csv])
    assert proc.returncode == 0, proc.stderr
    listing = os.path.join(root, "mended-listing.txt")
    assert run([args.export, "-C", folder, "--format", "listing", "-o", listing]).returncode == 0
    with open(os.path.join(folder, "words.txt"), "rb") as f, open(listing, "rb") as g:
        return f.read(), g.read(), folder


def dictionary_export(args, words, root):
    """The dictionary export (the entries as the reader takes them) of a
    words.txt, with the sample's kanjis.dat beside it."""
    folder = os.path.join(root, "dictionary-of")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(os.path.join(args.sample, "kanjis.dat"), folder)
    with open(os.path.join(folder, "words.txt"), "wb") as f:
        f.write(words)
    proc = run([args.export, "-C", folder, "--format", "dictionary"])
    assert proc.returncode == 0, proc.stderr
    return proc.stdout


def wait_until(page, script, what, *args):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        value = page.js(script, *args)
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("the page did not get to: %s" % what)


def page_text(page):
    return page.js("return document.body.innerText")


def check_mending(page, args, sample, work):
    """UNKNOWNWORD mended by typing its kanji, as a person would; a word group
    offers only the record's fix; the kanji look-up by code."""
    from selenium.webdriver.common.by import By
    words, listing, mended_folder = native_mended(args, sample, os.path.join(work, "native"))
    with open(os.path.join(sample, "words.txt"), "rb") as f:
        original = f.read()
    # The page leaves the person's lines as they are and adds the line that
    # listconv-import writes for the entry, after the same lines.
    added = words[words.rindex(b"\n", 0, len(words) - 1) + 1:]
    assert added.startswith(MENDED_KEY.encode()), added
    page.open()
    page.choose(sample)
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    before = page.js("return document.querySelectorAll('#unknowns tbody tr').length")
    row = "#unknowns tr[data-text='%s']"
    # A word group: no line of words.txt can hold it; the record's fix is shown.
    page.driver.find_element(By.CSS_SELECTOR, row % "BLADE IRON" + " button.mend").click()
    assert page.js("return document.getElementById('mend-add').hidden")
    assert "BLADE, IRON" in page.text("mend-advice"), page.text("mend-advice")
    # The word: its kanji typed, their codes shown, the entry added.
    page.driver.find_element(By.CSS_SELECTOR, row % MENDED_KEY + " button.mend").click()
    page.driver.find_element(By.ID, "mend-kanji").send_keys(MENDED_KANJI)
    wait_until(page, "return !document.getElementById('mend-button').disabled", "Add usable")
    codes = page.text("mend-codes")
    assert "\u5c71 \u2192 525" in codes and "\u5ddd \u2192 527" in codes, codes
    # A zero byte or a lone surrogate, pasted in, is refused with its reason
    # instead of cutting the word or taking the next character into it.
    typed = page.js("return [document.getElementById('mend-word').value,"
                    " document.getElementById('mend-kanji').value]")
    for field, value, why in (
            ("mend-word", "'un\\u0000known'",
             "the word holds a zero byte, which ends a line of words.txt"),
            ("mend-word", "'un\\ud83dknown'",
             "the word holds a lone surrogate (U+D83D), not a character"),
            ("mend-kanji", "'\\u5c71\\udc00\\u5ddd'",
             "the kanji holds a lone surrogate (U+DC00), not a character")):
        page.js("document.getElementById('mend-word').value = arguments[0];"
                "document.getElementById('mend-kanji').value = arguments[1];"
                "document.getElementById(arguments[2]).value = " + value, typed[0], typed[1], field)
        page.driver.find_element(By.ID, "mend-button").click()
        result = page.text("mend-result")
        assert result == "Not added: %s." % why, result
        assert page.js("return !document.getElementById('mend-button').disabled")
    page.js("document.getElementById('mend-word').value = arguments[0];"
            "document.getElementById('mend-kanji').value = arguments[1]", typed[0], typed[1])
    page.js("document.getElementById('status').dataset.state = ''")
    page.driver.find_element(By.ID, "mend-button").click()
    wait_until(page, "return !document.getElementById('mend-changes').hidden"
                     " && document.getElementById('status').dataset.state === 'done'",
               "the conversion after adding")
    changes = page.text("mend-changes")
    assert "%d unknown words and codes before, %d now" % (before, before - 1) in changes, changes
    assert "%s is gone from the list" % MENDED_KEY in changes, changes
    assert not page.js("return !!document.querySelector(arguments[0])", row % MENDED_KEY)
    assert page.text("listing") == listing.decode("utf-8"), "the listing after adding differs"
    # The check's report is of the words.txt with the line added.
    native_check = run([args.export, "-C", mended_folder, "--format", "check"]).stdout.decode()
    words_line = [line for line in native_check.split("\n") if line.startswith("words.txt:")][0]
    wait_until(page, "return document.getElementById('check').textContent.split('\\n')"
                     ".indexOf(arguments[0]) >= 0", "the check of the words.txt with the line added",
               words_line)
    page.driver.find_element(By.ID, "mending-heading").location_once_scrolled_into_view
    page.driver.save_screenshot(os.path.join(work, "mended.png"))
    got = page.download("get-words", "mended", len(original) + len(added))
    assert got == original + added, "words.txt: %r, not the sample's and %r" % (got[-80:], added)
    root = os.path.join(work, "native")
    assert dictionary_export(args, got, root) == dictionary_export(args, words, root), \
        "the entries of words.txt differ from those listconv-import wrote"
    check_look_up(page)
    return "words.txt as listconv-import writes it"


# What is typed in the look-up and what it answers: blanks (an ideographic
# one too) only separate, and codes are looked up as codes beside kanji.
LOOK_UPS = [
    ("525 600", "525 \u2192 \u5c71 \u00b7 600 \u2192 names no kanji"),
    ("\u5c71 527", "\u5c71 \u2192 525 \u00b7 527 \u2192 \u5ddd"),
    ("\u5c71\u3000\u5ddd ", "\u5c71 \u2192 525 \u00b7 \u5ddd \u2192 527"),
    ("527,525\u5c71", "527 \u2192 \u5ddd \u00b7 525 \u2192 \u5c71 \u00b7 \u5c71 \u2192 525"),
    ("   ", "nothing to look up"),
]


def check_look_up(page):
    """The look-up as a person types into it and clicks Look up."""
    from selenium.webdriver.common.by import By
    field = page.driver.find_element(By.ID, "lookup-text")
    for typed, answer in LOOK_UPS:
        page.js("document.getElementById('lookup-result').textContent = ''")
        field.clear()
        field.send_keys(typed)
        page.driver.find_element(By.ID, "lookup-button").click()
        shown = wait_until(page, "return document.getElementById('lookup-result').textContent",
                           "the look-up's answer to %r" % typed)
        assert shown == answer, (typed, shown)


# Where the note of a record of list.rec lies: its count byte, then its bytes.
NOTE_COUNT_OFFSET = 410
RECORD_SIZE = 666


def notes_with_line_feeds(sample, folder, records=(0, 1)):
    """The sample in `folder`, the notes of the given records (from 0) with
    their first blank made a line feed: their blocks have a line more."""
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(sample, folder)
    path = os.path.join(folder, "list.rec")
    with open(path, "rb") as f:
        data = bytearray(f.read())
    for record in records:
        note = record * RECORD_SIZE + NOTE_COUNT_OFFSET + 1
        data[data.index(b" ", note)] = 0x0A
    with open(path, "wb") as f:
        f.write(data)


def check_show_block(page, args, work):
    """Each unknown's "show block N" shows and marks block N as the listing
    has it, in view, also where notes before it hold line feeds."""
    from selenium.webdriver.common.by import By
    folder = os.path.join(work, "sets", "notes-with-line-feeds")
    notes_with_line_feeds(args.sample, folder)
    listing = os.path.join(work, "sets", "notes-with-line-feeds.txt")
    proc = run([args.export, "-C", folder, "--format", "listing", "-o", listing])
    assert proc.returncode == 0, proc.stderr
    with open(listing, encoding="utf-8", newline="") as f:
        text = f.read()
    separator = "----------\r\n"
    blocks = [b + separator for b in text.split(separator)[:-1]]
    assert len(blocks) > 2 and blocks[0].count("\n") > 8, "no line feed in the first note"
    page.open()
    page.choose(folder)
    state, fault = page.convert()
    assert not fault and state == "done", (state, fault)
    rows = page.driver.find_elements(By.CSS_SELECTOR, "#unknowns tbody tr")
    numbers = sorted({int(r.find_elements(By.TAG_NAME, "td")[3].text) for r in rows})
    assert len(numbers) > 1 and numbers[-1] > 2, numbers
    for number in numbers:
        page.js("var m = document.getElementById('listing-mark'); if (m) m.id = '';")
        button = page.driver.find_element(
            By.XPATH, "//button[@class='show-block' and text()='show block %d']" % number)
        button.click()
        marked = wait_until(page, "var m = document.getElementById('listing-mark');"
                                  "return m && m.textContent", "block %d marked" % number)
        assert marked == blocks[number - 1], (number, marked, blocks[number - 1])
        # The mark is in view, in the window and in the listing's own box.
        seen = page.js("var m = document.getElementById('listing-mark').getBoundingClientRect(),"
                       "  box = document.getElementById('listing').getBoundingClientRect();"
                       "return m.top >= Math.max(0, box.top) && "
                       "  m.top < Math.min(window.innerHeight, box.bottom);")
        assert seen, "block %d is marked but not in view" % number
    page.driver.find_element(By.ID, "listing").location_once_scrolled_into_view
    page.driver.save_screenshot(os.path.join(work, "show-block.png"))
    return "blocks %s" % ", ".join(map(str, numbers))


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


def check_no_requests(page):
    requests = network_requests(page.driver)
    assert not requests, "requests: %s" % requests[:10]
    breaches = page.js("return window.__policyBreaches")
    assert not breaches, breaches
    errors = [e["message"] for e in page.driver.get_log("browser") if e["level"] == "SEVERE"]
    assert not errors, errors


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
