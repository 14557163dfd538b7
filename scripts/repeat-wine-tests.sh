#!/usr/bin/env bash
# repeat-wine-tests.sh - every Windows test under Wine, as 30-mingw.sh runs them on a fresh
# checkout (a new prefix, `ctest -j2`, a virtual display), several times over; counts the runs
# that fail and names their failed tests. Not part of the test command: it measures how often a
# run fails by chance.
# Usage: scripts/repeat-wine-tests.sh [runs] [busy]
#   runs  default 20
#   busy  any value: every core is kept busy meanwhile
# Needs the mingw build (cmake --preset mingw; cmake --build --preset mingw).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
[[ -f build/mingw/CTestTestfile.cmake ]] || { echo "repeat-wine-tests.sh: build the mingw preset first" >&2; exit 2; }

source scripts/lib/virtual-display.sh
source scripts/lib/cpu-hog.sh
new_work_dir
source scripts/lib/wine-tests.sh
[[ -z "${2:-}" ]] || start_cpu_hog
start_wine_tests

failed=0
for ((run = 1; run <= runs; run++)); do
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
    start=$SECONDS
    if ctest --preset mingw -j2 >"$work/run-$run.log" 2>&1; then
        echo "run $run: passed in $((SECONDS - start)) s"
    else
        failed=$((failed + 1))
        echo "run $run: FAILED in $((SECONDS - start)) s"
        grep -a -E '\*\*\*(Failed|Timeout|Exception)|FAIL |exit status|stderr|wine client|wine-run.sh' \
            "$work/run-$run.log" || true
    fi
done
echo "repeat-wine-tests.sh: $failed of $runs runs failed"
((failed == 0))
