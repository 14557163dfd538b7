#!/usr/bin/env bash
# 10-native.sh - optimised native build, warnings as errors, every test (Qt ones headless).
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j2
