#!/usr/bin/env bash
# Builds Tessely, opens its main window and its About window on a virtual X server (Xvfb) and saves a
# picture of each: build/screenshots/main-window.png and build/screenshots/about-window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages
tessely_install_packages xvfb xauth
tessely_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

mkdir -p build/screenshots
# A 96 dpi screen, the density the windows were drawn for; the xcb platform so the pictures are read
# back from the X server as a user would see them.
QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
    build/bin/tessely-screenshots build/screenshots
ls -l build/screenshots
