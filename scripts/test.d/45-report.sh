#!/usr/bin/env bash
# 45-report.sh - backtest pages in headless Chromium: no errors, charts, tables, numbers, text.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh report

# The native build of 10-native.sh, else the program alone.
cli=build/ci/cli/tolvex-cli
if [[ ! -x $cli ]]; then
    cmake -S . -B build/report-cli -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_BUILD_QT=OFF \
        -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF >/dev/null
    cmake --build build/report-cli -j2 --target tolvex-cli
    cli=build/report-cli/cli/tolvex-cli
fi
work=$PWD/build/report
rm -rf "$work"
mkdir -p "$work"
export SOURCE_DATE_EPOCH=1767225600 # 2026-01-01 00:00 UTC on every page
failures=0
fail() {
    echo "FAIL $*" >&2
    failures=$((failures + 1))
}

# chromium <page> <log> <arguments...>: a fresh profile each time, no network of its own, and
# the page's console on standard error (the log).
chromium_run() {
    local page=$1 log=$2 profile
    shift 2
    profile=$(mktemp -d)
    local status=0
    timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile" --enable-logging=stderr --v=0 --hide-scrollbars \
        "$@" "file://$page" 2>"$log" || status=$?
    rm -rf "$profile"
    return "$status"
}

# render <name>: DOM to <name>.dom.html, its text (blanks for tags but inline ones, blanks
# squeezed, references resolved) to <name>.text and
# a screenshot to <name>.png. A page without script or links has nothing to tell its console:
# any console line (an error, a blocked load) or failed load fails it.
render() {
    local name=$1 page=$work/$1.html
    chromium_run "$page" "$work/$name.dom.log" --dump-dom >"$work/$name.dom.html"
    chromium_run "$page" "$work/$name.png.log" --window-size=760,2600 --screenshot="$work/$name.png" \
        >/dev/null
    if grep -hE ':CONSOLE|net::ERR_|Uncaught' "$work/$name.dom.log" "$work/$name.png.log"; then
        fail "$name: the page's console reports the lines above"
    fi
    grep -q '</html>' "$work/$name.dom.html" || fail "$name: no DOM came back"
    if [[ $(head -c 8 "$work/$name.png" | od -An -tx1 | tr -d ' \n') != 89504e470d0a1a0a ||
        $(stat -c %s "$work/$name.png") -lt 20000 ]]; then
        fail "$name: no screenshot of the page"
    fi
    sed -e 's#</\?\(b\|span\|code\)\( [^>]*\)\?>##g; s/<[^>]*>/ /g' \
        -e 's/&nbsp;/ /g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' "$work/$name.dom.html" |
        tr -s ' \n\t' ' ' >"$work/$name.text"
}
has() { grep -qF -- "$3" "$work/$1.$2" || fail "$1: the ${2/dom.html/DOM} lacks: $3"; }
lacks() { ! grep -qF -- "$3" "$work/$1.$2" || fail "$1: the ${2/dom.html/DOM} holds: $3"; }
count() {
    local n
    n=$(grep -oF -- "$3" "$work/$1.dom.html" | wc -l)
    [[ $n -eq $2 ]] || fail "$1: $n times '$3' in the DOM, expected $2"
}

# The hand-worked history (worked out in backtest/tests/backtest_test.cpp): 9 tested, 5 hits.
"$cli" backtest --format html --output "$work/hand_worked.html" cli/tests/data/hand_worked.txt
render hand_worked
for element in '<svg id="chart-excess"' '<svg id="chart-rolling"' '<svg id="chart-runs"' \
    '<table class="about" id="reading">' '<table class="num" id="periods">' \
    '<table class="num" id="struck">'; do
    count hand_worked 1 "$element"
done
count hand_worked 3 '<polyline'
count hand_worked 3 '<rect class="bh"' # runs of 1, 2 and 3 hits
count hand_worked 2 '<rect class="bm"' # runs of 1 and 2 misses
count hand_worked 4 '<tr><td>'         # the struck draws
for text in \
    'Made 2026-01-01 00:00 UTC by tolvex-cli' \
    'line 3: 000 Thu, Jan 1, 2026 Region 9 Evening draw' \
    'line 14: 468 Wed, Jan 14, 2026 Region 9 Evening draw' \
    '回测 9 期，下一期开奖号被保留 5 次（命中率 55.56%），随机命中率为 72.16%（期望 6.494 次），比随机少 1.494 次，z = -1.11，在正常的随机波动之内' \
    'Over 9 tested draws the next draw was kept 5 times (55.56%) where chance keeps it 72.16% of the time (6.494 hits expected): 1.494 hits fewer than chance, z = -1.11, within ordinary chance variation (|z| < 2)' \
    'After the last draw: -1.494 hits, the band ±2.689.' \
    'chance rate 72.16%.' \
    'Longest: 3 hits, 2 misses in a row.' \
    ' 2026 9 5 55.56% 72.16% -1.494 -1.11 ' \
    ' 2026-01 9 5 55.56% 72.16% -1.494 -1.11 ' \
    '4 of 9 tested draws were struck out (44.44%); chance strikes out 27.84%.' \
    ' 6 Sat, Jan 3, 2026 Region 9 Evening draw 000 000 111 ' \
    ' 8 Tue, Jan 6, 2026 Region 9 Evening draw 111 123 456 ' \
    ' 10 Fri, Jan 9, 2026 Region 9 Evening draw 456 999 135 ' \
    ' 11 Sat, Jan 10, 2026 Region 9 Evening draw 999 135 000 '; do
    has hand_worked text "$text"
done
has hand_worked dom.html '<text x="662.0" y="228.0" text-anchor="end">2026-01-14</text>'

# Labels with markup, quotes and ampersands are text in the page, nowhere markup.
"$cli" backtest --format html --output "$work/markup.html" cli/tests/data/markup_labels.txt
render markup
for markup in '<script' '<img' '<b>bold' '<!--' 'onerror="'; do
    lacks markup dom.html "$markup"
done
for text in '&lt;script&gt;alert(1)&lt;/script&gt;' '&lt;img src=x onerro' \
    '&lt;/table&gt;&lt;b&gt;bold&lt;/b&gt; &amp;amp; x' "say \"hi\" &amp; 'bye'"; do
    has markup dom.html "$text"
done

# Three years of daily draws with dates: each year and its months in the table.
seq 0 1095 | sed 's/.*/2023-01-01 +& days/' | date -u -f - +%F >"$work/dates.txt"
awk 'BEGIN { srand(11); for (i = 0; i < 1096; ++i) printf "%03d\n", int(rand() * 1000) }' |
    paste -d ' ' "$work/dates.txt" - >"$work/three_years.history"
"$cli" backtest --format html --output "$work/three_years.html" "$work/three_years.history"
render three_years
count three_years 3 '<tr class="y">'
count three_years 36 '<tr class="m">'
has three_years text '1096 draws from 1096 lines, 1094 tested (each from the third on)'
has three_years text ' 2023-01 29 ' # the first two draws are not tested

if ((failures > 0)); then
    echo "45-report.sh: $failures check(s) failed; pages, DOMs, logs and screenshots in $work" >&2
    exit 1
fi
echo "45-report.sh: the pages load without errors and hold what they should; screenshots in $work"
