#!/usr/bin/env bash
# Exports a small vCard file as a workbook and has LibreOffice, headless, render the sheet:
# build/screenshots/workbook-in-libreoffice.png, the README's picture of the workbook export. The sheet is
# rendered as LibreOffice prints it, with its grid and column letters turned on in a copy of the workbook.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages
tessely_install_packages poppler-utils
tessely_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

work=build/screenshots/workbook
rm -rf "$work"
mkdir -p "$work"
# Values that a CSV loses to a spreadsheet's guessing: leading zeros, a version, a date, a formula-like
# number, a fraction, Cyrillic and accented names.
printf '%s\r\n' \
    BEGIN:VCARD VERSION:3.0 'N:Petrov;Ivan;;;' 'FN:Иван Петров' 'TEL;CELL:01701234567' \
    'ADR;HOME:;;Hauptstraße 5;Berlin;;01234;DE' BDAY:1985-04-01 END:VCARD \
    BEGIN:VCARD VERSION:3.0 'N:García Márquez;Lucía;;;' 'FN:Lucía García Márquez' 'TEL;WORK:+1 555 0100' \
    'NOTE:1/2 price' BDAY:1990-12-24 END:VCARD \
    BEGIN:VCARD VERSION:2.1 'N:Lindqvist;Maja;;;' 'FN:Maja Lindqvist' 'TEL;CELL:0046 70 123 45 67' \
    'NOTE:1E5 points' END:VCARD >"$work/contacts.vcf"
build/bin/tessely-cli export --format=xlsx "$work/contacts.vcf" >/dev/null
/usr/bin/python3 - "$work/Split-vCards/Contacts_Export.xlsx" "$work/printed.xlsx" <<'PY'
import sys
import openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.active
sheet.print_options.gridLines = True
sheet.print_options.headings = True
sheet.page_setup.orientation = "landscape"
# The whole width of the table on one page.
sheet.sheet_properties.pageSetUpPr.fitToPage = True
sheet.page_setup.fitToWidth = 1
sheet.page_setup.fitToHeight = 0
book.save(sys.argv[2])
PY
soffice "-env:UserInstallation=file://$PWD/$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work" "$work/printed.xlsx" >/dev/null 2>&1
pdftoppm -png -r 130 -f 1 -l 1 -singlefile -x 84 -y 88 -W 1256 -H 112 "$work/printed.pdf" \
    build/screenshots/workbook-in-libreoffice
ls -l build/screenshots/workbook-in-libreoffice.png
