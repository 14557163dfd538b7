#!/usr/bin/env bash
# repeat-backtest-box.sh - the Win32 backtest's column dialog and the box after it, over and
# over under Wine: each run opens a history file with two draw columns, takes the second from
# the keyboard (Down, Enter) and closes the "page saved at" box with Enter. Counts the boxes
# that never took the keyboard. Not part of the test command: it measures how often that
# happens by chance.
# Usage: scripts/repeat-backtest-box.sh [runs] [busy]
#   runs  default 200
#   busy  any value: every core is kept busy meanwhile
# Needs the mingw build (cmake --preset mingw; cmake --build --preset mingw).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}
exe=$PWD/build/mingw/ui/win32/tolvex.exe
[[ -f $exe ]] || { echo "repeat-backtest-box.sh: build the mingw preset first" >&2; exit 2; }

source scripts/lib/virtual-display.sh
source scripts/lib/cpu-hog.sh
source scripts/lib/windows-backtest.sh
new_work_dir
bt_start_wine
[[ -z "${2:-}" ]] || start_cpu_hog
trap 'wineserver -k 2>/dev/null || true; stop_started' EXIT

dir=$work/bt
mkdir -p "$dir"
windows_dir="Z:${dir//\//\\}"
printf 'Date Midday Evening\r\n2026-01-09 123 456\r\n2026-01-10 789 012\r\n2026-01-11 345 678\r\n2026-01-12 901 234\r\n2026-01-13 000 999\r\n' >"$dir/two.txt"
unfocused=0
failures=0
fail() { echo "$1"; failures=$((failures + 1)); }
for ((run = 1; run <= runs; run++)); do
    rm -f "$dir/two-回测.html"
    wine "$exe" "$windows_dir\\two.txt" >/dev/null 2>&1 &
    pid=$!
    wait_for "$wait_limit" bt_focused_is Tolvex || fail "run $run: the column dialog did not take the focus"
    xdotool key Down Return
    wait_for "$wait_limit" test -s "$dir/two-回测.html" || fail "run $run: no page written"
    wait_for "$wait_limit" bt_ended_or_box || true
    if bt_running && ! bt_focused_is Tolvex; then
        # What a player would do: move the mouse over the box. Whether that gives it the
        # keyboard tells a box the program never showed from one whose events went unread.
        unfocused=$((unfocused + 1))
        xdotool mousemove 512 384
        wait_for 5 bt_focused_is Tolvex && rescued=yes || rescued=no
        echo "run $run: the box did not take the keyboard; after a mouse move over it: $rescued"
    fi
    bt_focused_is Tolvex && xdotool key Return
    wait_for "$wait_limit" bash -c "! kill -0 $pid 2>/dev/null" || fail "run $run: the program did not end"
    bt_running && pkill -f 'tolvex\.exe' || true
    wait "$pid" 2>/dev/null || true
done
echo "repeat-backtest-box.sh: $runs runs, $unfocused box(es) that did not take the keyboard, $failures other failure(s)"
((unfocused == 0 && failures == 0))
