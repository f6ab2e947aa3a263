#!/usr/bin/env bash
# The Windows stage of CI, run by .ci/run after ./test.sh, whose Linux build (build/) it compares against:
# cross-builds with scripts/build-windows.sh, runs every cross-built test under Wine, headless, in a Wine
# prefix made afresh for this run, and checks that the zipped tessely-cli.exe writes what the Linux build
# writes. Prints how long the stage took. Exits non-zero when anything fails.
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

ctest --test-dir build-windows --output-on-failure -j "$(nproc)"
echo "Windows tests: $((SECONDS - start)) s"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
./scripts/check-windows-zip.sh build/bin/tessely-cli "build-windows/tessely-$version-win64.zip"
echo "Windows stage: $((SECONDS - start)) s"
