# qt-window.sh - sourced after virtual-display.sh: starts the Qt program on the virtual display
# and reads its windows and boxes from the X server, for the scripts that drive it.
# Needs `program` (the executable) and `work` (a scratch folder, new_work_dir).

# The players' locale when this machine has it: Qt's own dialogs then speak Chinese.
chinese=""
if locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    chinese=zh_CN.UTF-8
fi

# The window's outer rectangle as "x y width height", frame included.
outer() {
    local x y w h l r t b
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/{print "x="$4} /Absolute upper-left Y/{print "y="$4} /Width:/{print "w="$2} /Height:/{print "h="$2}')"
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
framed() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }
# How far the centre of window $1's frame is from the screen's centre, as "dx,dy".
off_centre() {
    local bx by bw bh
    read -r bx by bw bh < <(outer "$1")
    echo "$((bx + bw / 2 - 512)),$((by + bh / 2 - 384))"
}
centred() { [[ $(off_centre "$1") =~ ^-?[01],-?[01]$ ]]; }

# Starts the program with HOME $1 and waits until its window is framed and has the focus;
# sets `app` (the process), `window`, and `cx` `cy` (its client area's origin, for click_at).
start_program() {
    mkdir -p "$1/Desktop" "$1/tmp"
    mkdir -m 700 "$1/run"
    HOME=$1 TMPDIR=$1/tmp XDG_RUNTIME_DIR=$1/run env ${chinese:+LC_ALL=$chinese} "$program" >"$1/log" 2>&1 &
    app=$!
    pids+=("$app")
    if ! wait_for "$wait_limit" xdotool search --onlyvisible --pid "$app" --name '^Tolvex$'; then
        echo "${0##*/}: the window did not open within $wait_limit s; the program $(program_ended &&
            echo "has ended" || echo "still runs"); its windows: $(xdotool search --pid "$app" 2>/dev/null |
            xargs -r -n1 xdotool getwindowname 2>/dev/null | tr '\n' '|')" >&2
        cat "$1/log" >&2
        exit 1
    fi
    window=$(xdotool search --onlyvisible --pid "$app" --name '^Tolvex$' | head -1)
    wait_for "$wait_limit" framed "$window"
    wait_for "$wait_limit" has_focus "$window"
    read -r cx cy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
}
click_at() { xdotool mousemove $((cx + $1)) $((cy + $2)) click 1; }
has_focus() { [[ $(xdotool getwindowfocus) == "$1" ]]; }
# The program's open windows other than its main window (boxes and dialogs), newest last.
others() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$window" || true; }
open_box() { others | tail -1; }
box_open() { [[ -n $(open_box) ]]; }
no_box_open() { [[ -z $(open_box) ]]; }
# Whether the newest open box or dialog is another than window $1.
another_box_than() { [[ $(open_box) != "$1" ]]; }
program_ended() { ! kill -0 "$app" 2>/dev/null; }

# Minimises window $1 through the window manager, and waits until the window manager has done
# it: its WM_STATE changed after the request, which the program cannot undo before.
minimise() {
    local log
    log=$(mktemp -p "$work")
    xprop -spy -id "$1" WM_STATE _TOLVEX_PROBE >"$log" 2>/dev/null &
    local spy=$! status=0
    # Once a property set here shows in the log, the spy sees every change that follows.
    xprop -id "$1" -f _TOLVEX_PROBE 32c -set _TOLVEX_PROBE 1
    wait_for "$wait_limit" grep -q _TOLVEX_PROBE "$log" || status=1
    local before
    before=$(grep -c 'window state:' "$log" || true)
    xdotool windowminimize "$1"
    wait_for "$wait_limit" bash -c '(($(grep -c "window state:" "$1") > $2))' _ "$log" "$before" ||
        status=1
    kill "$spy" 2>/dev/null || true
    wait "$spy" 2>/dev/null || true
    return "$status"
}
# Whether window $1 is in the normal state (not minimised) and mapped, as is the main window.
shown() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Normal' && xwininfo -id "$1" | grep -q IsViewable; }
both_shown() { shown "$1" && shown "$window"; }
