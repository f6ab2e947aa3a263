#!/usr/bin/env python3
"""Measures tessely-cli against baselines on generated contact files and prints a Markdown table.

Every tool of a group runs on the same input in the same run, the order rotating from one repetition
to the next; each figure is the median of the repetitions with the minimum and maximum beside it.
Runs happen on the disk and on a tmpfs (/dev/shm). Before the table, the outputs that must agree are
compared: the numbered split against the C floor byte for byte after line-end normalisation, the
export against the C export floor, the recombined file against cat, the groups joined against the input.

Creating files on the disk is slow and noisy (100,000 files take 10-20 s each run), so by default only the
10,000-contact file runs there; --disk-sizes adds more.

With --baseline, the tessely-cli of another build (main's, say) runs beside this one in every group, in
the same repetitions, so the two are compared in one run.

Usage: bench.py --bin BUILD/bin [--sizes 10000,100000] [--disk-sizes 10000] [--reps 3] [--places disk,tmpfs] [--lf]
                [--same-name 5000] [--groups split,named,export,recombine,grouped] [--per-file 1000]
                [--baseline OTHER/bin] [--report FILE] [--keep]
"""

import argparse
import csv
import io
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
AWK_SPLIT = (
    r'/^BEGIN:VCARD/ { f = sprintf("contact%04d.vcf", ++n) } '
    r'f { print > f } '
    r'/^END:VCARD/ { close(f); f = "" }'
)


class Tool:
    """One program measured on one input: `command(work)` gives the argv and working folder, `output(work)`
    the folder to clear before each run."""

    def __init__(self, name, command, output, floor=False, versus=None):
        self.name, self.command, self.output, self.floor = name, command, output, floor
        # The floor this tool is compared with, when it is not the group's own floor.
        self.versus = versus
        self.walls, self.peaks = [], []


def run_timed(argv, cwd):
    with tempfile.NamedTemporaryFile("r") as timing:
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", timing.name] + argv, cwd=cwd,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        fields = timing.read().split()
    if done.returncode != 0:
        raise RuntimeError(f"{argv[0]} failed ({done.returncode}): {done.stderr.decode(errors='replace')[-500:]}")
    return wall, int(fields[-1]) if fields else 0


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def measure(tools, work, reps):
    for rep in range(reps):
        shift = rep % len(tools)
        for tool in tools[shift:] + tools[:shift]:
            fresh(tool.output(work))
            os.sync()  # flush the previous run's files so their write-back is not charged to this one
            argv, cwd = tool.command(work)
            wall, peak = run_timed(argv, cwd)
            tool.walls.append(wall)
            tool.peaks.append(peak)


def normalised(data):
    return data.replace(b"\r\n", b"\n").replace(b"\r", b"\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def compare_folders(got, want, what, problems, normalise=True):
    names = sorted(n for n in os.listdir(want) if n.endswith(".vcf"))
    got_names = sorted(n for n in os.listdir(got) if n.endswith(".vcf"))
    if names != got_names:
        problems.append(f"{what}: {len(got_names)} files, the floor wrote {len(names)}")
        return
    for name in names:
        a, b = read(os.path.join(got, name)), read(os.path.join(want, name))
        if (normalised(a) != normalised(b)) if normalise else (a != b):
            problems.append(f"{what}: {name} differs from the floor's")
            return


def csv_rows(path):
    with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
        return list(csv.reader(f))


def compare_exports(got, want, what, problems):
    a, b = read(got).split(b"\r\n"), read(want).split(b"\r\n")
    if len(a) != len(b):
        problems.append(f"{what}: {len(a) - 1} rows, the floor wrote {len(b) - 1}")
    elif a[0] != b[0]:
        problems.append(f"{what}: the header differs from the floor's")
    else:
        # The floor upper-cases ASCII letters only, so rows with other letters may differ in case.
        for x, y in zip(a, b):
            if x.count(b",") != y.count(b","):
                problems.append(f"{what}: a row has another number of cells than the floor's")
                break
            if x != y and x.isascii() and y.isascii():
                problems.append(f"{what}: a row differs from the floor's: {x[:80]!r}")
                break


def tessely_supports(cli, args):
    """True when tessely-cli accepts `args` on a two-contact file (a job not built yet refuses)."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "two.vcf")
        with open(path, "w") as f:
            f.write("BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n")
        names = [path]
        if args[0] == "recombine":
            names = [os.path.join(folder, n) for n in ("a.vcf", "b.vcf")]
            for n in names:
                shutil.copy(path, n)
        done = subprocess.run([cli] + args + names, capture_output=True)
        return done.returncode == 0


def table_rows(group, size, place, mbytes, tools, counts):
    rows = []
    floor = next((t for t in tools if t.floor), None)
    floor_median = statistics.median(floor.walls) if floor else None
    for tool in tools:
        median = statistics.median(tool.walls)
        versus = next((t for t in tools if t.name == tool.versus), None)
        reference = statistics.median(versus.walls) if versus else floor_median
        ratio = f"{median / reference:.2f}x" if reference else ""
        count = counts.get(tool.name, size)
        rows.append(f"| {group} | {size:,} | {place} | {tool.name} | {median:.3f} ({min(tool.walls):.3f}–"
                    f"{max(tool.walls):.3f}) | {ratio} | {count / median:,.0f} | {mbytes / median:,.1f} | "
                    f"{statistics.median(tool.peaks) / 1024:,.1f} |")
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="the folder holding tessely-cli and the C floors")
    parser.add_argument("--sizes", default="10000,100000")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--disk-sizes", default="10000", help="the sizes that also run on the disk")
    parser.add_argument("--places", default="disk,tmpfs")
    parser.add_argument("--lf", action="store_true", help="generate files with LF line ends")
    parser.add_argument("--same-name", type=int, default=5000,
                        help="contacts in the file whose contacts share one name (0: skip)")
    parser.add_argument("--groups", default="split,named,export,recombine,grouped")
    parser.add_argument("--per-file", type=int, default=1000, help="contacts a file in the split into groups")
    parser.add_argument("--baseline", help="the folder of another build's tessely-cli to measure beside this one")
    parser.add_argument("--report", help="also write the table to this file")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folders")
    args = parser.parse_args()

    args.bin = os.path.abspath(args.bin)
    cli = os.path.join(args.bin, "tessely-cli")
    base = os.path.join(os.path.abspath(args.baseline), "tessely-cli") if args.baseline else None
    floor_split = os.path.join(args.bin, "tessely_floor_split")
    floor_export = os.path.join(args.bin, "tessely_floor_export")
    groups = set(args.groups.split(","))
    named = "named" in groups and tessely_supports(cli, ["split", "--naming=contact"])
    export = "export" in groups and tessely_supports(cli, ["export"])
    recombine = "recombine" in groups and tessely_supports(cli, ["recombine"])
    grouped = "grouped" in groups and tessely_supports(cli, ["split", f"--per-file={args.per_file}"])
    base_grouped = grouped and base and tessely_supports(base, ["split", f"--per-file={args.per_file}"])
    roots = {"disk": tempfile.mkdtemp(prefix="tessely-bench-", dir="/var/tmp"),
             "tmpfs": tempfile.mkdtemp(prefix="tessely-bench-", dir="/dev/shm")}
    places = [p for p in args.places.split(",") if p in roots]
    rows, problems, notes = [], [], []
    if "named" in groups and not named:
        notes.append("contact-named split: not measured (tessely-cli does not offer it in this build)")
    if "export" in groups and not export:
        notes.append("export: tessely-cli not measured (its export writes no table in this build)")
    if "recombine" in groups and not recombine:
        notes.append("recombine: tessely-cli not measured (not offered in this build)")
    if "grouped" in groups and not grouped:
        notes.append("split into groups: tessely-cli not measured (not offered in this build)")

    sizes = [int(s) for s in args.sizes.split(",") if s]
    disk_sizes = [int(s) for s in args.disk_sizes.split(",") if s]
    inputs = [(size, False) for size in dict.fromkeys(sizes + disk_sizes)]
    if named and args.same_name:
        inputs.append((args.same_name, True))
    try:
        sources = {}
        for size, same in inputs:
            path = os.path.join(roots["disk"], f"{'same' if same else 'contacts'}-{size}.vcf")
            command = [sys.executable, os.path.join(HERE, "generate.py"), "--contacts", str(size), "--out", path]
            subprocess.run(command + (["--lf"] if args.lf else []) + (["--same-name"] if same else []), check=True)
            sources[(size, same)] = path

        for place in places:
            for (size, same), generated in sources.items():
                if not same and size not in (disk_sizes if place == "disk" else sizes):
                    continue
                work = os.path.join(roots[place], f"{size}-{'same' if same else 'mixed'}")
                os.makedirs(work)
                source = os.path.join(work, "input.vcf")
                shutil.copy(generated, source)
                mbytes = os.path.getsize(source) / 1e6

                def own(folder):
                    # tessely-cli writes beside its input: every tessely run gets a folder with a link to it.
                    os.makedirs(os.path.join(work, folder), exist_ok=True)
                    link = os.path.join(work, folder, "input.vcf")
                    if not os.path.exists(link):
                        os.link(source, link)
                    return link

                split_tools = []
                if not same:
                    split_tools.append(Tool("tessely-cli split", lambda w: ([cli, "split", own("t")], w),
                                            lambda w: os.path.join(w, "t", "Split-vCards")))
                if not same and base:
                    split_tools.append(Tool("baseline split", lambda w: ([base, "split", own("bt")], w),
                                            lambda w: os.path.join(w, "bt", "Split-vCards")))
                if named:
                    split_tools.append(Tool("tessely-cli split --naming=contact",
                                            lambda w: ([cli, "split", "--naming=contact", own("n")], w),
                                            lambda w: os.path.join(w, "n", "Split-vCards"),
                                            versus="C floor, final names"))
                    if base:
                        split_tools.append(Tool("baseline split --naming=contact",
                                                lambda w: ([base, "split", "--naming=contact", own("bn")], w),
                                                lambda w: os.path.join(w, "bn", "Split-vCards"),
                                                versus="C floor, final names"))
                    split_tools.append(Tool("C floor, final names",
                                            lambda w: ([floor_split, source, os.path.join(w, "floor-n"), "--names"], w),
                                            lambda w: os.path.join(w, "floor-n"), floor=same))
                if not same:
                    split_tools.append(Tool("C floor", lambda w: ([floor_split, source, os.path.join(w, "floor")], w),
                                            lambda w: os.path.join(w, "floor"), floor=True))
                if not same:
                    split_tools.append(Tool("awk", lambda w: (["awk", AWK_SPLIT, source], os.path.join(w, "awk")),
                                            lambda w: os.path.join(w, "awk")))
                    split_tools.append(Tool("csplit", lambda w: (["csplit", "-s", "-z", "-f", "contact", "-b",
                                                                  "%04d.vcf", source, "/^BEGIN:VCARD/", "{*}"],
                                                                 os.path.join(w, "csplit")),
                                            lambda w: os.path.join(w, "csplit")))
                if "split" in groups or same:
                    print(f"# split {size} {'same-name ' if same else ''}on {place}", file=sys.stderr)
                    measure(split_tools, work, args.reps)
                    floor_out = os.path.join(work, "floor")
                    if named:
                        floor_named = len(os.listdir(os.path.join(work, "floor-n")))
                        if floor_named != size:
                            problems.append(f"floor with final names {size} {place}: {floor_named} files")
                    if not same:
                        compare_folders(os.path.join(work, "t", "Split-vCards"), floor_out,
                                        f"split {size} {place}", problems)
                        compare_folders(os.path.join(work, "awk"), floor_out, f"awk {size} {place}", problems)
                        pieces = len(os.listdir(os.path.join(work, "csplit")))
                        if pieces != size:
                            problems.append(f"csplit {size} {place}: {pieces} files")
                    if named:
                        written = len(os.listdir(os.path.join(work, "n", "Split-vCards")))
                        if written != size:
                            problems.append(f"named split {size} {place}: {written} files")
                    rows += table_rows("split", size, place, mbytes, split_tools, {})

                if export and not same:
                    tools = [Tool("tessely-cli export", lambda w: ([cli, "export", own("e")], w),
                                  lambda w: os.path.join(w, "e", "Split-vCards")),
                             Tool("C export floor", lambda w: ([floor_export, source, os.path.join(w, "xf")], w),
                                  lambda w: os.path.join(w, "xf"), floor=True),
                             ] + ([Tool("baseline export", lambda w: ([base, "export", own("be")], w),
                                        lambda w: os.path.join(w, "be", "Split-vCards"))] if base else []) + [
                             Tool("Python csv", lambda w: ([sys.executable, os.path.join(HERE, "baseline_export.py"),
                                                            source, os.path.join(w, "py")], w),
                                  lambda w: os.path.join(w, "py"))]
                    print(f"# export {size} on {place}", file=sys.stderr)
                    measure(tools, work, args.reps)
                    ours = os.path.join(work, "e", "Split-vCards", "Contacts_Export.csv")
                    compare_exports(ours, os.path.join(work, "xf", "Contacts_Export.csv"), f"export {size} {place}",
                                    problems)
                    python_rows = len(csv_rows(os.path.join(work, "py", "Contacts_Export.csv")))
                    if python_rows != size + 1:
                        problems.append(f"Python export {size} {place}: {python_rows - 1} rows")
                    rows += table_rows("export", size, place, mbytes, tools, {})

                if grouped and not same:
                    # The groups write the input's bytes once, into a few large files: a copy of the input is
                    # the floor.
                    option = f"--per-file={args.per_file}"
                    tools = [Tool(f"tessely-cli split {option}", lambda w: ([cli, "split", option, own("g")], w),
                                  lambda w: os.path.join(w, "g", "Split-vCards")),
                             ] + ([Tool(f"baseline split {option}",
                                        lambda w: ([base, "split", option, own("bg")], w),
                                        lambda w: os.path.join(w, "bg", "Split-vCards"))] if base_grouped else []) + [
                             Tool("cp", lambda w: (["cp", source, os.path.join(w, "cp-out", "all.vcf")], w),
                                  lambda w: os.path.join(w, "cp-out"), floor=True)]
                    print(f"# split into groups of {args.per_file}, {size} on {place}", file=sys.stderr)
                    measure(tools, work, args.reps)
                    # Each contact as the numbered split writes it, the groups in order: for a generated file
                    # with nothing between its contacts, the input itself.
                    folder = os.path.join(work, "g", "Split-vCards")
                    names = sorted(os.listdir(folder), key=lambda n: int(n[len("contacts"):].split("-")[0]))
                    wanted = -(-size // args.per_file)
                    if len(names) != wanted:
                        problems.append(f"groups {size} {place}: {len(names)} files, {wanted} wanted")
                    elif normalised(b"".join(read(os.path.join(folder, n)) for n in names)) != normalised(read(source)):
                        problems.append(f"groups {size} {place}: the groups joined are not the contacts joined")
                    rows += table_rows("groups", size, place, mbytes, tools, {})

                if recombine and not same and size <= 10000:
                    # The files to join: the floor's split of this input, in their own folder.
                    parts = os.path.join(work, "parts")
                    fresh(parts)
                    subprocess.run([floor_split, source, parts], check=True, stdout=subprocess.DEVNULL)
                    names = sorted(os.listdir(parts))
                    tools = [Tool("tessely-cli recombine", lambda w: ([cli, "recombine"] + names, parts),
                                  lambda w: os.path.join(w, "unused-r")),
                             ] + ([Tool("baseline recombine", lambda w: ([base, "recombine"] + names, parts),
                                        lambda w: os.path.join(w, "unused-r"))] if base else []) + [
                             Tool("cat", lambda w: (["sh", "-c", 'cat "$@" > ../cat-out/all.vcf', "cat"] + names,
                                                    parts),
                                  lambda w: os.path.join(w, "cat-out"), floor=True)]

                    def clear_recombined(w):
                        for n in os.listdir(parts):
                            if n.endswith("CONBINED_CONTACTS.vcf"):
                                os.unlink(os.path.join(parts, n))
                        return os.path.join(w, "unused-r")
                    for tool in tools:
                        if tool.name.endswith("recombine"):
                            tool.output = clear_recombined
                    print(f"# recombine {len(names)} files on {place}", file=sys.stderr)
                    measure(tools, work, args.reps)
                    joined = [n for n in os.listdir(parts) if n.endswith("CONBINED_CONTACTS.vcf")]
                    if len(joined) != 1:
                        problems.append(f"recombine {size} {place}: no recombined file")
                    else:
                        ours = [l for l in normalised(read(os.path.join(parts, joined[0]))).split(b"\n") if l]
                        theirs = [l for l in normalised(read(os.path.join(work, "cat-out", "all.vcf"))).split(b"\n")
                                  if l]
                        if ours != theirs:
                            problems.append(f"recombine {size} {place}: lines differ from cat's")
                    rows += table_rows("recombine", len(names), place, mbytes, tools, {})
                if not args.keep:
                    shutil.rmtree(work, ignore_errors=True)
    finally:
        if not args.keep:
            for root in roots.values():
                shutil.rmtree(root, ignore_errors=True)

    out = io.StringIO()
    print(f"Tessely benchmark: {args.reps} repetitions, {'LF' if args.lf else 'CR LF'} line ends, "
          f"{os.cpu_count()} CPUs, {time.strftime('%Y-%m-%d %H:%M')}\n", file=out)
    print("| job | contacts | place | tool | wall s, median (min–max) | vs floor | contacts/s | MB/s | peak MB |",
          file=out)
    print("|---|---:|---|---|---|---:|---:|---:|---:|", file=out)
    for row in rows:
        print(row, file=out)
    print("", file=out)
    for note in notes:
        print(f"- {note}", file=out)
    print("- outputs agree" if not problems else "\n".join(f"- MISMATCH {p}" for p in problems), file=out)
    sys.stdout.write(out.getvalue())
    if args.report:
        with open(args.report, "w") as f:
            f.write(out.getvalue())
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
