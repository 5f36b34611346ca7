#!/usr/bin/env python3
"""Keeps the Content-Security-Policy of the catalogue page in step with its inline code.

The page allows only its own inline script and style, named by their SHA-256
hashes; any edit to either changes its hash. Without --write, this checks the
hashes in the policy and exits 1, saying which is stale, when they do not
match. With --write it puts the current hashes into the template.

Usage: catalogue_csp.py [--write] [TEMPLATE]   (default: src/formats/catalogue.html)
"""
import argparse
import base64
import hashlib
import os
import re
import sys

DEFAULT_TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src",
                                "formats", "catalogue.html")

POLICY = re.compile(r'(<meta http-equiv="Content-Security-Policy" content=")([^"]*)(")')
# Only a bare <script> runs; the data block carries a type and is never executed.
BLOCKS = {"script-src": re.compile(r"<script>(.*?)</script>", re.S),
          "style-src": re.compile(r"<style>(.*?)</style>", re.S)}
MARKER = re.compile(r"@[A-Z]+@")


def source_hash(text):
    # Browsers hash the element's text after turning CR LF and CR into LF.
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode("utf-8")).digest()).decode() + "'"


def wanted_sources(page):
    """The hash sources each directive should list, in page order; raises ValueError."""
    wanted = {}
    for directive, pattern in BLOCKS.items():
        blocks = pattern.findall(page)
        if not blocks:
            raise ValueError("no inline %s block" % directive.split("-")[0])
        for block in blocks:
            if MARKER.search(block):
                raise ValueError("a marker inside an inline %s block would change its hash"
                                 % directive.split("-")[0])
        wanted[directive] = [source_hash(b) for b in blocks]
    return wanted


def with_sources(policy, wanted):
    directives = [d.strip() for d in policy.split(";") if d.strip()]
    out = []
    for d in directives:
        name = d.split()[0]
        out.append(" ".join([name] + wanted[name]) if name in wanted else d)
    for name in wanted:
        if not any(d.split()[0] == name for d in directives):
            out.append(" ".join([name] + wanted[name]))
    return "; ".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("template", nargs="?", default=DEFAULT_TEMPLATE)
    parser.add_argument("--write", action="store_true", help="rewrite the hashes in the template")
    args = parser.parse_args()
    name = os.path.relpath(args.template)

    with open(args.template, encoding="utf-8", newline="") as f:
        page = f.read()
    found = POLICY.search(page)
    if not found:
        print("%s: no Content-Security-Policy meta element" % name, file=sys.stderr)
        return 1
    try:
        wanted = wanted_sources(page)
    except ValueError as e:
        print("%s: %s" % (name, e), file=sys.stderr)
        return 1
    policy = found.group(2)
    fixed = with_sources(policy, wanted)

    if args.write:
        if fixed != policy:
            page = page[:found.start(2)] + fixed + page[found.end(2):]
            with open(args.template, "w", encoding="utf-8", newline="") as f:
                f.write(page)
            print("%s: hashes updated" % name)
        return 0

    if fixed == policy:
        print("%s: the policy's hashes match the inline script and style" % name)
        return 0
    have = {d.split()[0]: d.split()[1:] for d in policy.split(";") if d.strip()}
    for directive, sources in wanted.items():
        if have.get(directive) != sources:
            print("%s: %s is stale: it lists %s, the page needs %s"
                  % (name, directive, " ".join(have.get(directive, [])) or "nothing",
                     " ".join(sources)), file=sys.stderr)
    print("run tools/catalogue_csp.py --write after editing the page", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
