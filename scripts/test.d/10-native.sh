#!/usr/bin/env bash
# 10-native.sh - formatting, optimised native build with warnings as errors, every test.
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
# The sources stay formatted with the committed .clang-format.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j2
