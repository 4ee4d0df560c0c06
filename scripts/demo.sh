#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it; it prints where its files are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --demo
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFSVG_BUILD_TESTS=OFF
cmake --build build-demo -j2 --target fsvg_demo
./build-demo/examples/demo/fsvg_demo "$PWD"
