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

# A virtual display with a window manager; Wine is stopped at the end, whatever happened, so
# that nothing is left running.
source scripts/lib/virtual-display.sh
trap 'wineserver -k 2>/dev/null || true; stop_started' EXIT
start_virtual_display
ctest --preset mingw -j2
