#!/usr/bin/env bash
# Installs the Debian package into this machine (as root), runs both programs
# from their installed paths on the sample data, checks the manual pages and
# the bash completion (and that bash-completion is recommended), then removes the package again, also after a failure.
#
# Usage: tests/package_test.sh PACKAGE.deb [SAMPLE_DIR]
set -euo pipefail

deb=$(realpath "$1")
sample=$(realpath "${2:-$(dirname "$0")/../sample}")
package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
work=$(mktemp -d)

fail() {
  echo "package test: $*" >&2
  exit 1
}
cleanup() {
  dpkg -r "$package" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The completion is loaded by bash-completion, which the package recommends
# (apt installs it by default) rather than needs.
recommends=$(dpkg-deb -f "$deb" Recommends)
tr ',' '\n' <<<"$recommends" | grep -qE '^ *bash-completion( \(.*\))? *$' ||
  fail "the package does not recommend bash-completion (it recommends: ${recommends:-nothing})"

dpkg -i "$deb" >/dev/null
for program in listconv listconv-export listconv-import; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
  [ "$("/usr/bin/$program" --version)" = "$program $version" ] ||
    fail "$program --version does not say $version"
done

cp "$sample/kanjis.dat" "$sample/words.txt" "$sample/list.rec" "$work/"
(cd "$work" && /usr/bin/listconv >console.txt) || fail "listconv failed on the sample"
cmp "$work/list.txt" "$sample/list.txt" || fail "listconv's list.txt differs from the sample's"
cmp "$work/console.txt" "$sample/console.txt" || fail "listconv's console differs from the sample's"
/usr/bin/listconv-export -C "$work" -o "$work/listing.csv"
[ "$(wc -l <"$work/listing.csv")" -eq 13 ] || fail "the CSV of the sample is not a header and 12 rows"
/usr/bin/listconv-export -C "$work" --format html -o "$work/catalogue.html"
grep -q '\[12,"' "$work/catalogue.html" && ! grep -q '\[13,"' "$work/catalogue.html" &&
  grep -q '</html>' "$work/catalogue.html" || fail "the catalogue page does not hold the 12 records"

# The way back: the sample's records and dictionary written into a copy give
# the same listing.
mkdir "$work/copy"
cp "$sample/kanjis.dat" "$sample/words.txt" "$sample/list.rec" "$work/copy/"
/usr/bin/listconv-export -C "$work" --format records -o "$work/records.csv"
/usr/bin/listconv-export -C "$work" --format dictionary -o "$work/words.csv"
/usr/bin/listconv-import -C "$work/copy" "$work/records.csv" "$work/words.csv" >/dev/null ||
  fail "listconv-import failed on the sample's exports"
(cd "$work/copy" && /usr/bin/listconv >/dev/null)
cmp "$work/copy/list.txt" "$sample/list.txt" || fail "the imported copy's list.txt differs"

for page in listconv listconv-export listconv-import; do
  gzip -t "/usr/share/man/man1/$page.1.gz" || fail "no manual page $page.1.gz"
done
for program in listconv-export listconv-import; do
  completion=/usr/share/bash-completion/completions/$program
  bash -c "source $completion && complete -p $program" >/dev/null ||
    fail "the bash completion does not complete $program"
done

dpkg -r "$package" >/dev/null
for file in /usr/bin/listconv /usr/bin/listconv-export /usr/bin/listconv-import \
    /usr/share/bash-completion/completions/listconv-export \
    /usr/share/bash-completion/completions/listconv-import; do
  [ ! -e "$file" ] || fail "$file of $package is left after dpkg -r"
done
echo "package test: $(basename "$deb") installs, runs the sample and removes cleanly"
