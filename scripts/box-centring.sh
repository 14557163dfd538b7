#!/usr/bin/env bash
# box-centring.sh - opens many message boxes of the Qt program on Xvfb with openbox and counts
# those that end off the screen's centre by more than a pixel, on a quiet or a loaded machine.
# Usage: scripts/box-centring.sh [--load] [program] [sessions]
#   --load    every core kept busy by a CPU hog (stress-ng, else a busy loop per core)
#   program   default build/release/ui/qt/tolvex
#   sessions  default 30; each opens four boxes: the last-draw message as the session's first
#             box, the previous-draw message, the success message after the Save dialog and
#             the last-draw message after it
# A box counts as centred when it is centred within TOLVEX_BOX_SETTLE seconds (default 10) of
# being framed and still is when it is closed. Prints one line per box off centre and a total.
set -euo pipefail
cd "$(dirname "$0")/.."
load=""
if [[ ${1:-} == --load ]]; then
    load=yes
    shift
fi
program=${1:-build/release/ui/qt/tolvex}
sessions=${2:-30}
settle=${TOLVEX_BOX_SETTLE:-10}
[[ -x $program ]] || { echo "box-centring.sh: build $program first" >&2; exit 2; }

source scripts/lib/virtual-display.sh
source scripts/lib/qt-window.sh
source scripts/lib/cpu-hog.sh
new_work_dir
[[ -z $load ]] || start_cpu_hog
start_virtual_display

boxes=0
off=0
declare -A kind_boxes kind_off
# Waits for the box that opens, measures it once it has had time to settle, closes it with Enter.
measure_box() {  # measure_box <kind>
    local box where
    boxes=$((boxes + 1))
    kind_boxes[$1]=$((${kind_boxes[$1]:-0} + 1))
    if ! wait_for "$wait_limit" box_open; then
        echo "session $session, $1: no box opened"
        off=$((off + 1))
        kind_off[$1]=$((${kind_off[$1]:-0} + 1))
        return
    fi
    box=$(open_box)
    wait_for "$wait_limit" framed "$box" || true
    wait_for "$settle" centred "$box" || true
    wait_for "$wait_limit" has_focus "$box" || true
    where=$(off_centre "$box")
    if ! [[ $where =~ ^-?[01],-?[01]$ ]]; then
        echo "session $session, $1: off by $where ($(outer "$box"), frame $(xprop -id "$box" _NET_FRAME_EXTENTS | sed 's/.*= //'))"
        off=$((off + 1))
        kind_off[$1]=$((${kind_off[$1]:-0} + 1))
    fi
    xdotool key Return
    wait_for "$wait_limit" no_box_open || true
    wait_for "$wait_limit" has_focus "$window" || true
}

for ((session = 1; session <= sessions; session++)); do
    home=$work/home-$session
    start_program "$home"
    # Enter in the empty boxes: the last-draw message, the first box of the session.
    xdotool key Return
    measure_box "last-draw message, first box"
    # A click empties the previous-draw box; a last draw and Enter: the previous-draw message.
    click_at 320 194
    xdotool key Tab
    xdotool type --delay 20 123
    xdotool key Return
    measure_box "previous-draw message"
    # The focus is back in the previous-draw box: a draw and Enter filter.
    xdotool type --delay 20 456
    xdotool key Return
    # The save button, a name typed into the Save dialog: the success message.
    click_at 429 276
    wait_for "$wait_limit" box_open || true
    dialog=$(open_box)
    wait_for "$wait_limit" has_focus "$dialog" || true
    xdotool type --delay 20 "saved"
    xdotool key Return
    wait_for "$wait_limit" another_box_than "$dialog" || true
    measure_box "success message after the Save dialog"
    # A click empties the last-draw box; Enter there: the last-draw message again.
    click_at 420 194
    xdotool key Return
    measure_box "last-draw message after the Save dialog"
    click_at 429 316
    wait_for "$wait_limit" program_ended || { echo "box-centring.sh: the program did not end" >&2; exit 1; }
    wait "$app" 2>/dev/null || true
done

for kind in "${!kind_boxes[@]}"; do
    echo "  $kind: ${kind_off[$kind]:-0} of ${kind_boxes[$kind]} off centre"
done
echo "box-centring.sh: $off of $boxes boxes off centre by more than a pixel${load:+ (every core busy)}"
((off == 0))
