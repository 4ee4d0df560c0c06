#!/usr/bin/env bash
# The benchmarks' smoke test for CI: builds them without warnings, runs every
# configuration once on a tiny scene (the recording canvas's bytes must equal the
# floor's in every configuration, the line-buffered file must take one write call per
# element, the owned and the fully buffered file one per MiB), counts the write calls
# once more with strace where tracing is allowed, and runs each microbenchmark briefly.
# Times are printed, never judged.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DFSVG_BUILD_BENCHMARKS=ON \
  -DFSVG_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-bench -j2 --target fsvg_bench fsvg_bench_micro

passed=0
failed=0
check() {
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $*"; fi
}

check ./build-bench/bench/fsvg_bench --smoke

# Counts the system calls of one recording into a file: with --line, one write per
# element, one for the header and one for the footer; through the file name, one write
# and at most one reservation per MiB (a regression to a write per element shows as
# thousands), and the unused reservation given back once.
count_writes() {
  local dir size=20000 trace calls reserves truncates bytes limit
  dir=$(mktemp -d)
  trace() {
    strace -f -c -e trace=write,fallocate,ftruncate -o "$dir/trace" \
      ./build-bench/bench/fsvg_bench --write-file="$dir/out.svg" --scene=mix --size=$size "$@"
    bytes=$(stat -c %s "$dir/out.svg")
    calls=$(awk '$NF == "write" { print $4 }' "$dir/trace")
    reserves=$(awk '$NF == "fallocate" { print $4 }' "$dir/trace")
    truncates=$(awk '$NF == "ftruncate" { print $4 }' "$dir/trace")
  }
  trace --line
  echo "strace, line-buffered: $calls write calls for $size elements"
  [ "$calls" = "$((size + 2))" ] || { rm -rf "$dir"; return 1; }
  trace
  limit=$((bytes / (1024 * 1024 - 4096) + 1))
  echo "strace, file name: $calls write calls, ${reserves:-0} fallocate, ${truncates:-0} ftruncate for $size elements ($bytes bytes)"
  rm -rf "$dir"
  [ "$calls" -ge 1 ] && [ "$calls" -le "$limit" ] && [ "${reserves:-0}" -le "$((limit + 1))" ] && [ "${truncates:-0}" -le 1 ]
}
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
  check count_writes
else
  echo "strace cannot trace here; the write calls were counted from /proc/self/io only"
fi

check ./build-bench/bench/fsvg_bench_micro --benchmark_min_time=0.01

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
