"""The page of make web against listconv, and the HTML catalogue page, timed in
headless Chromium by the browser tests' --bench modes."""

import os
import subprocess
import sys

from bench_common import DEFAULT_KANJI, DEFAULT_RECORDS, DEFAULT_WORDS, ROOT, data_set, fail

# The page is timed on the default data set and on one with a dictionary ten
# times as large, where the dictionary's share of the time is largest.
PAGE_WORDS = (DEFAULT_WORDS, 10 * DEFAULT_WORDS)
# The browser tests need Debian's Python, which has Selenium.
BROWSER_PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
SKIPPED = 77


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
