# virtual-display.sh - sourced: a virtual X display for scripts that drive the window.
# Processes the script starts go into `pids`; they are ended, last first, when it exits, and
# the scratch folder of new_work_dir is removed after them.

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

# Starts Xvfb with openbox on the first free display from $1 on and sets DISPLAY.
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
