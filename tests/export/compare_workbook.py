#!/usr/bin/env python3
"""Checks that the workbook export holds the CSV export's table, read back by independent readers.

    compare_workbook.py [--libreoffice PROFILE] CLI INPUT...

CLI is tessely-cli (or a script that starts it); each INPUT is a vCard file or a folder whose files, at
any depth, are all taken. For every input, in a folder of its own, the program exports the file as CSV
and as a workbook. Both must end with the same exit status; where they succeed, openpyxl reads the
workbook back: one sheet, every cell text (an inline or shared string in the package's XML, never a
number, a date or a formula), and every value the CSV's, parsed with Python's csv module, without the
formula guard's apostrophe. A value too long for a cell must read as its start ending with "…". With
--libreoffice, LibreOffice (soffice, run headless with its own user profile in PROFILE) converts every
workbook to CSV, which must read back to the same values. Exits with 1 and says what differs when
anything does.
"""
import csv
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

import openpyxl

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
ESCAPED = re.compile(r"_x([0-9A-Fa-f]{4})_")
# What the CSV guards with an apostrophe: a cell that a spreadsheet would read as a formula.
FORMULA_STARTS = "=+-@\t\r"
# What a workbook's cell holds at most, in UTF-16 code units, and what ends a cell cut to fit.
CELL_UNITS = 32767
ELLIPSIS = "\u2026"
# Characters that no workbook holds, and bytes that are not UTF-8, read as U+FFFD.
NOT_IN_WORKBOOKS = re.compile("[\x00\ufffe\uffff]")


def units(text):
    return len(text.encode("utf-16-le")) // 2


def csv_rows(path):
    text = pathlib.Path(path).read_bytes().decode("utf-8", errors="replace")
    return [row for row in csv.reader(io.StringIO(text, newline=""))]


def expected_values(cell):
    """The value a workbook cell holds for a CSV cell: without the apostrophe of the formula guard, with
    U+FFFD for the characters no workbook holds."""
    cell = NOT_IN_WORKBOOKS.sub("\ufffd", cell)
    if len(cell) > 1 and cell[0] == "'" and cell[1] in FORMULA_STARTS:
        cell = cell[1:]
    return [cell]


def matches(got, cell):
    for want in expected_values(cell):
        if got == want:
            return True
        if units(want) > CELL_UNITS and got.endswith(ELLIPSIS) and units(got) <= CELL_UNITS:
            start = got[: -len(ELLIPSIS)]
            if want.startswith(start) and units(start) >= CELL_UNITS - 8:
                return True
    return False


def compare_tables(name, table, rows, faults):
    """Compares the workbook's table (a list of rows of strings) with the CSV's rows."""
    height = max(len(table), len(rows))
    for r in range(height):
        got_row = table[r] if r < len(table) else []
        want_row = rows[r] if r < len(rows) else []
        for c in range(max(len(got_row), len(want_row))):
            got = got_row[c] if c < len(got_row) else ""
            want = want_row[c] if c < len(want_row) else ""
            if not matches(got, want):
                faults.append(f"{name}: row {r + 1}, column {c + 1} is {got[:80]!r}, the CSV has {want[:80]!r}")
                return


def openpyxl_table(path, faults, name):
    with zipfile.ZipFile(path) as package:
        sheet = ElementTree.fromstring(package.read("xl/worksheets/sheet1.xml"))
    for cell in sheet.iter(MAIN + "c"):
        if cell.get("t") not in ("inlineStr", "s") or cell.find(MAIN + "f") is not None:
            faults.append(f"{name}: {cell.get('r')} is not a text cell")
            return []
    book = openpyxl.load_workbook(path, read_only=True)
    if book.sheetnames != ["Contacts"]:
        faults.append(f"{name}: sheets {book.sheetnames}")
    table = []
    for row in book.worksheets[0].iter_rows():
        values = []
        for cell in row:
            if cell.value is not None and not isinstance(cell.value, str):
                faults.append(f"{name}: {cell.coordinate} holds {type(cell.value).__name__}, not text")
            values.append("" if cell.value is None else ESCAPED.sub(lambda m: chr(int(m.group(1), 16)), cell.value))
        table.append(values)
    return table


def export(cli, folder, *options):
    return subprocess.run(
        [*cli, "export", *options, "input.vcf"], cwd=folder, capture_output=True, timeout=600
    )


def inputs(paths):
    for path in map(pathlib.Path, paths):
        if path.is_dir():
            yield from sorted(p for p in path.rglob("*") if p.is_file())
        else:
            yield path


def libreoffice_tables(workbooks, profile, faults):
    """Has LibreOffice convert every workbook to UTF-8 CSV in one run; gives each one's rows by name."""
    out = pathlib.Path(profile) / "converted"
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        faults.append("LibreOffice (soffice) is not installed")
        return {}
    # Comma, double quote, UTF-8 (76), from the first line.
    command = [
        soffice,
        f"-env:UserInstallation=file://{pathlib.Path(profile).resolve()}/user",
        "--headless",
        "--norestore",
        "--convert-to",
        "csv:Text - txt - csv (StarCalc):44,34,76,1",
        "--outdir",
        str(out),
        *map(str, workbooks),
    ]
    subprocess.run(command, capture_output=True, timeout=600, env={**os.environ, "HOME": str(profile)})
    tables = {}
    for workbook in workbooks:
        converted = out / (pathlib.Path(workbook).stem + ".csv")
        if not converted.exists():
            faults.append(f"LibreOffice did not convert {workbook}")
            continue
        tables[workbook] = csv_rows(converted)
    return tables


def main(arguments):
    profile = None
    if len(arguments) >= 2 and arguments[0] == "--libreoffice":
        profile = arguments[1]
        arguments = arguments[2:]
    if len(arguments) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    cli = [str(pathlib.Path(arguments[0]).resolve())]
    faults = []
    compared = 0
    with tempfile.TemporaryDirectory() as work:
        pending = {}
        for number, source in enumerate(inputs(arguments[1:])):
            folder = pathlib.Path(work) / str(number)
            folder.mkdir()
            shutil.copyfile(source, folder / "input.vcf")
            table = export(cli, folder)
            book = export(cli, folder, "--format=xlsx")
            name = str(source)
            if table.returncode != book.returncode:
                faults.append(f"{name}: the CSV export ends with {table.returncode}, the workbook's with {book.returncode}")
                continue
            if table.returncode != 0:
                continue
            rows = csv_rows(folder / "Split-vCards" / "Contacts_Export.csv")
            workbook = folder / "Split-vCards" / "Contacts_Export.xlsx"
            compare_tables(name, openpyxl_table(workbook, faults, name), rows, faults)
            if profile:
                # Named after its input's number, as LibreOffice names what it writes after the workbook.
                renamed = pathlib.Path(work) / f"book{number}.xlsx"
                shutil.copyfile(workbook, renamed)
                pending[str(renamed)] = (name, rows)
            compared += 1
        if profile and pending:
            for workbook, table in libreoffice_tables(list(pending), profile, faults).items():
                name, rows = pending[workbook]
                compare_tables(f"{name} (LibreOffice)", table, rows, faults)
    for fault in faults[:30]:
        print(fault, file=sys.stderr)
    print(f"{compared} workbooks compared with their CSV tables, {len(faults)} differences")
    return 1 if faults or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
