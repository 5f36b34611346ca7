#!/usr/bin/env python3
"""Puts the page together: one HTML file holding the page's script, its worker
script and the WebAssembly module, with a Content-Security-Policy that names
the page's inline script and style by their SHA-256 hashes.

  make_page.py --template page.html --page-script page.js [page_files.js ...]
               --worker-script worker.js --fs-script emscripten_fs.js
               --module listconv_web.js --catalogue src/formats/catalogue.html
               --output listconv.html

The page's script files are joined in the order given inside one function,
which calls startPage() (page.js defines it) once every file's code has run:
they share one scope, and no name of theirs reaches the window.

The worker's script, its file system code (emscripten_fs.js), the module's
script (listconv_web.js) and its WebAssembly (listconv_web.wasm, beside it) go
into the worker's code, the WebAssembly as base64; the worker's
code sits in a block the browser does not run, and the page starts it as a
worker from a blob.
"""
import argparse
import base64
import hashlib
import os
import re
import sys

MARKERS = ("@SCRIPT_HASH@", "@STYLE_HASH@", "@WORKER_CODE@", "@PAGE_SCRIPT@")
# Inside a <script> block these would end it, or change how it is read.
UNSAFE_IN_SCRIPT = re.compile(r"</script|<!--|<script", re.I)


def source_hash(text):
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode("utf-8")).digest()).decode() + "'"


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def script_text(name, text):
    found = UNSAFE_IN_SCRIPT.search(text)
    if found:
        raise ValueError("%s holds %r, which cannot stand inside a <script> block"
                         % (name, found.group(0)))
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--template", "--worker-script", "--fs-script", "--module", "--catalogue",
                   "--output"):
        parser.add_argument(option, required=True)
    parser.add_argument("--page-script", required=True, nargs="+")
    args = parser.parse_args()

    template = read(args.template)
    for marker in MARKERS:
        if template.count(marker) != 1:
            raise ValueError("%s: %s stands %d times, not once"
                             % (args.template, marker, template.count(marker)))
    wasm_path = os.path.splitext(args.module)[0] + ".wasm"
    with open(wasm_path, "rb") as f:
        wasm = base64.b64encode(f.read()).decode("ascii")
    worker_code = ("var WASM_BASE64 = '%s';\n" % wasm + script_text("worker.js", read(args.worker_script))
                   + script_text("emscripten_fs.js", read(args.fs_script))
                   + script_text(os.path.basename(args.module), read(args.module)))
    page_script = joined_page_script(args.page_script)

    styles = re.findall(r"<style>(.*?)</style>", template, re.S)
    if len(styles) != 1:
        raise ValueError("%s: one <style> block expected" % args.template)
    # The catalogue page is opened from a blob made by the page, so that the
    # page's policy applies to it too: it has to let in the catalogue's own
    # inline script and style as well.
    catalogue = read(args.catalogue)
    catalogue_scripts = [source_hash(b) for b in re.findall(r"<script>(.*?)</script>", catalogue, re.S)]
    catalogue_styles = [source_hash(b) for b in re.findall(r"<style>(.*?)</style>", catalogue, re.S)]
    if not catalogue_scripts or not catalogue_styles:
        raise ValueError("%s: no inline script or style" % args.catalogue)
    page = (template.replace("@STYLE_HASH@", " ".join([source_hash(styles[0])] + catalogue_styles))
            .replace("@SCRIPT_HASH@", " ".join([source_hash(page_script)] + catalogue_scripts))
            .replace("@WORKER_CODE@", without_markers(worker_code))
            .replace("@PAGE_SCRIPT@", page_script))
    tmp = args.output + ".part"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)
    os.replace(tmp, args.output)
    print("%s: %d bytes" % (args.output, len(page.encode("utf-8"))))
    return 0


def joined_page_script(paths):
    """The page's script files as one script: their code in one function."""
    parts = [script_text(os.path.basename(p), read(p)) for p in paths]
    return ("(function () {\n'use strict';\n\n" + "\n".join(parts)
            + "\nstartPage();\n})();\n")


def without_markers(text):
    """The worker's code as it is put in: nothing in it is a marker."""
    if any(marker in text for marker in MARKERS):
        raise ValueError("the worker's code holds one of the page's markers")
    return text


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, ValueError) as e:
        print("make_page.py: %s" % e, file=sys.stderr)
        sys.exit(1)
