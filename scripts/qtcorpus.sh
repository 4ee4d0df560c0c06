#!/usr/bin/env bash
# The Qt corpus for CI: Qt's Fusion widgets and example programs (fetched from
# qtbase5-examples at configure time) rendered into a QImage, through QSvgGenerator and
# through the paint device, each document by rsvg, resvg and Chromium. Fails when a
# render does worse than QSvgGenerator, refers forward, is not valid SVG 1.1, or has more
# of its pixels differing from Qt's than its limit (0.5% without text, 2% with);
# `--report` prints the limits without holding them. Adds the corpus to the tree
# scripts/test.sh builds (nothing else is rebuilt).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFSVG_WARNINGS_AS_ERRORS=ON -DFSVG_BUILD_QT_CORPUS=ON >/dev/null
cmake --build build -j2
[ "${1:-}" != "--report" ] || export FSVG_QTCORPUS_LIMITS=report
status=0
ctest --test-dir build -L qtcorpus -j2 --output-on-failure || status=$?
python3 scripts/qtcorpus-table.py build/tests/qtcorpus/output || true
exit $status
