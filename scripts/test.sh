#!/usr/bin/env bash
# test.sh - installs what is missing, builds every configuration and runs every test.
# Each step is a script in scripts/test.d/, run in name order; any failure stops the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
start=$SECONDS
for step in scripts/test.d/*.sh; do
    echo "==> ${step##*/}"
    step_start=$SECONDS
    bash "$step"
    echo "<== ${step##*/} passed in $((SECONDS - step_start)) s"
done
echo "All test steps passed in $((SECONDS - start)) s."
