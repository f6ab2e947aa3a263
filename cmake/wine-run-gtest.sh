#!/bin/sh
# Runs a cross-built GoogleTest program, all its tests in one run, under the emulator (wine-run.sh), as
# one CTest test. Under load, Wine now and then ends a program before it has started, with a failure
# status and without a word; a GoogleTest program that has started always writes its header first. Such
# a run, and only such a run, is started once more, and says so. A program that wrote anything at all
# keeps its status.
# Usage: wine-run-gtest.sh EMULATOR PROGRAM [ARGUMENTS...]
emulator=$1
shift
output=$(mktemp)
status_file=$(mktemp)
trap 'rm -f "$output" "$status_file"' EXIT
attempt=1
while :; do
    # The output goes on to CTest as it comes, so a program that hangs still shows how far it got.
    {
        status=0
        "$emulator" "$@" 2>&1 </dev/null || status=$?
        echo "$status" >"$status_file"
    } | tee "$output"
    status=$(cat "$status_file")
    if [ "$status" -eq 0 ] || [ -s "$output" ] || [ "$attempt" -eq 2 ]; then
        exit "$status"
    fi
    echo "wine-run-gtest.sh: Wine ended $(basename "$1") with status $status before it wrote anything;" \
        "starting it once more"
    attempt=2
done
