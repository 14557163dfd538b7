#!/usr/bin/env bash
# 60-windows.sh - the Windows release as a player gets it, under Wine with code page 936: the
# Windows build configured with nothing but its toolchain file, as on a Windows machine with
# default options; the zip and the setup program built twice to the same bytes; signing with a
# throwaway certificate;
# a silent install over an older version, the installed program driven from the keyboard, a
# silent uninstall that leaves nothing; the portable zip unpacked and driven the same way; the
# backtest from both: a history file as argument, the column dialog from the keyboard, the Open
# dialog from the Start menu entry 回测报告 (Tolvex) and from tolvex.exe --backtest.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh base win winrelease
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target win32_window_probe >/dev/null
probe=$PWD/build/mingw/ui/win32/tests/win32_window_probe.exe

source scripts/lib/virtual-display.sh
source scripts/lib/checks.sh
source scripts/lib/installer.sh
source scripts/lib/windows-backtest.sh
new_work_dir

# Default options, no -D at all: the Win32 program, the command line and the tests build, and
# install as a user would install them.
cmake -S . -B "$work/plain" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$work/plain" >/dev/null
cmake --install "$work/plain" --prefix "$work/plain-installed" >/dev/null
ls "$work/plain-installed/tolvex.exe" "$work/plain-installed/tolvex-cli.exe" >/dev/null
echo "ok   the Windows build configures, builds and installs with nothing but the toolchain file"

# Two builds of the last commit, in different folders, give the same files.
DIST=$work/a bash scripts/release.sh windows >/dev/null
DIST=$work/b bash scripts/release.sh windows >/dev/null
zip=$(ls "$work"/a/tolvex-*-win64.zip)
setup=$(ls "$work"/a/tolvex-*-win64-setup.exe)
version=${zip##*/tolvex-}
version=${version%-win64.zip}
for file in "$zip" "$setup"; do
    cmp "$file" "$work/b/${file##*/}" || { echo "60-windows.sh: two builds of ${file##*/} differ" >&2; exit 1; }
done
unzip -q "$zip" -d "$work/portable"
echo "ok   ${zip##*/} ($(stat -c %s "$zip") bytes) and ${setup##*/} ($(stat -c %s "$setup") bytes) are the same in two builds"
# The zip holds what a user's own `cmake --install` puts in place, no more, no less.
zipped=$(find "$work"/portable/*/ -type f -printf '%P\n' | LC_ALL=C sort)
[[ $zipped == "$(find "$work/plain-installed" -type f -printf '%P\n' | LC_ALL=C sort)" ]] ||
    { echo "60-windows.sh: the zip and cmake --install hold different files" >&2; exit 1; }
echo "ok   the zip holds the files cmake --install installs:" $zipped
[[ -z $(unzip -Z1 "$zip" | grep -i '\.dll$') ]] || { echo "60-windows.sh: the zip holds DLLs" >&2; exit 1; }

# Signed with a certificate made for the test, and verified against it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tolvex test signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
TOLVEX_SIGN_CERT=$work/cert.pem TOLVEX_SIGN_KEY=$work/key.pem DIST=$work/signed \
    bash scripts/release.sh windows >/dev/null
unzip -q "$work/signed/${zip##*/}" -d "$work/signed/unzipped"
for file in "$work"/signed/unzipped/*/*.exe "$work/signed/${setup##*/}"; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log" >&2; echo "60-windows.sh: ${file##*/} is not signed" >&2; exit 1; }
done
echo "ok   signed with a throwaway certificate: the programs and the setup program verify"

bt_start_wine
users=$WINEPREFIX/drive_c/users/$(id -un)
instdir=$users/AppData/Local/Programs/Tolvex
startmenu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tolvex.lnk"
desktop=$users/Desktop/Tolvex.lnk
backtest_link="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/回测报告 (Tolvex).lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvex'

clipboard_holds() { [[ $(clipboard | tr -d '\r') == "$1" ]]; }
probe() { wine "$probe" "$@" 2>/dev/null || true; }
marker_is() { [[ $(probe 1008) == "$1" ]]; }
windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }
window_count_is() { [[ $(windows "$1" | wc -l) -eq $2 ]]; }
reg_value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {$1 = $2 = ""; sub(/^ +/, ""); print}'; }

# One whole pass from the keyboard: 456, Tab, 123, Enter; 000 marks a hit; the save button,
# a file name typed into the Save dialog, Enter twice; the exit button ends the program.
drive() {  # drive <what> <program>
    local what=$1 saved="C:\\saved-$1.txt" expected
    expected=$(wine "$(dirname "$2")/tolvex-cli.exe" reduce 456 123 2>/dev/null | tr -d '\r\n')
    wine "$2" >/dev/null 2>&1 &
    local pid=$!
    wait_for "$wait_limit" bash -c "xdotool search --onlyvisible --name '^Tolvex\$' | grep -q ." ||
        { check "$what: the window opens" "yes" "no"; return; }
    local window
    window=$(xdotool search --onlyvisible --name '^Tolvex$' | head -1)
    wait_for "$wait_limit" bash -c "[[ \$(xdotool getwindowfocus) == $window ]]" || true
    xdotool type --delay 30 456
    xdotool key Tab
    xdotool type --delay 30 123
    xdotool key Return
    check "$what: the clipboard holds the 722 numbers after Enter" "yes" \
        "$(wait_for "$wait_limit" clipboard_holds "$expected" && echo yes || echo no)"
    xdotool type --delay 30 000
    check "$what: 000 marks a hit" "yes" "$(wait_for "$wait_limit" marker_is 中 && echo yes || echo no)"
    # From the last-draw box, Shift+Tab twice reaches the save button; the Save dialog takes
    # the focus, the file name is typed, and the success box takes it next.
    xdotool key shift+Tab shift+Tab Return
    wait_for "$wait_limit" bash -c "[[ \$(xdotool getwindowfocus) != $window ]]" || true
    xdotool type --delay 20 "$saved"
    xdotool key Return
    local file=$WINEPREFIX/drive_c/saved-$what.txt
    check "$what: the saved file holds the numbers" "yes" \
        "$(wait_for "$wait_limit" bash -c "[[ -f '$file' && \$(cat '$file') == '$expected' ]]" && echo yes || echo no)"
    # The success box: another window titled Tolvex.
    wait_for "$wait_limit" bash -c "[[ \$(xdotool getwindowfocus) != $window &&
        \$(xdotool getwindowfocus getwindowname) == Tolvex ]]" || true
    xdotool key Return
    wait_for "$wait_limit" bash -c "[[ \$(xdotool getwindowfocus) == $window ]]" || true
    # From the save button, Shift+Tab twice reaches the exit button.
    xdotool key shift+Tab shift+Tab Return
    check "$what: the exit button ends the program" "yes" \
        "$(wait_for "$wait_limit" bash -c "! kill -0 $pid 2>/dev/null" && echo yes || echo no)"
    wait "$pid" 2>/dev/null || true
}

# The setup program's licence page, in Chinese: the text under the licence names the button as
# the button reads (its & marks the access key). Escape and Enter cancel the setup.
licence_page() {
    local title="Tolvex 安装"
    wine "$setup" >/dev/null 2>&1 &
    local pid=$!
    wait_for "$wait_limit" bash -c "xdotool search --onlyvisible --name '^$title' | grep -q ." ||
        { check "the setup program opens" "yes" "no"; return; }
    xdotool key Return
    wait_for "$wait_limit" bash -c "[[ -n \$(wine '$probe' 1006 '$title' 2>/dev/null) ]]" || true
    local button
    button=$(probe 1 "$title")
    check "the licence page names its button" "[${button//&/}]" \
        "$(probe 1006 "$title" | grep -o '\[[^]]*\]' | head -1)"
    xdotool key Escape
    wait_for "$wait_limit" bash -c "[[ \$(xdotool search --onlyvisible --name '^$title' | wc -l) -ge 2 ]]" || true
    xdotool key Return
    check "the setup program ends when cancelled" "yes" \
        "$(wait_for "$wait_limit" bash -c "! kill -0 $pid 2>/dev/null" && echo yes || echo no)"
    wait "$pid" 2>/dev/null || true
}
licence_page

# An older version first, so that the release installs over it.
mkdir -p "$work/older"
cp "$work"/portable/*/* "$work/older/"
make_installer "$PWD" 0.9.0 "$work/older" "$work/older-setup.exe"
wine "$work/older-setup.exe" /S
check "the older version is installed" "0.9.0" "$(reg_value DisplayVersion)"

start=$(date +%s%N)
wine "$setup" /S /DESKTOP
echo "     silent install took $((($(date +%s%N) - start) / 1000000)) ms"
for file in $zipped uninstall.exe; do
    check "installed $file" "yes" "$([[ -f $instdir/$file ]] && echo yes || echo no)"
done
check "the Start menu shortcut" "yes" "$([[ -f $startmenu ]] && echo yes || echo no)"
check "the Start menu entry 回测报告 (Tolvex)" "yes" "$([[ -f $backtest_link ]] && echo yes || echo no)"
check "the entry starts tolvex.exe --backtest" "yes" "$(python3 -c '
import sys
link = open(sys.argv[1], "rb").read()
print("yes" if "--backtest".encode("utf-16-le") in link and "tolvex.exe".encode("utf-16-le") in link.lower() else "no")' "$backtest_link" 2>/dev/null || echo no)"
check "the desktop shortcut (/DESKTOP)" "yes" "$([[ -f $desktop ]] && echo yes || echo no)"
check "the new version replaced the older" "$version" "$(reg_value DisplayVersion)"
check "installed-programs entry: name" "Tolvex" "$(reg_value DisplayName)"
check "installed-programs entry: publisher" "The Tolvex developers" "$(reg_value Publisher)"
check "installed-programs entry: quiet uninstall" "\"C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Tolvex\\uninstall.exe\" /S" \
    "$(reg_value QuietUninstallString)"
check "installed-programs entry: icon and size" "yes" \
    "$([[ $(reg_value DisplayIcon) == *tolvex.exe && $(reg_value EstimatedSize) =~ ^0x0*[1-9a-f] ]] && echo yes || echo no)"
check "the installed tolvex-cli reduces" "722" "$(wine "$instdir/tolvex-cli.exe" reduce 456 123 --count | tr -d '\r\n')"

drive installed "$instdir/tolvex.exe"
drive_backtest installed "$instdir/tolvex.exe" "$backtest_link"

wine "$instdir/uninstall.exe" /S
gone() { [[ ! -e $instdir && ! -e $startmenu && ! -e $backtest_link && ! -e $desktop ]] && ! wine reg query "$key" >/dev/null 2>&1; }
if wait_for "$wait_limit" gone; then
    check "the uninstaller removes every file, shortcut and registry entry" yes yes
else
    # What is left, and which Windows programs still run, to tell why.
    left=$(find "$instdir" "$startmenu" "$backtest_link" "$desktop" 2>/dev/null | tr '\n' ' ' || true)
    check "the uninstaller removes every file, shortcut and registry entry" "yes" "no: left $left"
    ps -eo pid,args | grep -i '[.]exe' >&2 || true
fi

drive portable "$(echo "$work"/portable/*/tolvex.exe)"
drive_backtest portable "$(echo "$work"/portable/*/tolvex.exe)"

wineserver -k 2>/dev/null || true
end_checks 60-windows.sh
