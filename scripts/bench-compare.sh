#!/usr/bin/env bash
# Compares the recording of two commits on this machine: builds fsvg_bench of each in
# Release (worktrees under build-compare/), then
#   1. runs `fsvg_bench --configs=memory,floor` of each in turn, ROUNDS times, and prints
#      each scene's median time an element and its ratio to the floor (the hand-written
#      writer both binaries share) for the two commits;
#   2. counts the instructions an element takes to record each scene into a named file,
#      under cachegrind, from the difference between 120,000 and 20,000 elements (the
#      setup cancels out): a measure a busy machine does not blur.
#
# Usage: scripts/bench-compare.sh BEFORE AFTER [ROUNDS]   (commits; ROUNDS defaults to 3)
set -euo pipefail
cd "$(dirname "$0")/.."
before="$1" after="$2" rounds="${3:-3}"
bash scripts/deps.sh --bench
command -v valgrind >/dev/null || apt-get install -y -qq valgrind >/dev/null

bench() {  # the fsvg_bench of commit $1
  local tree="build-compare/$(git rev-parse --short "$1")"
  [ -d "$tree" ] || git worktree add -q --detach "$tree" "$1"
  cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFSVG_BUILD_BENCHMARKS=ON >/dev/null
  cmake --build "$tree/build" -j2 --target fsvg_bench >/dev/null
  echo "$tree/build/bench/fsvg_bench"
}
binaries=("$(bench "$before")" "$(bench "$after")")
out=build-compare/runs
mkdir -p "$out"
for round in $(seq "$rounds"); do
  for side in 0 1; do
    "${binaries[$side]}" --configs=memory,floor --rounds=5 >"$out/$side-$round.txt"
  done
done

echo "# $before against $after, $rounds runs each in turn; load: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$out" "$rounds" <<'EOF'
import statistics, sys
out, rounds = sys.argv[1], int(sys.argv[2])
runs = {}  # (scene, N) -> per side, per run: (recording, floor) medians, ns an element
for side in (0, 1):
    for r in range(1, rounds + 1):
        medians = {}
        for line in open(f"{out}/{side}-{r}.txt"):
            cells = [cell.strip() for cell in line.split("|")[1:-1]]
            if len(cells) > 3 and cells[2][:2] in ("1 ", "6 "):
                medians[(cells[0], int(cells[1].replace(",", "")), cells[2][0])] = float(cells[3])
        for (scene, n, config), value in medians.items():
            if config == "1":
                runs.setdefault((scene, n), ([], []))[side].append((value, medians[(scene, n, "6")]))
print("| scene | N | ns/element before | after | /floor before | after |")
print("|---|---:|---:|---:|---:|---:|")
for (scene, n), sides in runs.items():
    time = [statistics.median(t for t, _ in s) for s in sides]
    ratio = [statistics.median(t / f for t, f in s) for s in sides]
    print(f"| {scene} | {n:,} | {time[0]:.1f} | {time[1]:.1f} | {ratio[0]:.3f} | {ratio[1]:.3f} |")
EOF

count() {  # instructions to record $3 elements of scene $2 with binary $1
  valgrind --tool=cachegrind --cache-sim=no --cachegrind-out-file=/dev/null "$1" --write-file="$out/vg.svg" \
    --scene="$2" --size="$3" 2>&1 | awk '/I *refs/ {gsub(",", "", $4); print $4}'
}
echo
echo "| scene | instructions an element, before | after | after/before |"
echo "|---|---:|---:|---:|"
for scene in rect line ellipse polygon text mix path clipped; do
  b=$(($(count "${binaries[0]}" "$scene" 120000) - $(count "${binaries[0]}" "$scene" 20000)))
  a=$(($(count "${binaries[1]}" "$scene" 120000) - $(count "${binaries[1]}" "$scene" 20000)))
  awk -v s="$scene" -v b="$b" -v a="$a" 'BEGIN { printf "| %s | %.1f | %.1f | %.3f |\n", s, b / 1e5, a / 1e5, a / b }'
done
rm -f "$out/vg.svg"
