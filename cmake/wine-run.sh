#!/usr/bin/env bash
# wine-run.sh - runs a Windows program under Wine in a quiet prefix, creating the prefix once.
# The prefix is $WINEPREFIX when set, else wineprefix/ in the build folder above the program (or
# above the current folder, for one of Wine's own programs such as reg).
# The locale defaults to zh_CN.UTF-8, which gives Wine the Chinese ANSI code page 936.
set -Eeuo pipefail
# A run that stops before Wine starts says where: a test that fails at once with no output
# otherwise cannot tell this script's failure from Wine's.
trap 'echo "wine-run.sh: stopped at line $LINENO with status $?" >&2' ERR
program=$1
shift
if [[ -z "${WINEPREFIX:-}" ]]; then
    dir=$(cd "$(dirname "$program")" && pwd)
    while [[ "$dir" != / && ! -f "$dir/CMakeCache.txt" ]]; do dir=$(dirname "$dir"); done
    [[ "$dir" != / ]] || dir=$(cd "$(dirname "$program")" && pwd)
    export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [[ -z "${LC_ALL:-}" ]] && locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    export LC_ALL=zh_CN.UTF-8
fi
# Two tests started together must not both build the prefix.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        wine wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # One wineserver for a whole run of tests. The one Wine starts by itself ends the moment
    # its last program ends (Debian runs it with -p0), and a program that connects just then
    # loses its connection as the server closes ("recvmsg: Connection reset by peer"). This
    # one waits a minute for the next program; when a server already runs for the prefix, the
    # start ends at once with status 2 and that server stays. The server's own programs
    # (services, the desktop) live as long as it and keep the output of the program that
    # started them open, and a test runner waits for that output to end: a new server gets
    # them from a program whose output goes nowhere (rundll32 makes a window, which starts
    # the desktop). Neither keeps the lock.
    if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
        wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$program" "$@"
