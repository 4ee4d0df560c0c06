#!/usr/bin/env bash
# The benchmarks' smoke test for CI: builds them without warnings, runs every
# configuration once on a tiny scene (the recording canvas's bytes must equal the
# floor's in every configuration, and the owned file must take one write call per
# element), counts those write calls once more with strace where tracing is allowed,
# and runs each microbenchmark briefly. Times are printed, never judged.
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

count_writes() {
  local dir size=1000 calls
  dir=$(mktemp -d)
  strace -f -c -e trace=write -o "$dir/trace" \
    ./build-bench/bench/fsvg_bench --write-file="$dir/out.svg" --scene=mix --size=$size
  calls=$(awk '$NF == "write" { print $4 }' "$dir/trace")
  rm -rf "$dir"
  # One call per element, one for the header, one for the footer.
  echo "strace: $calls write calls for $size elements"
  [ "$calls" = "$((size + 2))" ]
}
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
  check count_writes
else
  echo "strace cannot trace here; the write calls were counted from /proc/self/io only"
fi

check ./build-bench/bench/fsvg_bench_micro --benchmark_min_time=0.01

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
