#!/bin/sh
# Runs a cross-built Windows program that opens windows, as CTest's emulator: under Wine on the X display in
# DISPLAY (the Windows stage starts Xvfb for it), in a Wine prefix of its own (wine-prefix-gui/ in the build
# folder, or TESSELY_GUI_WINEPREFIX), since a prefix keeps the display its desktop was started on. Exits 77,
# which CTest counts as skipped, when there is no display.
set -eu
program=$1
if [ -z "${DISPLAY:-}" ]; then
    echo "$(basename "$program"): needs an X display (DISPLAY); run it under xvfb-run or scripts/ci-windows.sh" >&2
    exit 77
fi
build=$(cd "$(dirname "$program")" && pwd)
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do
    build=$(dirname "$build")
done
export WINEPREFIX=${TESSELY_GUI_WINEPREFIX:-$build/wine-prefix-gui}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Under a lock, as wine-run.sh does: the prefix is made once; then a server that stays 30 seconds after
# the last program, whose services are started by a program of no interest, so that they never hold a
# test's output open.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
        wine wineboot --init </dev/null >/dev/null 2>&1 9>&-
        # No X window manager runs on a virtual X server: Wine places the windows and draws their borders
        # and title bars itself, as Windows does, and does not wait for a manager to answer.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 9>&-
        # Wine's own fonts (Debian's fonts-wine), where this Wine looks for them: Tahoma for captions and
        # Marlett for the title bar's buttons, as on Windows.
        if [ -d /usr/share/wine/fonts ]; then
            cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        fi
        wineserver -w 9>&-
        touch "$WINEPREFIX/.tessely-ready"
    fi
    # A server of this prefix that runs for an X server that has gone (an earlier xvfb-run) goes first:
    # its desktop cannot draw on this one. The X server is known by its display and its socket.
    screen="$DISPLAY $(stat -c %i "/tmp/.X11-unix/X$(echo "${DISPLAY#*:}" | cut -d. -f1)" 2>/dev/null || true)"
    if [ "$(cat "$WINEPREFIX/.tessely-display" 2>/dev/null || true)" != "$screen" ]; then
        wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
        echo "$screen" >"$WINEPREFIX/.tessely-display"
    fi
    if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
