#!/usr/bin/env bash
# Cross-builds the Windows x64 programs on Linux: tessely.exe (the main window), tessely-cli.exe and the test
# programs, into build-windows/, with Debian's MinGW-w64 and a static runtime, then packs
# build-windows/tessely-<version>-win64.zip (both programs and the README) and the installer
# build-windows/tessely-<version>-setup.exe. -DTESSELY_BUILD_GUI=OFF leaves out the main window and the
# installer. Installs what is missing first, Wine included, so that
# `ctest --test-dir build-windows` can run the tests under Wine afterwards.
# Extra arguments are passed to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages "${TESSELY_WINDOWS_PACKAGES[@]}"

# The main window is asked for by name, so that a build folder configured without it earlier gets it again.
tessely_build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DTESSELY_WERROR=ON -DTESSELY_BUILD_GUI=ON "$@"
cmake --build build-windows --target tessely_zip
if grep -q '^TESSELY_BUILD_GUI:BOOL=ON' build-windows/CMakeCache.txt; then
    cmake --build build-windows --target tessely_installer
fi
