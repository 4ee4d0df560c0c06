#!/usr/bin/env bash
# The size of the tests against the size of the code, in tokens (scripts/test-ratio.py
# says what is counted, drawing scripts included). Prints both sizes and the ratio; fails
# when the tests are above the limit times the code: the value in scripts/test-ratio.limit
# (a ratchet that may only fall), or the ceiling given as the first argument.
set -euo pipefail
cd "$(dirname "$0")/.."
git rev-parse --is-inside-work-tree >/dev/null  # the counts are of the files git tracks
exec python3 scripts/test-ratio.py "$@"
