#!/usr/bin/env bash
# run.sh - installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh base
cmake --preset release >/dev/null
cmake --build --preset release
echo "run.sh: the window program is not built yet; the core and its tests are." >&2
exit 1
