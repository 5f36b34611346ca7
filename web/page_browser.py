"""What the page's browser checks share: the page open in headless Chromium
(Page) as a person uses it, the scripts that watch it or make it fail, waiting
for what it shows, and the native programs run beside it."""
import json
import os
import subprocess
import time
import urllib.parse

WAIT_SECONDS = 60


INPUTS = ("kanjis.dat", "words.txt", "list.rec")


def run(argv, cwd=None):
    proc = subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120)
    return proc


def present_inputs(folder):
    return [n for n in INPUTS if os.path.exists(os.path.join(folder, n))]


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


def check_no_requests(page):
    requests = network_requests(page.driver)
    assert not requests, "requests: %s" % requests[:10]
    breaches = page.js("return window.__policyBreaches")
    assert not breaches, breaches
    errors = [e["message"] for e in page.driver.get_log("browser") if e["level"] == "SEVERE"]
    assert not errors, errors
