#!/usr/bin/env bash
# setup.sh - installs the Debian packages a build needs, only those that are missing.
# Usage: scripts/setup.sh [base] [qt] [win] [fuzz] [bench] [package] [winrelease] [report]
#        (no argument: base qt win fuzz package winrelease report)
set -euo pipefail

declare -A groups=(
    [base]="cmake ninja-build g++ clang-format libgtest-dev libgmock-dev libbenchmark-dev"
    [qt]="qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev fonts-wqy-microhei fonts-urw-base35 xvfb xauth openbox xdotool xclip imagemagick x11-utils dbus-daemon at-spi2-core python3-pyatspi"
    [win]="g++-mingw-w64-x86-64 wine64 wine locales xvfb xauth openbox x11-utils xdotool xclip"
    [fuzz]="clang-14 libclang-rt-14-dev"
    [bench]="hyperfine time"
    [package]="dpkg-dev lintian desktop-file-utils appstream mandoc man-db bash-completion librsvg2-bin icoutils"
    [winrelease]="nsis zip unzip osslsigncode openssl"
    [report]="chromium fonts-wqy-microhei"
)

wanted=()
for group in "${@:-base qt win fuzz package winrelease report}"; do
    for g in $group; do
        [[ -n "${groups[$g]:-}" ]] || { echo "setup.sh: unknown group '$g'" >&2; exit 2; }
        read -r -a pkgs <<<"${groups[$g]}"
        wanted+=("${pkgs[@]}")
    done
done

missing=()
for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "setup.sh: installing ${missing[*]}"
    SUDO=""
    [[ $(id -u) -eq 0 ]] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get -o DPkg::Lock::Timeout=300 update -qq
    $SUDO apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine reads the Chinese code page from a zh_CN locale, which must be generated; the Qt
# window tests also run in the GBK one.
if [[ " ${wanted[*]} " == *" locales "* ]] &&
    ! { locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' && locale -a 2>/dev/null | grep -qi '^zh_CN.gbk$'; }; then
    SUDO=""
    [[ $(id -u) -eq 0 ]] || SUDO="sudo"
    $SUDO sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/; s/^# *\(zh_CN.GBK GBK\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    grep -q '^zh_CN.GBK GBK' /etc/locale.gen || echo 'zh_CN.GBK GBK' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
