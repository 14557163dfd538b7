# windows-backtest.sh - sourced by 60-windows.sh and repeat-backtest-box.sh: Wine for the step,
# and the backtest of tolvex.exe under it, driven as a player would. Needs `work`,
# virtual-display.sh, checks.sh; the stand-in xdg-open it puts first on PATH records any page
# Wine hands to the Linux side.

# A Wine of the step's own under $work (prefix, home, Chinese code page) on a virtual display,
# with one wineserver kept for the whole step as for the tests. Every Wine program has a time
# limit: an installer that waits on a box it should not show fails the step instead of holding
# it. The limit leaves room for a machine whose cores are all busy.
bt_start_wine() {
    export LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$work/prefix
    export HOME=$work/home
    mkdir -p "$HOME"
    start_virtual_display
    wine_program=$(type -P wine)
    wine() { timeout $((5 * wait_limit)) "$wine_program" "$@"; }
    cmake/wine-run.sh cmd /c exit
    backtest_setup
}

backtest_setup() {
    mkdir -p "$work/bt-bin"
    cat >"$work/bt-bin/xdg-open" <<STUB
#!/bin/sh
printf '%s\n' "\$1" >>"$work/bt-opened"
STUB
    chmod +x "$work/bt-bin/xdg-open"
    export PATH=$work/bt-bin:$PATH
}

# The page's verdict line: "回测 9 期，下一期开奖号被保留 5 次（…）…".
bt_verdict() { grep -ao '<p lang="zh-CN">回测[^<]*' "$1" 2>/dev/null | head -1; }
bt_focused_title() { xdotool getwindowfocus getwindowname 2>/dev/null; }
bt_focused_is() { [[ $(bt_focused_title) == "$1" ]]; }
# Whether a tolvex.exe still runs. The program itself is looked for, not the process the test
# started: `wine start` of a shortcut does not wait for the program it starts. One awk reads
# the whole list: `ps | grep -q` stops reading at the first match, and under pipefail the
# SIGPIPE that kills the writer of a list longer than a pipe's buffer reads as "not running".
bt_running() {
    ps -eo stat=,args= | awk '$1 !~ /^Z/ && tolower($0) ~ /tolvex\.exe/ { found = 1 } END { exit !found }'
}
bt_gone() { ! bt_running; }
bt_ended_or_box() { bt_gone || bt_focused_is Tolvex; }
# Once the page is there: the box that says where it is (when no browser took the page) is
# closed with Enter, and the program ends.
bt_page_written() {  # bt_page_written <what> <page> <pid>
    check "$1: the page written" "yes" "$(wait_for "$wait_limit" test -s "$2" && echo yes || echo no)"
    wait_for "$wait_limit" bt_ended_or_box || true
    if bt_running && bt_focused_is Tolvex; then
        echo "     $1: no browser took the page; its box closed with Enter"
        xdotool key Return
    fi
    check "$1: the program ends" "yes" "$(wait_for "$wait_limit" bash -c "! kill -0 $3 2>/dev/null" && echo yes || echo no)"
    check "$1: no tolvex.exe left running" "yes" "$(wait_for "$wait_limit" bt_gone && echo yes || echo no)"
    wait "$3" 2>/dev/null || true
}

# drive_backtest <what> <tolvex.exe> [<Start menu link of the backtest>]
drive_backtest() {
    local what=$1 exe=$2 link=${3:-} dir cli pid
    cli=$(dirname "$exe")/tolvex-cli.exe
    dir=$work/bt-$what
    mkdir -p "$dir"
    cp scripts/../cli/tests/data/hand_worked.txt "$dir/开奖.txt"
    local windows_dir="Z:${dir//\//\\}"

    # A history file as the argument (as dropped onto tolvex.exe): the page beside it.
    wine "$exe" "$windows_dir\\开奖.txt" >/dev/null 2>&1 &
    pid=$!
    bt_page_written "$what: tolvex.exe FILE" "$dir/开奖-回测.html" "$pid"
    check "$what: tolvex.exe FILE: the verdict, as tolvex-cli's" \
        "$(wine "$cli" backtest --format html "$windows_dir\\开奖.txt" 2>/dev/null | grep -ao '<p lang="zh-CN">回测[^<]*' | head -1)" \
        "$(bt_verdict "$dir/开奖-回测.html")"

    # Two columns could hold the draw: the column dialog, Down and Enter take the second.
    printf 'Date Midday Evening\r\n2026-01-09 123 456\r\n2026-01-10 789 012\r\n2026-01-11 345 678\r\n2026-01-12 901 234\r\n2026-01-13 000 999\r\n' >"$dir/two.txt"
    wine "$exe" "$windows_dir\\two.txt" >/dev/null 2>&1 &
    pid=$!
    check "$what: the column dialog takes the focus" "yes" \
        "$(wait_for "$wait_limit" bt_focused_is Tolvex && echo yes || echo no)"
    xdotool key Down Return
    bt_page_written "$what: column chosen from the keyboard" "$dir/two-回测.html" "$pid"
    check "$what: the second column read, as --column 3" \
        "$(wine "$cli" backtest --format html --column 3 "$windows_dir\\two.txt" 2>/dev/null | grep -ao '<p lang="zh-CN">回测[^<]*' | head -1)" \
        "$(bt_verdict "$dir/two-回测.html")"

    # The Start menu entry (or tolvex.exe --backtest): the Open dialog, a file name typed in.
    local opener=$what
    if [[ -n $link ]]; then
        wine start /wait /unix "$link" >/dev/null 2>&1 &
        opener="$what: the Start menu entry"
    else
        wine "$exe" --backtest >/dev/null 2>&1 &
        opener="$what: tolvex.exe --backtest"
    fi
    pid=$!
    check "$opener opens the Open dialog" "yes" \
        "$(wait_for "$wait_limit" bt_focused_is 选择开奖历史文件 && echo yes || echo no)"
    # The name typed is plain ASCII: xdotool types into Wine only what a US keyboard has.
    cp "$dir/开奖.txt" "$dir/draws.txt"
    xdotool type --delay 20 "$windows_dir\\draws.txt"
    xdotool key Return
    bt_page_written "$opener: the file chosen in the Open dialog" "$dir/draws-回测.html" "$pid"
}
