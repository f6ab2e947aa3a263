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

if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.tessely-ready" ]; then
            wine wineboot --init >/dev/null 2>&1
            # No X window manager runs on a virtual X server: Wine places the windows and draws their borders
            # and title bars itself, as Windows does, and does not wait for a manager to answer.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            # Wine's own fonts (Debian's fonts-wine), where this Wine looks for them: Tahoma for captions
            # and Marlett for the title bar's buttons, as on Windows.
            if [ -d /usr/share/wine/fonts ]; then
                cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
            fi
            wineserver -w
            touch "$WINEPREFIX/.tessely-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
