#!/usr/bin/env python3
"""Measures the workbook export against the CSV export on a generated contact file.

Generates the file (bench/generate.py) and exports it as CSV with tessely-cli; then, in each repetition and
in rotating order: the CSV export again, the workbook export (tessely-cli export --format=xlsx), the
workbook writer alone fed the CSV table's rows (bench_workbook), and the reading of the table alone
(bench_workbook --parse-only). Prints each one's median wall time (min–max) and
peak memory, the writer's phases (handing over the rows, then completing the workbook: assembling the
sheet, compressing it into the package and copying the package into place), and where the completion's time
goes: the sheet's XML compressed by zlib at the level the library uses (6, zlib's default, which the
library gives no way to change) and at level 1.

Usage: bench_workbook.py --bin BUILD/bin [--contacts 100000] [--reps 3] [--place tmpfs|disk] [--report FILE]
"""

import argparse
import io
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def run(argv):
    """Runs argv; gives its wall time, peak memory in MB and standard output."""
    with tempfile.NamedTemporaryFile("r") as timing:
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", timing.name] + argv,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        peak = int(timing.read().split()[-1]) / 1024
    if done.returncode != 0:
        raise RuntimeError(f"{argv[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')[-500:]}")
    return wall, peak, done.stdout.decode()


def deflate_seconds(data, level):
    start = time.perf_counter()
    packer = zlib.compressobj(level, zlib.DEFLATED, -15)
    size = 0
    for at in range(0, len(data), 1 << 16):
        size += len(packer.compress(data[at:at + (1 << 16)]))
    size += len(packer.flush())
    return time.perf_counter() - start, size


def span(values):
    return f"{statistics.median(values):.3f} ({min(values):.3f}–{max(values):.3f})"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="the folder holding tessely-cli and bench_workbook")
    parser.add_argument("--contacts", type=int, default=100000)
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--place", default="tmpfs", choices=["tmpfs", "disk"])
    parser.add_argument("--report", help="also write the table to this file")
    args = parser.parse_args()
    cli = os.path.join(os.path.abspath(args.bin), "tessely-cli")
    writer = os.path.join(os.path.abspath(args.bin), "bench_workbook")

    root = tempfile.mkdtemp(prefix="tessely-bench-workbook-", dir="/dev/shm" if args.place == "tmpfs" else "/var/tmp")
    try:
        source = os.path.join(root, "input.vcf")
        subprocess.run([sys.executable, os.path.join(HERE, "generate.py"), "--contacts", str(args.contacts),
                        "--out", source], check=True)
        table = os.path.join(root, "Split-vCards", "Contacts_Export.csv")
        subprocess.run([cli, "export", source], check=True, stdout=subprocess.DEVNULL)
        kept = os.path.join(root, "table.csv")
        shutil.copy(table, kept)
        out = os.path.join(root, "workbook")
        os.makedirs(out)

        tools = {
            "tessely-cli export (CSV)": [cli, "export", source],
            "tessely-cli export --format=xlsx": [cli, "export", "--format=xlsx", source],
            "workbook writer, fed the CSV's rows": [writer, kept, out],
            "reading the CSV alone": [writer, kept, out, "--parse-only"],
        }
        walls = {name: [] for name in tools}
        peaks = {name: [] for name in tools}
        phases = {"rows_s": [], "complete_s": []}
        names = list(tools)
        for rep in range(args.reps):
            shift = rep % len(names)
            for name in names[shift:] + names[:shift]:
                os.sync()
                wall, peak, output = run(tools[name])
                walls[name].append(wall)
                peaks[name].append(peak)
                if name.startswith("workbook"):
                    fields = output.split()
                    values = dict(zip(fields[::2], fields[1::2]))
                    for phase in phases:
                        phases[phase].append(float(values[phase]))
                    counts = values

        workbook = os.path.join(out, "Contacts_Export.xlsx")
        with zipfile.ZipFile(workbook) as package:
            sheet = package.read("xl/worksheets/sheet1.xml")
        level6, size6 = deflate_seconds(sheet, 6)
        level1, size1 = deflate_seconds(sheet, 1)

        csv = statistics.median(walls["tessely-cli export (CSV)"])
        own = statistics.median(walls["workbook writer, fed the CSV's rows"]) - statistics.median(
            walls["reading the CSV alone"])
        report = io.StringIO()
        print(f"Workbook writer: {args.contacts:,} contacts ({os.path.getsize(source) / 1e6:.0f} MB) on {args.place}, "
              f"{args.reps} repetitions, {os.cpu_count()} CPUs, {time.strftime('%Y-%m-%d %H:%M')}\n", file=report)
        print("| tool | wall s, median (min–max) | vs CSV export | peak MB |", file=report)
        print("|---|---|---:|---:|", file=report)
        for name in names:
            print(f"| {name} | {span(walls[name])} | {statistics.median(walls[name]) / csv:.2f}x | "
                  f"{max(peaks[name]):.1f} |", file=report)
        print("", file=report)
        print(f"- table: {int(counts['rows']):,} rows, {int(counts['cells']):,} cells, "
              f"{os.path.getsize(kept) / 1e6:.1f} MB of CSV; {int(counts['shortened']):,} cells shortened", file=report)
        print(f"- writer's phases: rows handed over (the CSV's reading included) {span(phases['rows_s'])} s, "
              f"completion {span(phases['complete_s'])} s", file=report)
        print(f"- the sheet's XML: {len(sheet) / 1e6:.1f} MB; zlib level 6 (the library's) {level6:.3f} s to "
              f"{size6 / 1e6:.1f} MB, level 1 {level1:.3f} s to {size1 / 1e6:.1f} MB; the workbook "
              f"{os.path.getsize(workbook) / 1e6:.1f} MB", file=report)
        book = statistics.median(walls["tessely-cli export --format=xlsx"])
        print(f"- the workbook export: {book:.3f} s, {book / csv:.2f}x the CSV export's; the CSV export plus "
              f"the writer's own time: {csv + own:.3f} s, {(csv + own) / csv:.2f}x", file=report)
        sys.stdout.write(report.getvalue())
        if args.report:
            with open(args.report, "w") as f:
                f.write(report.getvalue())
    finally:
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
