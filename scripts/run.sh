#!/usr/bin/env bash
# run.sh - installs what is missing, builds the program tolvex (release) and starts its window.
# With a display ($DISPLAY set) the window opens there. Without one, the script starts a
# virtual X server (Xvfb) with the openbox window manager, opens the window there, writes a
# screenshot and says where; it then keeps the window open until Enter is pressed (or closes
# it at once when standard input is not a terminal).
# Environment: TOLVEX_SCREENSHOT (default build/release/tolvex-window.png) names the picture.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh base qt
cmake --preset release >/dev/null
cmake --build --preset release --target tolvex
program=build/release/ui/qt/tolvex

if [[ -n "${DISPLAY:-}" ]]; then
    exec "$program"
fi

shot=${TOLVEX_SCREENSHOT:-build/release/tolvex-window.png}
source scripts/lib/virtual-display.sh

start_virtual_display
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    new_work_dir
    export XDG_RUNTIME_DIR=$work
fi
"$program" &
pids+=($!)
# Framed and placed once the window manager has set its frame extents.
wait_for "$wait_limit" bash -c "xdotool search --onlyvisible --name '^Tolvex\$' |
    xargs -r -I{} xprop -id {} _NET_FRAME_EXTENTS | grep -q '='" ||
    { echo "run.sh: the window did not open" >&2; exit 1; }
import -window root "$shot"
echo "run.sh: tolvex runs on the virtual display $DISPLAY (Xvfb with openbox)."
[[ $shot == /* ]] || shot=$PWD/$shot
echo "run.sh: screenshot written to $shot"
if [[ -t 0 ]]; then
    echo "run.sh: drive it with e.g. DISPLAY=$DISPLAY xdotool type 456; press Enter here to close it."
    read -r _
fi
