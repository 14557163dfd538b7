# wine-tests.sh - sourced after virtual-display.sh: the Windows tests' Wine as 30-mingw.sh runs
# them, Chinese code page 936 and the build's own quiet prefix, on a virtual display.

# Sets Wine's environment, starts the display, and stops Wine at exit whatever happened, so
# that nothing is left running.
start_wine_tests() {
    export LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX="$PWD/build/mingw/wineprefix"
    trap 'wineserver -k 2>/dev/null || true; stop_started' EXIT
    start_virtual_display
}
