#!/usr/bin/env python3
"""Reads an X window dump (xwd) of the panel on standard input and prints
the lines a person would look for: "framed" when the window's outermost
pixels are all of one colour that its inside lacks ("unframed" otherwise),
then, from top to bottom, "|" for each divider (rows of that colour across
the middle) and "=" for each progress bar (white rows, in its empty part)."""
import itertools
import struct
import sys

data = sys.stdin.buffer.read()
header = struct.unpack(">25I", data[:100])
width, height, depth, stride = header[4], header[5], header[11] // 8, header[12]
start = header[0] + header[19] * 12  # past the header and the colour map


def pixel(x, y):
    return data[start + y * stride + x * depth:][:3]


edge = pixel(0, 0)
sides = [(x, y) for x in (0, width - 1) for y in range(height)]
sides += [(x, y) for y in (0, height - 1) for x in range(width)]
framed = all(pixel(x, y) == edge for x, y in sides) and pixel(4, height // 2) != edge


def mark(y):
    if all(pixel(x, y) == edge for x in range(width * 3 // 10, width * 7 // 10)):
        return "|"
    return "=" if pixel(width * 11 // 20, y) == b"\xff\xff\xff" else " "


# Past the border's own rows, two at a scale of 2; one mark for each run of rows.
marks = "".join(m for m, _ in itertools.groupby(map(mark, range(2, height - 2))))
print("framed" if framed else "unframed", marks.replace(" ", ""))
