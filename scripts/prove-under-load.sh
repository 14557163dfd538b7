#!/usr/bin/env bash
# prove-under-load.sh - the window tests while every core is kept busy: the Qt session
# (scripts/qt-session.sh) and the Win32 window tests under Wine, each run several times; every
# run must pass. Not part of the test command, which it would slow down too much.
# Usage: scripts/prove-under-load.sh [qt-program] [qt-runs] [win32-runs]
#   qt-program  default build/release/ui/qt/tolvex
#   qt-runs     default 10
#   win32-runs  default 5; needs the mingw build (cmake --preset mingw; cmake --build --preset mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/release/ui/qt/tolvex}
qt_runs=${2:-10}
win32_runs=${3:-5}
[[ -x $program ]] || { echo "prove-under-load.sh: build $program first" >&2; exit 2; }
[[ -f build/mingw/CTestTestfile.cmake ]] || { echo "prove-under-load.sh: build the mingw preset first" >&2; exit 2; }

source scripts/lib/virtual-display.sh
source scripts/lib/cpu-hog.sh
new_work_dir
start_cpu_hog

qt_passed=0
for ((run = 1; run <= qt_runs; run++)); do
    if bash scripts/qt-session.sh "$program" >"$work/qt-$run.log" 2>&1; then
        qt_passed=$((qt_passed + 1))
        echo "Qt session run $run: passed"
    else
        echo "Qt session run $run: FAILED"
        grep -v '^ok ' "$work/qt-$run.log" || true
    fi
done

# The Win32 window tests as 30-mingw.sh runs them, on a virtual display of their own.
source scripts/lib/wine-tests.sh
start_wine_tests
win32_passed=0
for ((run = 1; run <= win32_runs; run++)); do
    if ctest --test-dir build/mingw -L gui --output-on-failure >"$work/win32-$run.log" 2>&1; then
        win32_passed=$((win32_passed + 1))
        echo "Win32 window tests run $run: passed ($(grep -o 'Total Test time.*' "$work/win32-$run.log"))"
    else
        echo "Win32 window tests run $run: FAILED"
        tail -40 "$work/win32-$run.log"
    fi
done

echo "prove-under-load.sh: Qt session $qt_passed of $qt_runs passed, Win32 window tests $win32_passed of $win32_runs passed, every core busy"
((qt_passed == qt_runs && win32_passed == win32_runs))
