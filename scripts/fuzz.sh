#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang 14 (the library instrumented too, with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz, and runs each target
# from its seed corpus in fuzz/corpus/<target>: fuzz_number for at most SECONDS seconds,
# fuzz_drawing, which drives text as well as every drawing call, for twice that. New
# inputs go to build-fuzz/corpus/<target>, crashes to build-fuzz/artifacts/. Exits
# non-zero when a target finds a crash.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (default 60 s; all targets)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_number fuzz_drawing)

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DFSVG_BUILD_FUZZERS=ON -DFSVG_BUILD_TESTS=OFF -DFSVG_BUILD_DEMO=OFF -DFSVG_BUILD_CAIRO=OFF \
  -DFSVG_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
summary=()
for target in "${targets[@]}"; do
  work="build-fuzz/corpus/$target"
  mkdir -p "$work" build-fuzz/artifacts
  log="build-fuzz/$target.log"
  budget=$seconds
  [ "$target" = fuzz_drawing ] && budget=$((2 * seconds))
  echo "== $target: $budget s"
  if ./build-fuzz/fuzz/"$target" "$work" "fuzz/corpus/$target" -max_total_time="$budget" -timeout=10 \
      -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/artifacts/$target-" >"$log" 2>&1; then
    result="ok"
  else
    result="FAILED (see $log and build-fuzz/artifacts/)"
    status=1
    tail -n 40 "$log"
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  cover=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  summary+=("$target: $result, $runs executions in $budget s, $cover")
done
echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $status
