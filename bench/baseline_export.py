#!/usr/bin/env python3
"""The raw-format CSV export as a user would write it with Python's csv module: read every contact
into a dict of field name to value, then write them with csv.DictWriter. Follows the same line rules
as Tessely (commas deleted, ";" made a space, upper case, spaces trimmed, colon-less lines glued to the
entry before). Usage: baseline_export.py INPUT OUTDIR"""

import csv
import os
import sys


def normalise(line):
    return line.replace(",", "").replace(";", " ").upper().strip(" ")


def main():
    source, folder = sys.argv[1], sys.argv[2]
    contacts, fields = [], {}
    entries = None
    with open(source, encoding="utf-8", errors="surrogateescape", newline="") as f:
        for raw in f.read().splitlines():
            if entries is None:
                if raw.upper().strip(" ") == "BEGIN:VCARD":
                    entries = []
                continue
            line = normalise(raw)
            if ":" in line:
                entries.append(line)
            elif entries:
                entries[-1] += line
            if line == "END:VCARD":
                row = {}
                for entry in entries[:-1]:
                    name, _, value = entry.partition(":")
                    name = name.strip(" ")
                    fields.setdefault(name, None)
                    row[name] = value.strip(" ")
                contacts.append(row)
                entries = None
    with open(os.path.join(folder, "Contacts_Export.csv"), "w", encoding="utf-8", errors="surrogateescape",
              newline="") as out:
        writer = csv.DictWriter(out, fieldnames=list(fields), lineterminator="\r\n")
        writer.writeheader()
        writer.writerows(contacts)
    print(len(contacts))


if __name__ == "__main__":
    main()
