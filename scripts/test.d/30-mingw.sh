#!/usr/bin/env bash
# 30-mingw.sh - Windows cross build with mingw-w64; every test under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh win

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2

source scripts/lib/virtual-display.sh
source scripts/lib/wine-tests.sh
start_wine_tests
ctest --preset mingw -j2
