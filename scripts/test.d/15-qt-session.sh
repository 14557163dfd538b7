#!/usr/bin/env bash
# 15-qt-session.sh - the Qt program from the native build, driven as a user would on Xvfb: the
# window, and the backtest from the desktop.
set -euo pipefail
bash scripts/qt-session.sh build/ci/ui/qt/tolvex
bash scripts/qt-backtest-session.sh build/ci/ui/qt/tolvex
