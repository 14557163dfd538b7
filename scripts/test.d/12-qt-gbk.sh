#!/usr/bin/env bash
# 12-qt-gbk.sh - the Qt window tests of the native build again, in the Chinese GBK locale, where
# the window logic speaks GBK bytes (setup.sh generates the locale).
set -euo pipefail
charmap=$(LC_ALL=zh_CN.GBK locale charmap 2>/dev/null || true)
if [[ $charmap != GBK ]]; then
    echo "12-qt-gbk.sh: the zh_CN.GBK locale is missing (run scripts/setup.sh)" >&2
    exit 1
fi
export LC_ALL=zh_CN.GBK QT_QPA_PLATFORM=offscreen
for suite in tst_mainwindow tst_localetext; do
    build/ci/ui/qt/tests/$suite -silent
done
