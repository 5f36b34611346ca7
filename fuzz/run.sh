#!/usr/bin/env bash
# Runs every fuzz target built in BUILD_DIR for SECONDS each, one at a time,
# from its seed corpus in fuzz/corpus/<target>/. New inputs go to
# BUILD_DIR/corpus/<target>/, findings to BUILD_DIR/findings/. Exits non-zero
# on the first finding.
#
#   fuzz/run.sh BUILD_DIR [SECONDS] [TARGET...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
seconds="${2:-60}"
shift $(($# < 2 ? $# : 2))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < "$build/fuzz/targets.txt"
fi

# Longest input of each target: big enough for its structure, small enough
# that a slow call that still ends is not taken for a hang.
max_len() {
  case "$1" in
    run) echo 8192 ;;
    dictionary | import_tables) echo 4096 ;;
    record) echo 700 ;;
    *) echo 256 ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  echo "== fuzz_$t: $seconds s"
  "$build/fuzz/fuzz_$t" "$corpus" "$here/corpus/$t" \
    -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings/$t-" -print_final_stats=1 2> "$build/fuzz_$t.log" ||
    { tail -n 60 "$build/fuzz_$t.log"; echo "fuzz_$t: finding, see $build/findings/"; exit 1; }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$build/fuzz_$t.log" || true
done
