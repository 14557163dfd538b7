#!/usr/bin/env bash
# qt-backtest-session.sh - the backtest from the desktop, driven as a player would on a virtual X
# display: `tolvex FILE` with a stand-in xdg-open that records the page it is asked to open,
# the column and order dialogs answered from the keyboard, the boxes' texts read over AT-SPI.
# Prints one line per check; exits non-zero when a check fails. Every wait polls with a limit.
# Usage: scripts/qt-backtest-session.sh [program] [column-dialog.png]
#   program  default build/release/ui/qt/tolvex; tolvex-cli is taken from beside it, else PATH
#   png      where to write a picture of the column dialog
set -euo pipefail
cd "$(dirname "$0")/.."
# The boxes' texts are read over the accessibility bus of a session bus of its own.
if [[ -z ${TOLVEX_SESSION_BUS:-} ]]; then
    exec env TOLVEX_SESSION_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
program=$(realpath "${1:-build/release/ui/qt/tolvex}")
shot=${2:-}
[[ -x $program ]] || { echo "qt-backtest-session.sh: build $program first" >&2; exit 2; }
cli=$(dirname "$program")/../../cli/tolvex-cli
[[ -x $cli ]] || cli=$(command -v tolvex-cli)

source scripts/lib/virtual-display.sh
source scripts/lib/checks.sh
start_virtual_display
new_work_dir

# The stand-in browser: it records the address and ends, as xdg-open does once it has
# handed the page on.
mkdir -p "$work/bin" "$work/home" "$work/tmp" "$work/h"
mkdir -m 700 "$work/run"
cat >"$work/bin/xdg-open" <<STUB
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened"
STUB
chmod +x "$work/bin/xdg-open"
data=$PWD/cli/tests/data

chinese=""
if locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    chinese=zh_CN.UTF-8
fi

# Starts `tolvex ARGS...` in the background with PATH $1; sets `app`.
start() {
    local path=$1
    shift
    : >"$work/opened"
    env PATH="$path" HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run" \
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ${chinese:+LC_ALL=$chinese} "$program" "$@" \
        >"$work/log" 2>&1 &
    app=$!
}
with_browser=$work/bin:/usr/bin:/bin
without_browser=/nonexistent
ended() { ! kill -0 "$app" 2>/dev/null; }
# Waits for the program to end and sets `rc` to its exit status, or "running".
finish() {
    rc=0
    if wait_for "$wait_limit" ended; then
        wait "$app" || rc=$?
    else
        rc=running
        kill "$app"
    fi
}
dialog() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | tail -1; }
dialog_focused() { local d; d=$(dialog) && [[ -n $d && $(xdotool getwindowfocus) == "$d" ]]; }
# The text of the open box, as a screen reader gets it.
box_text() { /usr/bin/python3 scripts/box-text.py "$app" || echo "(no box)"; }
# The page the stand-in browser was asked to open, as a path.
opened() { python3 -c 'import sys, urllib.parse; u = sys.stdin.readline().strip(); print(urllib.parse.unquote(u.removeprefix("file://")))' <"$work/opened"; }
# The verdict line of a page: "回测 9 期，下一期开奖号被保留 5 次（…）…"; and of the page
# tolvex-cli makes with the options given.
verdict() { grep -o '<p lang="zh-CN">回测[^<]*' "$1" | head -1; }
cli_verdict() { "$cli" backtest --format html "$@" 2>/dev/null | grep -o '<p lang="zh-CN">回测[^<]*' | head -1; }
# Starts `tolvex FILE`, waits for its dialog to take the focus, answers with the keys given
# and waits for the program to end.
answer_dialog() {
    local file=$1
    shift
    start "$with_browser" "$file"
    wait_for "$wait_limit" dialog_focused || true
    xdotool key "$@"
    finish
}

# A history given as the argument: the page beside it, opened, its hit count the CLI's.
cp "$data/hand_worked.txt" "$work/h/开奖.txt"
start "$with_browser" "$work/h/开奖.txt"
finish
check "tolvex FILE ends by itself" 0 "$rc"
check "the page asked to open" "$work/h/开奖-回测.html" "$(opened)"
check "its hit count: 5 of 9" yes \
    "$(verdict "$work/h/开奖-回测.html" | grep -q '回测 9 期，下一期开奖号被保留 5 次' && echo yes || echo no)"
check "the same verdict as tolvex-cli" "$(cli_verdict "$work/h/开奖.txt")" \
    "$(verdict "$work/h/开奖-回测.html")"

# Again: a new name; the first page stays as it was.
cp "$work/h/开奖-回测.html" "$work/first.html"
start "$with_browser" --backtest "$work/h/开奖.txt"
finish
check "--backtest FILE a second time" 0 "$rc"
check "the second page's name" "$work/h/开奖-回测-2.html" "$(opened)"
check "the first page left alone" yes "$(cmp -s "$work/first.html" "$work/h/开奖-回测.html" && echo yes || echo no)"

# Two columns could hold the draw: the dialog lists them, Down and Enter take the second.
printf 'Date Midday Evening\n2026-01-09 123 456\n2026-01-10 789 012\n2026-01-11 345 678\n2026-01-12 901 234\n2026-01-13 000 999\n' >"$work/h/two.txt"
start "$with_browser" "$work/h/two.txt"
wait_for "$wait_limit" dialog_focused || true
check "the column dialog opens with the focus" yes "$(dialog_focused && echo yes || echo no)"
if [[ -n $shot ]]; then
    # The picture once two in a row are the same: the dialog is drawn.
    wait_for 5 bash -c 'import -window root "$1.a.png" && import -window root "$1" &&
        cmp -s <(convert "$1.a.png" rgb:-) <(convert "$1" rgb:-)' _ "$shot" || true
    rm -f "$shot.a.png"
    # The dialog alone: the screen around it is black.
    convert "$shot" -trim +repage "$shot"
fi
xdotool key Down Return
finish
check "column chosen from the keyboard: ends" 0 "$rc"
check "column chosen: the page of column 3, as --column 3" \
    "$(cli_verdict --column 3 "$work/h/two.txt")" \
    "$(verdict "$work/h/two-回测.html")"
# Esc cancels: nothing written, nothing opened.
answer_dialog "$work/h/two.txt" Escape
check "column dialog cancelled: ends" 0 "$rc"
check "column dialog cancelled: no page" no "$([[ -e $work/h/two-回测-2.html ]] && echo yes || echo no)"

# Nothing tells the order: 从新到旧 chosen from the keyboard reads as --newest-first.
printf '555\n111\n000\n123\n456\n' >"$work/h/bare.txt"
answer_dialog "$work/h/bare.txt" Down Return
check "order chosen from the keyboard: ends" 0 "$rc"
check "order chosen: as --newest-first" \
    "$(cli_verdict --newest-first "$work/h/bare.txt")" \
    "$(verdict "$work/h/bare-回测.html")"

# A file that cannot be read: the error box says what and where, in Chinese.
printf 'hello\nworld\n' >"$work/h/notes.txt"
start "$with_browser" "$work/h/notes.txt"
text=$(box_text)
check "unreadable file: the box's text" yes \
    "$([[ $text == *'notes.txt 读不出来：第2行没有三位数的开奖号码'* ]] && echo yes || echo "no: $text")"
xdotool key Return
finish
check "unreadable file: exit status 1 once the box is closed" 1 "$rc"
check "unreadable file: nothing opened" "" "$(cat "$work/opened")"

# No browser to hand the page to: a box says where it is.
start "$without_browser" "$work/h/开奖.txt"
text=$(box_text)
check "no browser: the box names the page" yes \
    "$([[ $text == *"回测报告已保存在："*"$work/h/开奖-回测-3.html"* ]] && echo yes || echo "no: $text")"
xdotool key Return
finish
check "no browser: ends" 0 "$rc"

# A folder that cannot be written: the page goes to the temporary folder.
mkdir -p "$work/ro"
cp "$data/hand_worked.txt" "$work/ro/开奖.txt"
if [[ $(id -u) == 0 ]]; then
    echo "skip unwritable folder (root writes into any folder)"
else
    chmod a-w "$work/ro"
    start "$with_browser" "$work/ro/开奖.txt"
    check "unwritable folder: ends" 0 "$rc"
    check "unwritable folder: the page in the temporary folder" "$work/tmp/开奖-回测.html" "$(opened)"
    chmod u+w "$work/ro"
fi

end_checks qt-backtest-session.sh
