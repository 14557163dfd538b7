#!/usr/bin/env bash
# 50-package.sh - the Debian package as a player gets it: built twice to the same bytes, checked
# by Debian's tools, installed with apt, the installed window driven as a user would, removed.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh base qt package

bash scripts/make-icons.sh --check

work=$(mktemp -d)
installed=""
cleanup() {
    if [[ -n $installed ]]; then
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 purge -y -qq tolvex >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Two builds of the last commit, each in its own folder, give the same package.
DIST=$work/a bash scripts/release.sh linux >/dev/null
DIST=$work/b bash scripts/release.sh linux >/dev/null
deb=$(ls "$work"/a/tolvex_*.deb)
name=${deb##*/}
cmp "$deb" "$work/b/$name" || { echo "50-package.sh: two builds of $name differ" >&2; exit 1; }
(cd "$work/a" && sha256sum --check --quiet SHA256SUMS)
echo "ok   $name is the same in two builds ($(stat -c %s "$deb") bytes)"

# Debian's checks. Lintian: no error and no warning (information lines are allowed).
lintian --fail-on error,warning "$deb"
mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work"/unpacked/usr/share/applications/*.desktop
appstreamcli validate --no-net --explain "$work"/unpacked/usr/share/metainfo/*.metainfo.xml
for page in "$work"/unpacked/usr/share/man/man1/*.1.gz; do
    zcat "$page" >"$work/page.1"
    mandoc -T lint -W warning "$work/page.1"
done
echo "ok   lintian, desktop-file-validate, appstreamcli and mandoc find nothing to report"

# Installed with the package manager, as a player installs it.
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}')
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq "$deb" >/dev/null
installed=yes
version=$(dpkg-deb -f "$deb" Version)
[[ $(tolvex-cli --version) == *"$version"* ]] ||
    { echo "50-package.sh: tolvex-cli --version does not say $version" >&2; exit 1; }
man -w tolvex-cli >/dev/null && man -w tolvex >/dev/null
desktop=$(ls /usr/share/applications/org.tolvex.Tolvex.desktop)
# The main entry's program; the actions below it have their own Exec lines.
exec=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
command -v "$exec" >/dev/null || { echo "50-package.sh: Exec=$exec is not on the PATH" >&2; exit 1; }
ls /usr/share/icons/hicolor/*/apps/"$icon".png /usr/share/icons/hicolor/scalable/apps/"$icon".svg >/dev/null
echo "ok   installed: tolvex-cli $version, man pages, Exec and Icon of the desktop entry resolve"
# The backtest as a desktop action, and no claim on every text file.
action=$(sed -n '/^\[Desktop Action backtest\]/,/^\[/p' "$desktop")
[[ $(sed -n 's/^Actions=//p' "$desktop") == "backtest;" && $action == *$'\nName=回测报告\n'* &&
   $action == *$'\nExec=tolvex --backtest %f'* ]] ||
    { echo "50-package.sh: the desktop entry lacks the action 回测报告 (tolvex --backtest %f)" >&2; exit 1; }
! grep -q '^MimeType=' "$desktop" ||
    { echo "50-package.sh: the desktop entry claims file types" >&2; exit 1; }
echo "ok   the desktop entry's action 回测报告 runs tolvex --backtest %f; it claims no file types"

# The installed bash completion: commands, options, their values.
completes() {  # completes <words...> = <expected>
    local words=() expected
    while [[ $1 != = ]]; do words+=("$1"); shift; done
    expected=$2
    local got
    got=$(bash -c 'source /usr/share/bash-completion/bash_completion
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}; COMPREPLY=()
        _completion_loader tolvex-cli; _tolvex_cli; echo "${COMPREPLY[*]}"' _ "${words[@]}")
    [[ $got == "$expected" ]] ||
        { echo "50-package.sh: completing '${words[*]}' gave '$got', not '$expected'" >&2; exit 1; }
}
completes tolvex-cli ba = backtest
completes tolvex-cli backtest --format "" = "text csv json html"
completes tolvex-cli backtest --format=j = json
completes tolvex-cli inspect --encoding u = "utf-8 utf-16"
completes tolvex-cli reduce --c = --count
echo "ok   the bash completion completes commands, options and their values"

bash scripts/qt-session.sh "$(command -v "$exec")"
# The installed program makes the backtest page, with the installed tolvex-cli to compare.
bash scripts/qt-backtest-session.sh "$(command -v "$exec")"

# Removed: nothing of it stays.
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 purge -y -qq tolvex >/dev/null
installed=""
left=""
for file in $files; do
    [[ -e $file ]] && left+=" $file"
done
[[ -z $left ]] || { echo "50-package.sh: left after purge:$left" >&2; exit 1; }
echo "ok   purged: none of the package's $(wc -w <<<"$files") files remains"
