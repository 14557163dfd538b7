#!/usr/bin/env bash
# qt-session.sh - drives the built tolvex window as a user would, on a virtual X display.
# Types draws, presses Enter and Tab, clicks, reads the clipboard (xclip) and the saved file,
# and prints one line per check; exits non-zero when a check fails. Every wait polls for what
# it waits for, with a time limit.
# Usage: scripts/qt-session.sh [program] [screenshot.png]
#   program     default build/release/ui/qt/tolvex
#   screenshot  where to write a picture of the window after a filtering and a hit
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/release/ui/qt/tolvex}
shot=${2:-}
[[ -x $program ]] || { echo "qt-session.sh: build $program first (scripts/run.sh)" >&2; exit 2; }

source scripts/lib/virtual-display.sh
source scripts/lib/checks.sh
source scripts/lib/qt-window.sh
start_virtual_display
new_work_dir

# Whether window $1 is a modal box of the main window.
modal_of_main() {
    local state owner
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null || true)
    owner=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
    [[ $state == *_NET_WM_STATE_MODAL* && -n $owner ]] && ((owner == window)) && echo yes || echo no
}
# Whether window $1 asks its frame for minimise or maximise (Motif hints: functions 0x8, 0x10).
asks_minimise() {
    local functions
    functions=$(xprop -id "$1" _MOTIF_WM_HINTS 2>/dev/null | awk -F'[=,]' '{print $3}')
    [[ -n $functions ]] && (((functions & 0x18) == 0)) && echo no || echo yes
}
window_title() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/.*= "\(.*\)"$/\1/p'; }
# Checks the box that is open: centred once framed, modal, no minimise; closes it with $2.
check_box() {  # check_box <what> <closing key>
    local box
    if ! wait_for "$wait_limit" box_open; then
        check "$1: a box opens" "yes" "no"
        return
    fi
    box=$(open_box)
    wait_for "$wait_limit" framed "$box" || true
    wait_for "$wait_limit" centred "$box" || true
    check "$1: box centred (to a pixel)" "yes" "$(centred "$box" && echo yes || echo "off by $(off_centre "$box")")"
    check "$1: box modal over the window" "yes" "$(modal_of_main "$box")"
    check "$1: box asks for no minimise or maximise" "no" "$(asks_minimise "$box")"
    # A window manager that offers it anyway (openbox) hides the main window with the box.
    check "$1: the window manager minimises the box" "yes" "$(minimise "$box" && echo yes || echo no)"
    check "$1: box and window come back when minimised" "yes" \
        "$(wait_for "$wait_limit" both_shown "$box" && echo yes || echo no)"
    check "$1: box centred after coming back" "yes" \
        "$(wait_for "$wait_limit" centred "$box" && echo yes || echo "off by $(off_centre "$box")")"
    wait_for "$wait_limit" has_focus "$box" || true
    xdotool key "$2"
    wait_for "$wait_limit" no_box_open || check "$1: box closes with $2" "closed" "open"
    # Keys typed next go to the window once the window manager has given it the focus back.
    wait_for "$wait_limit" has_focus "$window" || true
}
clipboard_changed() { [[ $(clipboard) != "$1" ]]; }
# Types a draw where the focus is and presses Enter: the check holds when no box opened and a
# new result of 720 to 722 numbers is on the clipboard, which becomes `result`.
filters_in_focused_box() {  # filters_in_focused_box <what> <draw>
    xdotool type --delay 20 "$2"
    xdotool key Return
    wait_for "$wait_limit" clipboard_changed "$result" || true
    local now
    now=$(clipboard)
    check "$1" "yes" \
        "$([[ -z $(open_box) && $now != "$result" && ${#now} -ge 2880 && ${#now} -le 2888 ]] && echo yes || echo no)"
    if box_open; then xdotool key Escape; wait_for "$wait_limit" no_box_open || true; fi
    result=$now
}

home=$work/home
start_program "$home"
# The window is sized and centred again once the window manager has told its frame.
placed_as_wanted() { [[ $(outer "$window") == "$(((1024 - 507) / 2)) $(((768 - 386) / 2)) 507 386" ]]; }
wait_for "$wait_limit" placed_as_wanted || true
read -r ox oy ow oh < <(outer "$window")
check "outer size" "507x386" "${ow}x${oh}"
check "centred" "$(((1024 - 507) / 2)),$(((768 - 386) / 2))" "$ox,$oy"

result=""
xdotool type --delay 20 456
xdotool key Tab
xdotool type --delay 20 123
xdotool key Return
wait_for "$wait_limit" clipboard_changed "" || true
result=$(clipboard)
check "clipboard after Enter: 722 numbers" "2888" "${#result}"
check "clipboard starts" "000 002 003 004 " "${result:0:16}"

xdotool type --delay 20 000
if [[ -n $shot ]]; then
    # The picture once two in a row are the same: the marker and selection are drawn.
    wait_for "$wait_limit" bash -c 'import -window "$1" -frame "$2.a.png" && import -window "$1" -frame "$2" &&
        cmp -s <(convert "$2.a.png" rgb:-) <(convert "$2" rgb:-)' _ "$window" "$shot" || true
    rm -f "$shot.a.png"
fi

# Qt draws a box's text itself: X holds only its title (xprop), so which message a box shows
# cannot be read from outside. Each message box is checked instead by the state it leaves: the
# focus back in the box of the missing draw, where a typed draw and Enter then filter; with
# the focus anywhere else Enter would bring up another box and leave the clipboard as it was.

# Enter with two digits in the last-draw box: the message box, closed with Enter.
xdotool key BackSpace Return
check_box "last-draw message" Return
filters_in_focused_box "last-draw message: focus back in the last-draw box, 998 filters" 998

# A click into the previous-draw box empties it; Enter then asks for the previous draw, and
# the focus goes back to that box once the message is closed with Esc.
click_at 320 194
xdotool key Tab
xdotool type --delay 20 111
xdotool key Return
check_box "previous-draw message after the click emptied the box" Escape
check "clipboard unchanged by the failed filtering" "$result" "$(clipboard)"
filters_in_focused_box "previous-draw message: focus back in the previous-draw box, 456 filters" 456

# Save through the dialog: the save button (保存), typed name without extension.
click_at 429 276
wait_for "$wait_limit" box_open || true
dialog=$(open_box)
if [[ -n $chinese ]]; then
    check "the Save dialog speaks the desktop's language" "另存为" "$(window_title "$dialog" | cut -d' ' -f1)"
fi
wait_for "$wait_limit" has_focus "$dialog" || true
xdotool type --delay 20 saved
xdotool key Return
wait_for "$wait_limit" another_box_than "$dialog" || true
check_box "success message after the Save dialog" Return
saved=$home/Desktop/saved.txt
check "saved file on the desktop" "yes" "$([[ -f $saved ]] && echo yes || echo no)"
[[ -f $saved ]] && check "saved file holds the result" "$result" "$(cat "$saved")"

# The exit button ends the program, and it leaves nothing behind.
click_at 429 316
wait_for "$wait_limit" program_ended || true
check "exit button ends the program" "ended" "$(kill -0 "$app" 2>/dev/null && echo running || echo ended)"
check "nothing left in the temporary folder or the configuration" "" \
    "$(ls -A "$home/tmp"; ls -A "$home/.config" 2>/dev/null || true)"

# Ended by a signal with the Save dialog open (SIGHUP as at log-out): it quits as from the
# exit button, and leaves nothing behind either.
for signal in TERM INT HUP; do
    home=$work/home-$signal
    start_program "$home"
    click_at 429 276
    wait_for "$wait_limit" box_open || true
    kill -"$signal" "$app"
    wait_for "$wait_limit" program_ended || true
    status=0
    wait "$app" 2>/dev/null || status=$?
    check "SIG$signal ends the program normally" "0" "$status"
    check "SIG$signal leaves nothing behind" "" \
        "$(ls -A "$home/tmp"; ls -A "$home/.config" 2>/dev/null || true)"
done

# What a screen reader gets from the window, read over AT-SPI on a session bus of its own:
# names, labels and the hit marker heard (scripts/a11y-check.py prints its own checks).
home=$work/home-a11y
mkdir -p "$home/tmp" && mkdir -m 700 "$home/run"
a11y=0
HOME=$home TMPDIR=$home/tmp XDG_RUNTIME_DIR=$home/run env ${chinese:+LC_ALL=$chinese} \
    dbus-run-session -- /usr/bin/python3 scripts/a11y-check.py "$program" 2>"$home/log" || a11y=$?
check "accessibility checks (a11y-check.py)" "0" "$a11y"
((a11y == 0)) || cat "$home/log" >&2

end_checks qt-session.sh
