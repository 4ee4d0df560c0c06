#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFSVG_WARNINGS_AS_ERRORS=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
