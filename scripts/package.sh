#!/usr/bin/env bash
# Builds the Debian package build/tessely_<version>_<arch>.deb from the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages "${TESSELY_PACKAGES[@]}" dpkg-dev
tessely_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
(cd build && cpack -G DEB >/dev/null)
ls build/tessely_*.deb
