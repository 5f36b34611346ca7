#!/usr/bin/env python3
"""Checks that the manual page, and the bash completion where there is one, name
every option that a program's --help lists.

Usage: docs_options_test.py PROGRAM MANUAL [COMPLETION]

The manual pages and the completion are kept by hand in doc/: an option added
to a program must be added to them too, and this test says so when it is not.
"""
import re
import subprocess
import sys

# An option as --help shows it: -x, --long-name, or /? (a Windows habit).
OPTION = re.compile(r"(?<![\w/-])(--?[A-Za-z][\w-]*|/\?)")


def named(option, text):
    return re.search(r"(?<![\w/-])" + re.escape(option) + r"(?![\w-])", text) is not None


def manual_text(path):
    """The manual page's words, without roff's font changes and with \\- as -."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return re.sub(r"\\f[BIRP]", "", text).replace("\\-", "-")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    program, manual = sys.argv[1], sys.argv[2]
    completion = sys.argv[3] if len(sys.argv) == 4 else None
    name = re.sub(r"\.exe$", "", program.replace("\\", "/").split("/")[-1])
    help_text = subprocess.run([program, "--help"], check=True, capture_output=True,
                               text=True).stdout
    options = sorted(set(OPTION.findall(help_text)))
    assert "--help" in options, "no options found in the output of %s --help" % name

    documents = [(manual, manual_text(manual), "manual page")]
    if completion:
        with open(completion, encoding="utf-8") as f:
            documents.append((completion, f.read(), "bash completion"))
    missing = []
    for option in options:
        for path, text, kind in documents:
            if not named(option, text):
                missing.append("%s --help lists %s, but its %s %s does not name it"
                               % (name, option, kind, path))
    if missing:
        also = " and in its bash completion" if completion else ""
        print("\n".join(missing))
        print("Every option of %s --help must be named in its manual page%s, which are "
              "kept by hand in doc/: add the options above there." % (name, also))
        return 1
    print("%s: %s named in %s" % (name, " ".join(options),
                                   " and ".join(path for path, _, _ in documents)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
