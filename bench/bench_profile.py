"""One run of listconv under callgrind, its instructions shown by function."""

import os
import re
import shutil
import subprocess

from bench_common import DEFAULT_KANJI, DEFAULT_WORDS, data_set, fail

PROFILE_LINE = re.compile(r"^\s*([\d,]+) \(\s*([\d.]+)%\)\s+[^:]*:(.*?)(?: \[(.*)\])?$")
STARTUP = ("(below main)", "__libc_start_main", "0x0")
SHORT_NAMES = (
    ("std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >",
     "std::string"),
    ("std::vector<std::string, std::allocator<std::string > >", "TextList"),
    ("(anonymous namespace)::", ""),
)


def profile_rows(report):
    """(share in percent, function, object) of each function line of a report."""
    rows = []
    for line in report.splitlines():
        m = PROFILE_LINE.match(line)
        if not m or "PROGRAM TOTALS" in line:
            continue
        function = m.group(3)
        if any(function.startswith(s) for s in STARTUP):
            continue
        for long_name, short_name in SHORT_NAMES:
            function = function.replace(long_name, short_name)
        rows.append((float(m.group(2)), function, os.path.basename(m.group(4) or "")))
    return rows


def run_profile(args, listconv):
    if shutil.which("valgrind") is None or shutil.which("callgrind_annotate") is None:
        fail("valgrind is not installed")
    folder = data_set(args.build, args.data, DEFAULT_KANJI, DEFAULT_WORDS, args.profile_records)
    out_file = os.path.abspath(os.path.join(args.data, "callgrind.out"))
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out_file,
                    listconv], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for inclusive in ("yes", "no"):
        report = subprocess.run(["callgrind_annotate", "--inclusive=" + inclusive,
                                 "--threshold=99", out_file],
                                check=True, capture_output=True, text=True).stdout
        total = re.search(r"([\d,]+) \(100.0%\)\s+PROGRAM TOTALS", report)
        print("---- callgrind, K = %d, W = %d, R = %d: %s instructions; share by function, %s ----"
              % (DEFAULT_KANJI, DEFAULT_WORDS, args.profile_records,
                 total.group(1) if total else "?",
                 "callees included" if inclusive == "yes" else "own code only"))
        for share, function, obj in profile_rows(report)[:args.profile_top]:
            print("%6.2f%%  %s  [%s]" % (share, function[:120], obj))
    print("full data: callgrind_annotate %s" % out_file)
