#!/usr/bin/env bash
# Builds the benchmarks in build-bench and prints the whole comparison table: every
# scene at N = 100,000 and 1,000,000, five rounds, every configuration this machine
# can build. Arguments go to fsvg_bench (e.g. --sizes=100000 --rounds=3).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DFSVG_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j2 --target fsvg_bench
echo "# fsvg_bench on $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; load: $(cut -d' ' -f1-3 /proc/loadavg)"
./build-bench/bench/fsvg_bench "$@"
