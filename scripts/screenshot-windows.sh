#!/usr/bin/env bash
# Opens Tessely's two native windows under Wine on a virtual X server (Xvfb) and saves a picture of each, as
# the screen shows it: build-windows/screenshots/main-window.png, main-window-status.png (the status label
# counting as during a job) and about-window.png. Builds the Windows programs first when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages "${TESSELY_WINDOWS_PACKAGES[@]}"
if [ -f build-windows/CMakeCache.txt ]; then
    cmake --build build-windows -j "$(nproc)" --target tessely-screenshots
else
    ./scripts/build-windows.sh
fi

shots=$PWD/build-windows/screenshots
rm -rf "$shots"
mkdir -p "$shots"
export WINEDEBUG=-all
export TESSELY_GUI_WINEPREFIX=$PWD/build-windows/wine-prefix-gui
# A 96 dpi screen, the density the windows were drawn for. The Wine server ends before the X server does.
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" bash -c '
    cmake/wine-run-gui.sh build-windows/bin/tessely-screenshots.exe "Z:${1//\//\\}"
    status=$?
    WINEPREFIX=$TESSELY_GUI_WINEPREFIX wineserver -k 2>/dev/null
    exit $status' screenshots "$shots"

# The pictures come as 24-bit bitmaps; PNG files are what the README shows.
python3 - "$shots" <<'PYTHON'
import os, struct, sys, zlib

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    if not name.endswith(".bmp"):
        continue
    path = os.path.join(folder, name)
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        source = abs(height) - 1 - y if height > 0 else y
        row = data[offset + source * stride:offset + source * stride + width * 3]
        pixels = bytearray(row)
        pixels[0::3], pixels[2::3] = row[2::3], row[0::3]  # blue, green, red to red, green, blue
        rows.append(b"\0" + bytes(pixels))
    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    with open(path[:-4] + ".png", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
                + chunk(b"IEND", b""))
    os.remove(path)
PYTHON
ls -l "$shots"
