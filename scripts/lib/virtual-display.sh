# virtual-display.sh - sourced: starts Xvfb with openbox on the first free display from $1 on.
# Sets DISPLAY and appends the two processes to the caller's `pids` array, which the caller's
# clean-up ends.
start_virtual_display() {
    local number=${1:-90}
    while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do
        number=$((number + 1))
    done
    export DISPLAY=:$number
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.5
}
