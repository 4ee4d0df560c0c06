#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it; it prints where its files are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target fsvg_demo
./build/demo/fsvg_demo "$PWD"
