#!/bin/sh
# Runs a cross-built Windows program under Wine, as CTest's emulator: quiet, headless, and in a Wine
# prefix of the build's own (WINEPREFIX, else wine-prefix/ in the build folder that holds the program),
# so the tests never touch the user's ~/.wine. The prefix is made once, under a lock, by the first
# program that needs it; the scripts make it before the tests start.
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

if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
            wine wineboot --init >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.tessely-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
# A server that stays 30 seconds after the last program, rather than Wine's 3: CTest starts one program
# after another, and a server that is just ending can drop the next program's connection. Does nothing
# when a server already runs.
wineserver -p30 2>/dev/null || true
exec wine "$@"
