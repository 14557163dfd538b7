#!/usr/bin/env bash
# qt-session.sh - drives the built tolvex window as a user would, on a virtual X display.
# Types draws, presses Enter and Tab, clicks, reads the clipboard (xclip) and the saved file,
# and prints one line per check; exits non-zero when a check fails.
# Usage: scripts/qt-session.sh [program] [screenshot.png]
#   program     default build/release/ui/qt/tolvex
#   screenshot  where to write a picture of the window after a filtering and a hit
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/release/ui/qt/tolvex}
shot=${2:-}
[[ -x $program ]] || { echo "qt-session.sh: build $program first (scripts/run.sh)" >&2; exit 2; }

source scripts/lib/virtual-display.sh
new_work_dir

start_virtual_display 91

mkdir -p "$work/home/Desktop"
HOME=$work/home XDG_RUNTIME_DIR=$work "$program" >"$work/log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Tolvex$' | head -1)
sleep 0.5

failures=0
check() {  # check <what> <expected> <actual>
    if [[ "$2" == "$3" ]]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
focused_name() { xdotool getwindowfocus getwindowname 2>/dev/null || true; }
# The window's outer rectangle as "x y width height", frame included.
outer() {
    local x y w h l r t b
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/{print "x="$4} /Absolute upper-left Y/{print "y="$4} /Width:/{print "w="$2} /Height:/{print "h="$2}')"
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# The client-area origin of the main window, for clicks at control positions.
read -r cx cy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
click_at() { xdotool mousemove $((cx + $1)) $((cy + $2)) click 1; sleep 0.2; }
# The open box titled Tolvex, other than the main window; empty when there is none.
open_box() { xdotool search --onlyvisible --name '^Tolvex$' | grep -v "^$window\$" | head -1 || true; }
# Whether window $1 is a modal box of the main window.
modal_of_main() {
    local state owner
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null || true)
    owner=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
    [[ $state == *_NET_WM_STATE_MODAL* && -n $owner ]] && ((owner == window)) && echo yes || echo no
}
# Types a draw where the focus is and presses Enter: the check holds when no box opened and a
# new result of 720 to 722 numbers is on the clipboard, which becomes `result`.
filters_in_focused_box() {  # filters_in_focused_box <what> <draw>
    xdotool type --delay 20 "$2"
    xdotool key Return
    sleep 0.3
    local now
    now=$(clipboard)
    check "$1" "yes" \
        "$([[ -z $(open_box) && $now != "$result" && ${#now} -ge 2880 && ${#now} -le 2888 ]] && echo yes || echo no)"
    [[ -n $(open_box) ]] && xdotool key Escape && sleep 0.3
    result=$now
}

read -r ox oy ow oh < <(outer "$window")
check "outer size" "507x386" "${ow}x${oh}"
check "centred" "$(((1024 - 507) / 2)),$(((768 - 386) / 2))" "$ox,$oy"

xdotool type --delay 20 456
xdotool key Tab
xdotool type --delay 20 123
xdotool key Return
sleep 0.3
result=$(clipboard)
check "clipboard after Enter: 722 numbers" "2888" "${#result}"
check "clipboard starts" "000 002 003 004 " "${result:0:16}"

xdotool type --delay 20 000
sleep 0.2
[[ -n $shot ]] && import -window "$window" -frame "$shot" 2>/dev/null || true

# Qt draws a box's text itself: X holds only its title (xprop), so which message a box shows
# cannot be read from outside. Each message box is checked instead by the state it leaves: the
# focus back in the box of the missing draw, where a typed draw and Enter then filter; with
# the focus anywhere else Enter would bring up another box and leave the clipboard as it was.

# Enter with two digits in the last-draw box: the message box, closed with Enter.
xdotool key BackSpace Return
sleep 0.5
box=$(open_box)
if [[ -n $box ]]; then
    read -r bx by bw bh < <(outer "$box")
    dx=$((bx + bw / 2 - 512)) dy=$((by + bh / 2 - 384))
    check "message box centred (to a pixel)" "yes" "$( ((dx * dx <= 1 && dy * dy <= 1)) && echo yes || echo "off by $dx,$dy")"
    check "message box modal over the window" "yes" "$(modal_of_main "$box")"
    xdotool key Return
    sleep 0.3
fi
check "message box shown" "yes" "$([[ -n $box ]] && echo yes || echo no)"
filters_in_focused_box "last-draw message: focus back in the last-draw box, 998 filters" 998

# A click into the previous-draw box empties it; Enter then asks for the previous draw, and
# the focus goes back to that box once the message is closed with Esc.
click_at 320 194
xdotool key Tab
xdotool type --delay 20 111
xdotool key Return
sleep 0.5
box=$(open_box)
check "previous-draw message after the click emptied the box" "yes" "$([[ -n $box ]] && echo yes || echo no)"
[[ -n $box ]] && xdotool key Escape && sleep 0.3
check "clipboard unchanged by the failed filtering" "$result" "$(clipboard)"
filters_in_focused_box "previous-draw message: focus back in the previous-draw box, 456 filters" 456

# Save through the dialog: the save button (保存), typed name without extension.
click_at 429 276
sleep 0.8
xdotool type --delay 20 saved
xdotool key Return
sleep 0.8
xdotool key Return  # the success box
sleep 0.3
saved=$work/home/Desktop/saved.txt
check "saved file on the desktop" "yes" "$([[ -f $saved ]] && echo yes || echo no)"
[[ -f $saved ]] && check "saved file holds the result" "$result" "$(cat "$saved")"

# The exit button ends the program.
click_at 429 316
sleep 0.5
check "exit button closes the window" "" "$(xdotool search --onlyvisible --name '^Tolvex$' || true)"

if ((failures)); then
    echo "qt-session.sh: $failures check(s) failed"
    exit 1
fi
echo "qt-session.sh: all checks passed"
