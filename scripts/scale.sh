#!/usr/bin/env bash
# The scale run: builds fsvg_scale (build-rel), records COUNT mixed elements into one
# file while printing the peak memory every million elements, then checks that the file
# is well-formed with a streaming parser (xmllint --stream) and holds one line per
# element. Memory is measured and printed, not judged. The file is removed afterwards
# unless KEEP=1.
#
# Usage: scripts/scale.sh [COUNT]   (default 10000000)
set -euo pipefail
cd "$(dirname "$0")/.."

count="${1:-10000000}"
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFSVG_WARNINGS_AS_ERRORS=ON \
  -DFSVG_BUILD_FUZZERS=ON >/dev/null
cmake --build build-rel -j2 --target fsvg_scale

file="build-rel/scale.svg"
[ "${KEEP:-0}" = 1 ] || trap 'rm -f "$file"' EXIT
./build-rel/fuzz/fsvg_scale "$file" "$count"

echo "== xmllint --stream --noout ($(du -h "$file" | cut -f1))"
start=$(date +%s)
xmllint --stream --noout "$file"
echo "well-formed ($(($(date +%s) - start)) s)"

# The header takes two lines, every element one, and the footer ends the last.
lines=$(wc -l <"$file")
if [ "$lines" -ne $((count + 2)) ]; then
  echo "expected $((count + 2)) lines, found $lines" >&2
  exit 1
fi
echo "$count elements, one line each"
