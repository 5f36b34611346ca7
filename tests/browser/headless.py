"""Headless Chromium driven by Selenium, as the browser tests start it."""

import os

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# Quiet, offline and without a sandbox (the tests may run as root).
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage"]


class Skip(Exception):
    """The browser test cannot run here; the message says what is missing."""


def start_browser(profile, window_size, downloads=None, performance_log=False):
    """A headless Chromium with a new profile in `profile` and a window of `window_size`
    ("W,H"); downloads go to `downloads` when given; its console is logged, and its network
    too with `performance_log`. Raises Skip when Chromium or Selenium is missing."""
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        raise Skip("Selenium is missing (apt-get install python3-selenium; run with "
                   "/usr/bin/python3)")
    for path, package in ((CHROMIUM, "chromium"), (CHROMEDRIVER, "chromium-driver")):
        if not os.access(path, os.X_OK):
            raise Skip("%s is missing (apt-get install %s)" % (path, package))
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in CHROMIUM_FLAGS + ["--window-size=" + window_size, "--user-data-dir=" + profile]:
        options.add_argument(flag)
    if downloads:
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
    logs = {"browser": "ALL", "performance": "ALL"} if performance_log else {"browser": "ALL"}
    options.set_capability("goog:loggingPrefs", logs)
    return webdriver.Chrome(service=Service(executable_path=CHROMEDRIVER), options=options)
