#!/usr/bin/env bash
# Compares listconv's CP932 encoder with Windows' own as Wine has it: builds
# cp932_windows_table.cpp with the 64-bit MinGW-w64 compiler, runs it under
# 64-bit Wine in a Wine prefix of its own, and hands its table to
# cp932_windows_compare. Exits 77 (skipped) where the compiler or Wine is not
# installed.
#   cp932_windows_reference.sh TABLE_SOURCE COMPARE_PROGRAM WORK_DIR
# WINE64 names another 64-bit Wine loader.
set -u
if [ $# -ne 3 ]; then
  echo "usage: $0 TABLE_SOURCE COMPARE_PROGRAM WORK_DIR" >&2
  exit 2
fi
source=$1
compare=$2
work=$3

cxx=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++ || true)
wine=${WINE64:-/usr/lib/wine/wine64}
if [ -z "$cxx" ]; then
  echo "skipped: x86_64-w64-mingw32-g++ not found (Debian: g++-mingw-w64-x86-64)"
  exit 77
fi
if [ ! -x "$wine" ]; then
  echo "skipped: $wine not found (Debian: wine64)"
  exit 77
fi
server=${wine%/*}/wineserver
[ -x "$server" ] || server=wineserver

mkdir -p "$work" || exit 1
exe=$work/cp932_windows_table.exe
table=$work/windows-table.txt
rm -f "$table"
"$cxx" -O2 -Wall -Wextra -Wpedantic -static -o "$exe" "$source" || exit 1

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINELOADER=$wine
status=0
# The first run creates the prefix, which takes a while.
if ! timeout 300 "$wine" "$exe" >"$table" 2>"$work/wine.log"; then
  echo "the reference program failed under $wine:" >&2
  cat "$work/wine.log" >&2
  status=1
fi
# Nothing of Wine outlives the test.
timeout 60 "$server" -w || "$server" -k
if [ $status -eq 0 ]; then
  "$compare" "$table" || status=1
fi
exit $status
