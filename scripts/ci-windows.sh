#!/usr/bin/env bash
# The Windows stage of CI, run by .ci/run after ./test.sh, whose Linux build (build/) it compares against:
# cross-builds with scripts/build-windows.sh, runs every cross-built test under Wine in a Wine prefix made
# afresh for this run (headless, except the native windows' tests, which get a virtual X server and a prefix
# of their own), checks that the zipped tessely-cli.exe writes what the Linux build writes, and checks the
# installer. Prints how long the stage took. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

./scripts/build-windows.sh
echo "Windows build: $((SECONDS - start)) s"

export WINEPREFIX=$PWD/build-windows/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
unset DISPLAY WAYLAND_DISPLAY
# A server left from an earlier run of this prefix goes first.
if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
wine wineboot --init >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.tessely-ready"
# One Wine server for the whole stage rather than one per test program; it ends 30 seconds after the last
# program, and this prefix is ours to stop at the end. Its services start with the first program and keep
# that program's output open: they are started here, so no test waits for them.
wineserver -p30 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
echo "Wine prefix: $((SECONDS - start)) s"

# The native windows' tests draw on a virtual X server, in their own prefix, made afresh too.
gui_prefix=$PWD/build-windows/wine-prefix-gui
if [ -d "$gui_prefix" ]; then WINEPREFIX=$gui_prefix wineserver -k 2>/dev/null || true; fi
rm -rf "$gui_prefix" "$gui_prefix.lock"
# Xvfb picks a free display and writes its number.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    display=$(cat "$display_file")
    [ -n "$display" ] && break
    sleep 0.1
done
rm -f "$display_file"
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
trap 'WINEPREFIX=$gui_prefix wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true
      wineserver -k 2>/dev/null || true' EXIT

DISPLAY=:$display ctest --test-dir build-windows --output-on-failure -j "$(nproc)"
echo "Windows tests: $((SECONDS - start)) s"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
./scripts/check-windows-zip.sh build/bin/tessely-cli "build-windows/tessely-$version-win64.zip"
./scripts/check-windows-installer.sh "build-windows/tessely-$version-setup.exe"
echo "Windows stage: $((SECONDS - start)) s"
