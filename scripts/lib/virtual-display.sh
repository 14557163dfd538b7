# virtual-display.sh - sourced: a virtual X display for scripts that drive the window.
# Processes the script starts go into `pids`; they are ended, last first, when it exits, and
# the scratch folders of new_work_dir are removed after them.

pids=()
work_dirs=()
stop_started() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    for dir in "${work_dirs[@]}"; do
        rm -rf "$dir"
    done
}
trap stop_started EXIT

# Makes a scratch folder, removed on exit, and names it in `work`.
new_work_dir() {
    work=$(mktemp -d)
    work_dirs+=("$work")
}

# How long any wait of the scripts that drive a window may take, in seconds: enough for a
# two-core machine whose cores are all busy with other work. A wait that holds returns at once.
wait_limit=${TOLVEX_WAIT_LIMIT:-60}

# wait_for <seconds> <command...>: runs the command every 20 ms until it succeeds; fails when
# it has not within the time given.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.02
    done
}

# The text on the display's clipboard, empty when there is none.
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }

# Starts Xvfb on a display number it picks itself (-displayfd, so that two runs never take the
# same one) with the openbox window manager, and sets DISPLAY. The server is told not to reset
# when its last client leaves: a client connecting during such a reset (openbox right after the
# xdpyinfo that saw the display answer) is refused.
start_virtual_display() {
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    work_dirs+=("$fifo")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    local xvfb=$!
    pids+=("$xvfb")
    read -r -t "$wait_limit" number <"$fifo" || { echo "virtual-display.sh: Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$number
    wait_for "$wait_limit" xdpyinfo || { echo "virtual-display.sh: display $DISPLAY does not answer" >&2; return 1; }
    local log
    log=$(mktemp)
    work_dirs+=("$log")
    openbox >"$log" 2>&1 &
    pids+=($!)
    wait_for "$wait_limit" window_manager_running ||
        { echo "virtual-display.sh: openbox did not start on $DISPLAY (Xvfb $(kill -0 "$xvfb" 2>/dev/null &&
            echo still runs || echo has ended)):" >&2; cat "$log" >&2; return 1; }
}

# Whether a window manager has taken the screen: it names its window on the root window.
window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q '# 0x'
}
