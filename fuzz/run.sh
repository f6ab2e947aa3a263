#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs each target for SECONDS (default 60), starting from its seed corpus in
# fuzz/corpus/<name>. Inputs found on the way are kept in build-fuzz/corpus/<name>, a failing input in
# build-fuzz/artifacts/. Exits non-zero when any target crashes, leaks or trips a sanitizer.
#   ./fuzz/run.sh            every target, 60 s each
#   ./fuzz/run.sh 10 split_contacts
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

seconds=${1:-60}
shift || true
tessely_install_packages "${TESSELY_FUZZ_PACKAGES[@]}"
tessely_build build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSELY_FUZZ=ON -DBUILD_TESTING=OFF -DTESSELY_BUILD_GUI=OFF >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for program in build-fuzz/bin/tessely_fuzz_*; do
        names+=("${program##*/tessely_fuzz_}")
    done
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
mkdir -p build-fuzz/artifacts
for name in "${names[@]}"; do
    mkdir -p "build-fuzz/corpus/$name"
    echo "== fuzzing $name for ${seconds}s"
    if ! "build-fuzz/bin/tessely_fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" \
        "build-fuzz/corpus/$name" "fuzz/corpus/$name" 2>"build-fuzz/$name.log"; then
        tail -n 60 "build-fuzz/$name.log"
        failed+=("$name")
    else
        grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$name.log" || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
echo "fuzzing found nothing"
