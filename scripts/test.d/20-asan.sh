#!/usr/bin/env bash
# 20-asan.sh - the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j2
