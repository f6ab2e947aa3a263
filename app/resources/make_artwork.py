#!/usr/bin/env python3
"""Draws the program's artwork and writes it as 24-bit PNG files beside this script.

main-N.png     the main window's icon: a stack of contact cards with an arrow
about-N.png    the About window's icon, also the program's icon: a card with a person
               (N: 16, 20, 24, 32, 48 and 256 pixels, every size a desktop asks for)
picture.png                 the 101x75 picture of the About window

Only the standard library is used, so the files can be drawn again on any machine:
    python3 app/resources/make_artwork.py
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, left, top, width, height, colour):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.put(x, y, colour)

    def frame(self, left, top, width, height, colour, line=1):
        self.fill(left, top, width, line, colour)
        self.fill(left, top + height - line, width, line, colour)
        self.fill(left, top, line, height, colour)
        self.fill(left + width - line, top, line, height, colour)

    def card(self, left, top, width, height, paper, edge, line=1):
        self.fill(left, top, width, height, paper)
        self.frame(left, top, width, height, edge, line)

    def disc(self, cx, cy, radius, colour):
        for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
            for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)

    def vertical_gradient(self, top_colour, bottom_colour):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            colour = tuple(round(a + (b - a) * t) for a, b in zip(top_colour, bottom_colour))
            self.fill(0, y, self.width, 1, colour)

    def png(self):
        raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in self.pixels)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


PAPER = (250, 250, 245)
INK = (40, 60, 90)
BLUE = (38, 110, 190)
DEEP_BLUE = (20, 60, 120)
ORANGE = (236, 130, 30)
TEAL = (20, 140, 130)
DEEP_TEAL = (10, 80, 75)
SKY = (214, 232, 250)


def main_icon(size):
    """Three cards fanned out from one: the split."""
    s = size / 16
    edge = max(1, size // 32)  # edges as thick at every size as at 32 pixels
    c = Canvas(size, size, SKY)
    for i, colour in enumerate([(150, 180, 215), (95, 145, 205), BLUE]):
        left, top = round((1 + 3 * i) * s), round((1 + 2 * i) * s)
        c.card(left, top, round(9 * s), round(10 * s), colour, DEEP_BLUE, edge)
        for line in range(3):
            c.fill(left + round(2 * s), top + round((3 + 2 * line) * s), round(5 * s), max(1, round(s)), PAPER)
    # An arrow pointing down and right, out of the stack.
    for step in range(round(5 * s)):
        c.fill(round(11 * s) - step // 2, round(11 * s) + step // 2, max(1, round(s)), max(1, round(s)), ORANGE)
    c.frame(0, 0, size, size, DEEP_BLUE, edge)
    return c


def about_icon(size):
    """A contact card with a person on it."""
    s = size / 16
    edge = max(1, size // 32)
    c = Canvas(size, size, TEAL)
    c.card(round(1 * s), round(3 * s), round(14 * s), round(10 * s), PAPER, DEEP_TEAL, edge)
    c.disc(5 * s, 6.5 * s, 1.7 * s, ORANGE)
    c.fill(round(3 * s), round(9 * s), round(4 * s), round(2 * s), ORANGE)
    for line in range(3):
        c.fill(round(8 * s), round((5 + 2 * line) * s), round(5 * s), max(1, round(s)), INK)
    return c


def picture():
    """The About window's picture: a stack of cards splitting into single cards, on a blue sky."""
    c = Canvas(101, 75, SKY)
    c.vertical_gradient((225, 238, 252), (160, 195, 235))
    # The multi-contact file.
    for i in range(4):
        c.card(6 + 2 * i, 10 + 2 * i, 30, 40, (235 - 15 * i, 240 - 10 * i, 250), DEEP_BLUE)
    for line in range(5):
        c.fill(16, 22 + 5 * line, 16, 2, INK)
    # The arrow.
    c.fill(45, 34, 14, 4, ORANGE)
    for step in range(7):
        c.fill(59 + step, 29 + step, 2, 14 - 2 * step, ORANGE)
    # The single contacts.
    for row in range(3):
        top = 8 + 21 * row
        c.card(72, top, 22, 17, PAPER, DEEP_BLUE)
        c.disc(78.5, top + 6.5, 3, TEAL)
        c.fill(75, top + 11, 7, 3, TEAL)
        c.fill(84, top + 5, 7, 2, INK)
        c.fill(84, top + 9, 6, 2, INK)
    c.frame(0, 0, 101, 75, DEEP_BLUE)
    return c


def write(name, canvas):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(canvas.png())


if __name__ == "__main__":
    for size in (16, 20, 24, 32, 48, 256):
        write(f"main-{size}.png", main_icon(size))
        write(f"about-{size}.png", about_icon(size))
    write("picture.png", picture())
