#!/bin/sh
# Runs a cross-built Windows program under Wine, as CTest's emulator: quiet, headless, and in a Wine
# prefix of the build's own (WINEPREFIX, else wine-prefix/ in the build folder that holds the program),
# so the tests never touch the user's ~/.wine.
set -eu
program=$1
if [ -z "${WINEPREFIX:-}" ]; then
    build=$(cd "$(dirname "$program")" && pwd)
    while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do
        build=$(dirname "$build")
    done
    WINEPREFIX=$build/wine-prefix
fi
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs while the prefix is made: the programs need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

# Under a lock, since CTest starts programs side by side: the prefix is made once, by the first program
# that needs it. Then a server that stays 30 seconds after the last program, rather than Wine's 3: CTest
# starts one program after another, and a server that is just ending can drop the next program's
# connection. When the server is new, its services are started by a program of no interest: they keep
# the standard output and error of the program that starts them open as long as they run, and CTest would
# wait for them.
mkdir -p "$(dirname "$WINEPREFIX")"
# The programs started under the lock do not inherit it: Wine's services and server outlive them.
(
    flock 9
    if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
        wine wineboot --init </dev/null >/dev/null 2>&1 9>&-
        wineserver -w 9>&-
        touch "$WINEPREFIX/.tessely-ready"
    fi
    if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
