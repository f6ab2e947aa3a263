#!/usr/bin/env bash
# Builds an optimised tessely-cli with the C floors and measures it against its baselines on generated
# contact files, on the disk and on /dev/shm. Prints a Markdown table (see bench/README.md).
#   ./bench/run.sh                      10,000 and 100,000 contacts on /dev/shm, 10,000 on the disk, 3 repetitions
#   ./bench/run.sh --sizes 1000000 --disk-sizes "" --groups export   (about 900 MB in /dev/shm)
#   ./bench/run.sh --reps 5 --lf --places tmpfs --groups split,export --report out.md
#   ./bench/run.sh --sizes 100000 --disk-sizes "" --places tmpfs --groups grouped --reps 5   (groups of 1,000 vs cp)
#   ./bench/run.sh workbook --reps 3    the workbook writer against the CSV export (bench/bench_workbook.py)
# Every option is passed on to bench/bench.py (--help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages cmake make g++ pkg-config libxlsxwriter-dev python3 time
tessely_build build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTESSELY_BUILD_GUI=OFF >/dev/null
if [ "${1:-}" = workbook ]; then
    shift
    exec python3 bench/bench_workbook.py --bin build-bench/bin "$@"
fi
exec python3 bench/bench.py --bin build-bench/bin "$@"
