#!/usr/bin/env bash
# bench-qt.sh - speed and size of the Qt program tolvex (release build) on a virtual X display:
#   1. process start to window shown (median of runs, polled every few milliseconds);
#   2. Enter to the result on the clipboard, in process (bench_qt, QBENCHMARK), on xcb and
#      on the offscreen platform;
#   3. the program's peak memory (VmHWM) after a filtering and a hit.
# Usage: scripts/bench-qt.sh [runs]   (default 15 start-ups)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
scripts/setup.sh base qt
cmake --preset release >/dev/null
cmake --build --preset release --target tolvex bench_qt >/dev/null
program=build/release/ui/qt/tolvex
bench=build/release/ui/qt/bench_qt

source scripts/lib/virtual-display.sh
new_work_dir

start_virtual_display 93
export XDG_RUNTIME_DIR=$work

shown() { xdotool search --onlyvisible --name '^Tolvex$' >/dev/null 2>&1; }

echo "== Start-up: process start to window shown (mapped and viewable), $runs runs"
"$program" & p=$!  # one run to warm the file cache
until shown; do sleep 0.005; done
kill $p; wait $p 2>/dev/null || true
times=()
for ((r = 0; r < runs; r++)); do
    t0=$(date +%s%N)
    "$program" & p=$!
    until shown; do sleep 0.002; done
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
    kill $p; wait $p 2>/dev/null || true
    while shown; do sleep 0.01; done
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up ms: min ${sorted[0]}, median ${sorted[$((runs / 2))]}, max ${sorted[$((runs - 1))]}"

echo "== Enter to the result on the clipboard (in process)"
for platform in xcb offscreen; do
    QT_QPA_PLATFORM=$platform "$bench" 2>/dev/null | awk -v p="$platform" '
        /^RESULT/ { name = $3 } /msecs per iteration/ { print p ": " name " " $1 " ms per iteration" }'
done

echo "== Peak memory after a filtering and a hit"
"$program" & p=$!
until shown; do sleep 0.01; done
sleep 0.3
xdotool type --delay 10 456
xdotool key Tab
xdotool type --delay 10 123
xdotool key Return
xdotool type --delay 10 000
sleep 0.3
grep -E 'VmHWM|VmRSS' /proc/$p/status | sed 's/^/tolvex /'
kill $p; wait $p 2>/dev/null || true
