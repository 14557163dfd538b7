#!/usr/bin/env bash
# make-icons.sh - renders every icon from data/icons/tolvex.svg: the hicolor PNGs for Linux and
# the Windows .ico. Run it after changing the drawing and commit what it writes; with --check
# it renders into a scratch folder and fails when a committed icon no longer matches.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils): scripts/setup.sh package.
set -euo pipefail
cd "$(dirname "$0")/.."
source=data/icons/tolvex.svg
sizes=(16 22 24 32 48 64 128 256)
ico_sizes=(16 20 24 32 40 48 64 256)

render() {  # render <folder>: writes hicolor/<n>x<n>/apps/org.tolvex.Tolvex.png and tolvex.ico
    local out=$1 s
    for s in "${sizes[@]}"; do
        mkdir -p "$out/hicolor/${s}x$s/apps"
        rsvg-convert -w "$s" -h "$s" "$source" -o "$out/hicolor/${s}x$s/apps/org.tolvex.Tolvex.png"
    done
    local pngs=()
    for s in "${ico_sizes[@]}"; do
        rsvg-convert -w "$s" -h "$s" "$source" -o "$out/ico-$s.png"
        pngs+=("$out/ico-$s.png")
    done
    # The large image as PNG inside the .ico, the small ones as bitmaps, as Windows expects.
    icotool -c -o "$out/tolvex.ico" --raw="$out/ico-256.png" "${pngs[@]:0:${#pngs[@]}-1}"
    rm -f "${pngs[@]}"
}

if [[ ${1:-} == --check ]]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    render "$scratch"
    status=0
    for s in "${sizes[@]}"; do
        png=hicolor/${s}x$s/apps/org.tolvex.Tolvex.png
        cmp -s "$scratch/$png" "data/icons/$png" || { echo "make-icons.sh: data/icons/$png is out of date" >&2; status=1; }
    done
    cmp -s "$scratch/tolvex.ico" ui/win32/tolvex.ico || { echo "make-icons.sh: ui/win32/tolvex.ico is out of date" >&2; status=1; }
    ((status == 0)) && echo "make-icons.sh: every icon matches $source"
    exit "$status"
fi

render data/icons
mv data/icons/tolvex.ico ui/win32/tolvex.ico
echo "make-icons.sh: icons written from $source"
