#!/usr/bin/env bash
# Builds Tessely and runs it.
#   ./run.sh              opens the main window when a display is there; without one, splits the bundled
#                         sample into build/demo/Split-vCards with tessely-cli
#   ./run.sh ARGS...      runs tessely-cli with ARGS, e.g. ./run.sh split --naming=contact FILE
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

tessely_install_packages
tessely_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if [ $# -gt 0 ]; then
    exec build/bin/tessely-cli "$@"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/tessely ]; then
    exec build/bin/tessely
fi
mkdir -p build/demo
cp examples/sample-contacts.vcf build/demo/
echo "No display: splitting the sample with tessely-cli"
build/bin/tessely-cli split build/demo/sample-contacts.vcf
ls build/demo/Split-vCards
