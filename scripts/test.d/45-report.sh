#!/usr/bin/env bash
# 45-report.sh - backtest pages in headless Chromium: no errors, charts, tables, numbers, text, tick names.
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
for element in '<svg id="chart-excess"' '<svg id="chart-runs"' \
    '<table class="about" id="reading">' '<table class="num" id="periods">' \
    '<table class="num" id="struck">' '<p class="note" id="no-rolling">'; do
    count hand_worked 1 "$element"
done
# 9 tested draws: too few for the chance band and the rolling rates; the excess alone.
count hand_worked 1 '<polyline'
lacks hand_worked dom.html '<polygon class="band"'
count hand_worked 3 '<rect class="bh"' # runs of 1, 2 and 3 hits
count hand_worked 2 '<rect class="bm"' # runs of 1 and 2 misses
count hand_worked 4 '<tr><td>'         # the struck draws
for text in \
    'Made 2026-01-01 00:00 UTC by tolvex-cli' \
    'line 3: 000 Thu, Jan 1, 2026 Region 9 Evening draw' \
    'line 14: 468 Wed, Jan 14, 2026 Region 9 Evening draw' \
    '回测 9 期，下一期开奖号被保留 5 次（命中率 55.56%），随机命中率为 72.16%（期望 6.494 次），比随机少 1.494 次，z = -1.11。回测不足 30 期：历史太短' \
    'Over 9 tested draws the next draw was kept 5 times (55.56%) where chance keeps it 72.16% of the time (6.494 hits expected): 1.494 hits fewer than chance, z = -1.11. Fewer than 30 tested draws: the history is too short for the chance band' \
    'After the last draw: -1.494 hits. 不足 30 期，历史太短，没有随机带' \
    'Fewer than 30 tested draws: no rolling hit rate.' \
    'Longest: 3 hits, 2 misses in a row.' \
    ' 2026 9 5 55.56% 72.16% -1.494 -1.11 ' \
    ' 2026-01 9 5 55.56% 72.16% -1.494 -1.11 ' \
    '4 of 9 tested draws were struck out (44.44%); chance strikes out 27.84%.' \
    ' 11 Sat, Jan 10, 2026 Region 9 Evening draw 999 135 000 10 Fri, Jan 9, 2026 Region 9 Evening draw 456 999 135 8 Tue, Jan 6, 2026 Region 9 Evening draw 111 123 456 6 Sat, Jan 3, 2026 Region 9 Evening draw 000 000 111 '; do
    has hand_worked text "$text" # the struck draws newest first
done
has hand_worked dom.html '<text class="tick" x="662.0" y="228.0" text-anchor="end">2026-01-14</text>'

# Labels with markup, quotes and ampersands are text in the page, nowhere markup.
"$cli" backtest --format html --output "$work/markup.html" cli/tests/data/markup_labels.txt
render markup
for markup in '<script' '<img' '<b>bold' '<!--' 'onerror="'; do
    lacks markup dom.html "$markup"
done
# The axes name draws whose labels hold neither date nor issue number by their lines.
for text in '&lt;script&gt;alert(1)&lt;/script&gt;' '>line 3</text>' \
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

# Tick names on the time axes, measured as Chromium lays them out at a desktop's and a phone's
# width: they must neither overlap nor leave the chart, and never show a raw label. The page's
# policy forbids scripts, so a copy without it loads one that writes the boxes into the DOM.
cat >"$work/ticks.js" <<'SCRIPT'
(function () {
    var lines = [];
    var charts = document.querySelectorAll('svg.chart');
    for (var c = 0; c < charts.length; ++c) {
        var ticks = charts[c].querySelectorAll('text.tick');
        if (!ticks.length) continue;
        var frame = charts[c].getBoundingClientRect(), boxes = [], bad = [];
        for (var i = 0; i < ticks.length; ++i) {
            var b = ticks[i].getBoundingClientRect();
            boxes.push({ left: b.left, right: b.right, text: ticks[i].textContent });
        }
        boxes.sort(function (x, y) { return x.left - y.left; });
        for (i = 0; i < boxes.length; ++i) {
            if (boxes[i].left < frame.left - 0.5 || boxes[i].right > frame.right + 0.5)
                bad.push('outside the chart: ' + boxes[i].text);
            if (i > 0 && boxes[i].left < boxes[i - 1].right)
                bad.push('overlap: ' + boxes[i - 1].text + ' / ' + boxes[i].text);
            if (/[,\t]/.test(boxes[i].text)) bad.push('a raw label: ' + boxes[i].text);
        }
        lines.push(charts[c].id + ' ' + boxes.length + ' ticks ' +
            (bad.length ? 'BAD ' + bad.join('; ') : 'ok') + ' ' + boxes.map(function (x) {
                return x.text + '@' + x.left.toFixed(1) + '-' + x.right.toFixed(1);
            }).join(' '));
    }
    var pre = document.createElement('pre');
    pre.id = 'tick-boxes';
    pre.textContent = lines.join('\n');
    document.body.appendChild(pre);
})();
SCRIPT
# measure_ticks <name> <width> <charts>: <charts> time axes, every one of them sound.
measure_ticks() {
    local name=$1 width=$2 probe=$work/$1-ticks.html out=$work/$1-ticks-$2
    sed '/Content-Security-Policy/d; s#</body>#<script src="ticks.js"></script></body>#' \
        "$work/$name.html" >"$probe"
    chromium_run "$probe" "$out.log" --window-size="$width,1200" --dump-dom >"$out.dom.html"
    sed -n '/<pre id="tick-boxes">/,/<\/pre>/p' "$out.dom.html" | sed 's#<script[^>]*></script>##; s#</\?pre[^>]*>##g' >"$out.txt"
    local sound
    sound=$(grep -c ' ticks ok ' "$out.txt" || true)
    if grep -q ' ticks BAD ' "$out.txt" || [[ $sound -ne $3 ]]; then
        fail "$name at $width px: $sound sound time axes, expected $3: $(cat "$out.txt")"
    fi
}
# The common export (期号,开奖日期,开奖号码,试机号) at 10 and 100 draws, dates alone at 10,000,
# issue numbers at 1,000,000, and no labels at all (10 draws: the rolling chart needs 30).
export_history() {
    awk -v n="$1" 'BEGIN { srand(n); print "期号,开奖日期,开奖号码,试机号"
        for (i = 0; i < n; ++i)
            printf "%d%03d,%s,%03d,%03d\n", 2005 + int(i / 365), i % 365 + 1,
                strftime("%Y-%m-%d", 1104537600 + i * 86400, 1), int(rand() * 1000), int(rand() * 1000) }'
}
export_history 10 >"$work/ticks10.csv"
export_history 100 >"$work/ticks100.csv"
seq 0 9999 | sed 's/.*/2000-01-01 +& days/' | date -u -f - +%F |
    awk 'BEGIN { srand(3) } { printf "%s %03d\n", $0, int(rand() * 1000) }' >"$work/ticks10000.txt"
awk 'BEGIN { srand(7); for (i = 1; i <= 1000000; ++i) printf "%d %03d\n", 2024000000 + i, int(rand() * 1000) }' \
    >"$work/ticks1000000.txt"
awk 'BEGIN { srand(5); for (i = 0; i < 10; ++i) printf "%03d\n", int(rand() * 1000) }' >"$work/ticks10bare.txt"
for history in ticks10.csv:1 ticks100.csv:2 ticks10000.txt:2 ticks1000000.txt:2 ticks10bare.txt:1; do
    file=${history%:*}
    "$cli" backtest --format html --output "$work/${file%.*}.html" "$work/$file"
    for width in 1280 390; do
        measure_ticks "${file%.*}" "$width" "${history#*:}"
    done
done
# The date beside the issue number gives month rows, and the axes its dates.
grep -q '<tr class="m"><td class="t">2005-04<td>' "$work/ticks100.html" || fail "ticks100: no month rows"
grep -q 'class="tick"[^>]*>2005-01-03</text>' "$work/ticks100.html" || fail "ticks100: no dates on the axes"
echo "tick names at 1280 px:"
grep -h 'chart-excess' "$work"/ticks*-1280.txt

if ((failures > 0)); then
    echo "45-report.sh: $failures check(s) failed; pages, DOMs, logs and screenshots in $work" >&2
    exit 1
fi
echo "45-report.sh: the pages load without errors and hold what they should; screenshots in $work"
