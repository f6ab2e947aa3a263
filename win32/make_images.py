#!/usr/bin/env python3
"""Turns the program's PNG artwork into the image formats of Windows resources.

    make_images.py icon OUT.ico IN.png...             an icon with one 24-bit image per PNG
    make_images.py bitmap OUT.bmp IN.png              a 24-bit bitmap

The build runs it for the icons of the two windows and the About window's picture, so the resources always
show the artwork in app/resources/. Only the standard library is used. The PNG reader takes what
make_artwork.py writes and a little more: 8 bits per sample, grey or RGB with or without alpha, no
interlacing.
"""

import struct
import sys
import zlib


def read_png(path):
    """Gives (width, height, rows), each row a list of (r, g, b) from top to bottom."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise SystemExit(f"{path}: only 8-bit grey or RGB PNG files without interlacing are read")
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predictor) & 0xFF
        previous = line
        pixels = []
        for x in range(width):
            sample = line[x * channels:(x + 1) * channels]
            pixels.append((sample[0],) * 3 if channels < 3 else tuple(sample[:3]))
        rows.append(pixels)
    return width, height, rows


def dib_rows(width, rows):
    """The pixels as a bottom-up 24-bit DIB: blue, green, red, each row padded to four bytes."""
    out = bytearray()
    padding = (4 - (width * 3) % 4) % 4
    for row in reversed(rows):
        for r, g, b in row:
            out += bytes((b, g, r))
        out += b"\0" * padding
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)


def write_icon(out, pngs):
    images = []
    for path in pngs:
        width, height, rows = read_png(path)
        if width >= 256:
            # A large image is kept as the PNG it is, as Windows takes it, at a tenth of a bitmap's size.
            with open(path, "rb") as f:
                images.append((width, height, f.read()))
            continue
        pixels = dib_rows(width, rows)
        # Every pixel opaque: the mask is all zeros, one bit per pixel, rows padded to four bytes.
        mask = b"\0" * (((width + 31) // 32) * 4 * height)
        # An icon image's header counts the colour image and the mask together: twice the height.
        images.append((width, height, info_header(width, height * 2, len(pixels) + len(mask)) + pixels + mask))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for width, height, image in images:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
        body += image
    with open(out, "wb") as f:
        f.write(directory + body)


def write_bitmap(out, png):
    width, height, rows = read_png(png)
    pixels = dib_rows(width, rows)
    header = info_header(width, height, len(pixels))
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(out, "wb") as f:
        f.write(file_header + header + pixels)


def main(argv):
    if len(argv) >= 4 and argv[1] == "icon":
        write_icon(argv[2], argv[3:])
    elif len(argv) == 4 and argv[1] == "bitmap":
        write_bitmap(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
