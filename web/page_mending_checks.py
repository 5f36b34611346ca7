"""The page's mending section used as a person would: an unknown word mended
by typing its kanji, the kanji look-up, and "show block N" on a listing
whose notes hold line feeds. Run by page_test.py."""
import os
import shutil

from page_browser import run, wait_until

# The entry the mending test adds, as a person types it, and the row of the
# dictionary export that gives listconv-import the same entry.
MENDED_KEY = "UNKNOWNWORD"


MENDED_KANJI = "\u5c71\u5ddd"  # 山川


MENDED_ROW = ",UNKNOWNWORD,unknownword,,\u5c71\u5ddd,\r\n"


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
