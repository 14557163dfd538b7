#!/usr/bin/env bash
# bench-cli.sh - times the real tolvex-cli on a generated history of 1,000,000 draws.
# Usage: scripts/bench-cli.sh [draws]   (optimised build in build/cli-release; hyperfine when
# installed, else bash's time; peak memory from /usr/bin/time when installed)
set -euo pipefail
cd "$(dirname "$0")/.."
draws=${1:-1000000}
build=build/cli-release
cmake --preset release -B "$build" -DTOLVEX_BUILD_QT=OFF -DTOLVEX_BUILD_TESTS=OFF \
    -DTOLVEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target tolvex-cli >/dev/null
cli="$build/cli/tolvex-cli"

history="$build/history-$draws.txt"
if [[ ! -s $history ]]; then
    # Labelled lines like "2024000001 457", CR LF ends, a fixed seed: the same file every time.
    awk -v n="$draws" 'BEGIN { srand(7); for (i = 1; i <= n; ++i)
        printf "%d %03d\r\n", 2024000000 + i, int(rand() * 1000) }' >"$history"
fi
newest="$build/history-$draws-newest-first.txt"
if [[ ! -s $newest ]]; then
    # The same lines newest first, as lottery sites list them: the reader tells from the issue
    # numbers and turns the history round.
    tac "$history" >"$newest"
fi
echo "history: $history, $draws draws, $(wc -c <"$history") bytes"

commands=(
    "$cli backtest --summary $history"
    "$cli backtest $history"
    "$cli backtest --format csv $history"
    "$cli backtest --format json $history"
    "$cli backtest --format json $newest"
    "$cli backtest --summary $newest"
    "$cli inspect $history"
    "$cli backtest --format csv - < $history"
    "$cli backtest --format html $history"
)
if command -v hyperfine >/dev/null; then
    hyperfine --warmup 1 --runs 5 --style basic --output=null "${commands[@]}"
else
    for c in "${commands[@]}"; do
        echo "$c"
        time ($c >/dev/null 2>&1)
    done
fi
# The page's size: at most 5 MB for a million draws (charts thinned, struck draws listed up to
# --struck-rows).
SOURCE_DATE_EPOCH=0 $cli backtest --format html "$history" >"$build/report.html"
echo "page: $(wc -c <"$build/report.html") bytes (backtest --format html, $draws draws)"
if [[ -x /usr/bin/time ]]; then
    for c in "${commands[0]}" "${commands[3]}" "${commands[8]}"; do
        /usr/bin/time -f "peak memory %M KiB: $c" $c >/dev/null 2>"$build/time.txt" || true
        tail -n 1 "$build/time.txt"
    done
fi
