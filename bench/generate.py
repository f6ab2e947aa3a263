#!/usr/bin/env python3
"""Writes a realistic multi-contact vCard file, the same bytes for the same arguments.

The contacts mix the shapes phones and address books export:
  * vCard 2.1 as Android writes it: quoted-printable names for non-ASCII text, long notes with
    soft line breaks ("=" at the end of a line);
  * vCard 3.0 as iPhones and Google write it: item groups, folded lines (a leading space continues
    the line) and base64 photos in about one contact in ten;
  * vCard 4.0.
Names come from several scripts, drawn with a Zipf-like law so that common names repeat. Lines end
with CR LF unless --lf is given.

Usage: generate.py --contacts N --out FILE [--seed S] [--lf] [--same-name]
"""

import argparse
import base64
import bisect
import itertools
import random
import sys

GIVEN = [
    "John", "Mary", "José", "Zoë", "Łukasz", "Søren", "Анна", "Иван", "Дмитрий", "Γιώργος", "Ελένη",
    "伟", "芳", "陽菜", "翔太", "محمد", "فاطمة", "राहुल", "प्रिया", "Nguyễn", "Ahmet", "Chloé", "Björn",
    "Olga", "Emma", "Liam", "Noah", "Sofía", "Mateo", "Aiko", "Minh", "Kwame", "Ngozi", "Siobhán",
]
FAMILY = [
    "Smith", "Müller", "García", "Núñez", "van der Berg", "O'Neil", "Иванов", "Петрова", "Παπαδόπουλος",
    "王", "李", "佐藤", "鈴木", "الحسن", "शर्मा", "Trần", "Yılmaz", "Dubois", "Andersson", "Kowalski",
    "Rossi", "Novák", "Okafor", "Mensah", "Kim", "Park", "Silva", "Costa", "Fischer", "Ó Briain",
]
TITLES = ["Engineer", "Sales Director", "CEO/Founder", "Nurse", "Teacher", "Dr.", "Accountant", ""]
ORGS = ["Acme, Inc.", "Globex", "Initech", "Umbrella Corp.", "Стройтрест", "株式会社テスト", "", ""]
DOMAINS = ["example.com", "example.org", "mail.example.net", "uni.example.edu"]
NOTES = [
    "Met at the conference in Oslo, 2019; follow up about the contract.",
    "Allergic to peanuts. Birthday party every June: bring the kids.",
    "Встретились на конференции; обсудить поставки в следующем квартале.",
    "Ruft meistens abends an. Vorsicht: zwei Nummern, die private zuerst.",
    "",
    "",
]


def zipf_picker(rng, items, exponent=1.1):
    """A draw from `items` where the k-th item is about k^-exponent as likely as the first."""
    cumulative = list(itertools.accumulate(1.0 / (k + 1) ** exponent for k in range(len(items))))
    total = cumulative[-1]
    return lambda: items[bisect.bisect(cumulative, rng.random() * total)]


def quoted_printable(text, soft_breaks):
    """Quoted-printable as Android writes it, with soft line breaks every 74 characters if asked."""
    encoded = []
    for byte in text.encode("utf-8"):
        if 33 <= byte <= 126 and byte != ord("=") or byte == ord(" "):
            encoded.append(chr(byte))
        else:
            encoded.append("=%02X" % byte)
    out = "".join(encoded)
    if not soft_breaks or len(out) <= 74:
        return [out]
    lines = []
    while len(out) > 74:
        cut = 73
        while out[cut - 2] == "=" or out[cut - 1] == "=":
            cut -= 1  # never cut an "=XX" in two
        lines.append(out[:cut] + "=")
        out = out[cut:]
    lines.append(out)
    return lines


def fold(line, width=75):
    """Folds a long line as vCard 3.0 and 4.0 writers do: the continuation starts with one space."""
    data = line.encode("utf-8")
    if len(data) <= width:
        return [line]
    parts, start, first = [], 0, True
    while start < len(data):
        size = width if first else width - 1
        end = min(start + size, len(data))
        while end < len(data) and (data[end] & 0xC0) == 0x80:
            end -= 1  # keep UTF-8 sequences whole
        parts.append(("" if first else " ") + data[start:end].decode("utf-8"))
        start, first = end, False
    return parts


def ascii_only(text):
    return all(ord(c) < 128 for c in text)


def photo_lines(rng, version):
    raw = rng.randbytes(rng.randint(1500, 4500))
    data = base64.b64encode(raw).decode("ascii")
    if version == "2.1":
        lines = ["PHOTO;ENCODING=BASE64;JPEG:" + data[:60]]
        lines += [" " + data[i:i + 76] for i in range(60, len(data), 76)]
        return lines + [""]
    if version == "3.0":
        return fold("PHOTO;ENCODING=b;TYPE=JPEG:" + data)
    return fold("PHOTO:data:image/jpeg;base64," + data)


def contact(rng, number, pick_given, pick_family, same_name):
    given, family = ("Alex", "Same") if same_name else (pick_given(), pick_family())
    version = rng.choices(["2.1", "3.0", "4.0"], weights=[4, 5, 1])[0]
    full = f"{given} {family}"
    phone = f"+1 555 {rng.randint(0, 9999):04d}"
    user = "".join(c for c in f"{given}.{family}".lower() if c.isascii() and (c.isalnum() or c == "."))
    email = f"{user or 'contact'}{number}@{rng.choice(DOMAINS)}"
    title, org, note = rng.choice(TITLES), rng.choice(ORGS), rng.choice(NOTES)
    with_photo = rng.random() < 0.1
    lines = ["BEGIN:VCARD", "VERSION:" + version]

    if version == "2.1":
        if ascii_only(full):
            lines += [f"N:{family};{given};;;", f"FN:{full}"]
        else:
            n = quoted_printable(f"{family};{given};;;", False)[0].replace("=3B", ";")
            lines += [f"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:{n}"]
            lines += ["FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + quoted_printable(full, False)[0]]
        lines += [f"TEL;CELL:{phone}", f"TEL;HOME:+1 555 {rng.randint(0, 9999):04d}", f"EMAIL;HOME:{email}"]
        if org:
            lines += ["ORG;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + quoted_printable(org, False)[0]]
        if title:
            lines += [f"TITLE:{title}"]
        if note:
            qp = quoted_printable(note * 2, True)
            lines += ["NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + qp[0]] + qp[1:]
        if with_photo:
            lines += photo_lines(rng, version)
    elif version == "3.0":
        if rng.random() < 0.5:
            lines += ["PRODID:-//Apple Inc.//iPhone OS 17.4//EN"]
        lines += [f"N:{family};{given};;;", f"FN:{full}"]
        if org:
            lines += ["ORG:" + org.replace(",", "\\,") + ";"]
        if title:
            lines += [f"TITLE:{title}"]
        lines += [f"EMAIL;type=INTERNET;type=HOME;type=pref:{email}"]
        lines += [f"TEL;type=CELL;type=VOICE;type=pref:{phone}"]
        lines += [f"item1.ADR;type=HOME;type=pref:;;{rng.randint(1, 999)} Main Street;Springfield;IL;62701;USA"]
        lines += ["item1.X-ABADR:us"]
        if note:
            lines += fold(f"NOTE:{note} {note}")
        if with_photo:
            lines += photo_lines(rng, version)
    else:
        lines += [f"FN:{full}", f"N:{family};{given};;;"]
        lines += [f"TEL;VALUE=uri;TYPE=cell:tel:{phone.replace(' ', '-')}", f"EMAIL;TYPE=work:{email}"]
        lines += [f"UID:urn:uuid:{rng.getrandbits(128):032x}", f"REV:2024{rng.randint(1, 12):02d}15T120000Z"]
        if with_photo:
            lines += photo_lines(rng, version)
    lines += ["END:VCARD"]
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--contacts", type=int, required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lf", action="store_true", help="end lines with LF instead of CR LF")
    parser.add_argument("--same-name", action="store_true", help="give every contact the same name")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    pick_given, pick_family = zipf_picker(rng, GIVEN), zipf_picker(rng, FAMILY)
    end = "\n" if args.lf else "\r\n"
    with open(args.out, "w", encoding="utf-8", newline="") as out:
        batch = []
        for number in range(1, args.contacts + 1):
            batch.append(end.join(contact(rng, number, pick_given, pick_family, args.same_name)) + end)
            if len(batch) == 1000:
                out.write("".join(batch))
                batch.clear()
        out.write("".join(batch))
    return 0


if __name__ == "__main__":
    sys.exit(main())
