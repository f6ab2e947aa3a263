#!/usr/bin/env python3
"""Reads workbooks back with openpyxl and checks them against what the writer's tests expected.

    check_workbook.py WORKBOOK EXPECTED   checks one workbook
    check_workbook.py --folder FOLDER     checks every NAME.xlsx in FOLDER against NAME.json beside it

EXPECTED is JSON: {"rows": [[cell, ...], ...], "widths": [characters, ...]}; an empty cell is "". The
checks: one sheet, "Contacts"; every cell holds text, in the package's XML too (an inline or shared
string, never a number, a date, a boolean or a formula); every value is the expected one and nothing is
beyond them; the header row is bold and frozen, the autofilter spans the table, and each column has the
expected width. Exits with 1 and says what differs when anything does.
"""
import json
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import openpyxl
from openpyxl.utils import get_column_letter

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
# A workbook writes characters that XML cannot hold as _xHHHH_; spreadsheet programs read them back as the
# character. openpyxl leaves them as they stand, so they are read here as the programs read them.
ESCAPED = re.compile(r"_x([0-9A-Fa-f]{4})_")


def unescape(text):
    return ESCAPED.sub(lambda match: chr(int(match.group(1), 16)), text)


def check(workbook_path, expected_path):
    expected = json.loads(pathlib.Path(expected_path).read_text(encoding="utf-8"))
    rows = expected["rows"]
    faults = []

    with zipfile.ZipFile(workbook_path) as package:
        sheet = ElementTree.fromstring(package.read("xl/worksheets/sheet1.xml"))
    for cell in sheet.iter(MAIN + "c"):
        if cell.get("t") not in ("inlineStr", "s"):
            faults.append(f"{cell.get('r')} is of type {cell.get('t')!r}, not text")
        if cell.find(MAIN + "f") is not None:
            faults.append(f"{cell.get('r')} holds a formula")

    book = openpyxl.load_workbook(workbook_path)
    if book.sheetnames != ["Contacts"]:
        faults.append(f"sheets {book.sheetnames}, expected ['Contacts']")
    table = book.worksheets[0]
    columns = max((len(row) for row in rows), default=0)
    for row in table.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            r, c = cell.row - 1, cell.column - 1
            want = rows[r][c] if r < len(rows) and c < len(rows[r]) else ""
            got = unescape(cell.value) if isinstance(cell.value, str) else cell.value
            if cell.data_type != "s":
                faults.append(f"{cell.coordinate} has type {cell.data_type!r}, not text")
            if got != want:
                faults.append(f"{cell.coordinate} is {got!r}, expected {want!r}")
            if r == 0 and not cell.font.b:
                faults.append(f"header cell {cell.coordinate} is not bold")
    for r, row in enumerate(rows):
        for c, want in enumerate(row):
            if want and table.cell(row=r + 1, column=c + 1).value is None:
                faults.append(f"{get_column_letter(c + 1)}{r + 1} is empty, expected {want!r}")

    if table.freeze_panes != "A2":
        faults.append(f"frozen at {table.freeze_panes!r}, expected the header row (A2)")
    if columns:
        wanted_filter = f"A1:{get_column_letter(columns)}{max(len(rows), 1)}"
        if table.auto_filter.ref != wanted_filter:
            faults.append(f"autofilter over {table.auto_filter.ref!r}, expected {wanted_filter!r}")
    for c, width in enumerate(expected.get("widths", [])):
        got = table.column_dimensions[get_column_letter(c + 1)].width
        # The library adds the few pixels of a cell's margins to the width given in characters.
        if not width <= got < width + 1:
            faults.append(f"column {get_column_letter(c + 1)} is {got} wide, expected {width}")

    for fault in faults[:20]:
        print(f"{workbook_path}: {fault}", file=sys.stderr)
    return not faults


def main(arguments):
    if len(arguments) == 2 and arguments[0] == "--folder":
        workbooks = sorted(pathlib.Path(arguments[1]).glob("*.xlsx"))
        if not workbooks:
            print(f"no workbooks in {arguments[1]}", file=sys.stderr)
            return 1
        failed = [w for w in workbooks if not check(w, w.with_suffix(".json"))]
        print(f"{len(workbooks) - len(failed)} passed, {len(failed)} failed")
        return 1 if failed else 0
    if len(arguments) == 2:
        return 0 if check(arguments[0], arguments[1]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
