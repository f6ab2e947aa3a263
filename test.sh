#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build (build/) and once under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

tessely_install_packages

tessely_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELY_WERROR=ON
ctest --test-dir build --output-on-failure -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
tessely_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTESSELY_SANITIZE=ON
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
