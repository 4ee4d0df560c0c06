#!/usr/bin/env bash
# The size of the tests against the size of the code: non-blank lines that are not only
# a // comment, in the .h and .cpp files git tracks. Tests are tests/, cairo/tests/,
# cairo/fidelity/ and fuzz/; code is include/, src/, cairo/include/, cairo/src/, demo/
# and bench/. Prints both counts and the ratio; fails when the ratio is above the limit:
# 0.35, or the ceiling given as the first argument.
set -euo pipefail
cd "$(dirname "$0")/.."
git rev-parse --is-inside-work-tree >/dev/null  # the counts are of the files git tracks

count() {  # DIR...
  git ls-files -z -- "$@" | grep -z -E '\.(h|cpp)$' | xargs -0 -r cat |
    grep -c -v -E '^[[:space:]]*(//.*)?$' || true
}
tests=$(count tests cairo/tests cairo/fidelity fuzz)
code=$(count include src cairo/include cairo/src demo bench)
limit=${1:-0.35}
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.4f", c ? t / c : 1 }')
echo "tests: $tests lines, code: $code lines, ratio: $ratio (limit $limit)"
# Judged on the counts, not on the rounded ratio printed.
awk -v t="$tests" -v c="$code" -v l="$limit" 'BEGIN { exit !(c > 0 && t <= l * c) }'
