#!/usr/bin/env bash
# 30-mingw.sh - Windows cross build with mingw-w64; every test under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh win

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2

# Chinese code page 936 for Wine, a quiet prefix of the build's own.
export LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$PWD/build/mingw/wineprefix"

# Runs in the virtual display: a window manager when there is one, the tests, then stops
# Wine and the window manager so that nothing is left running.
read -r -d '' in_display <<'INNER' || true
wm=""
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
fi
status=0
ctest --preset mingw -j2 || status=$?
wineserver -k 2>/dev/null || true
if [[ -n "$wm" ]]; then kill "$wm" 2>/dev/null || true; fi
exit "$status"
INNER
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "$in_display"
