#!/usr/bin/env python3
"""Finds the text views on a screenshot of the editor (an xwd file of the root window).

A view is a selection margin 20 pixels wide in one colour, then the text area. For each view the
probe prints "view LEFT TOP BOTTOM RIGHT": the first pixel column of the text, the first and last
pixel rows of the margin, and the first column right of the text area (where its vertical scroll
bar begins). With --cells it also prints "cells WIDTH HEIGHT" measured on the first
view, whose first two lines must begin with the same character, drawn in black, whose glyphs do
not touch, and whose first line must begin with that character twice ("::" over ":x").

Usage: screen_probe.py SHOT.xwd [--cells]
"""
import struct
import sys

MARGIN = 20


def load_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    ncolors = fields[19]
    size = bits_per_pixel // 8
    if depth < 24 or size not in (3, 4) or bytes_per_line < size * width or byte_order != 0:
        sys.exit("screen_probe: only LSB-first true-colour screens are read")
    offset = header_size + 12 * ncolors
    pixels = data[offset:offset + bytes_per_line * height]
    # Pixels as 0xRRGGBB, row by row.
    rows = []
    for y in range(height):
        row = pixels[y * bytes_per_line:y * bytes_per_line + size * width]
        blue, green, red = row[0::size], row[1::size], row[2::size]
        rows.append([(r << 16) | (g << 8) | b for r, g, b in zip(red, green, blue)])

    def pixel(x, y):
        return rows[y][x]

    return width, height, pixel, rows


def light(c):
    return min(c >> 16, (c >> 8) & 255, c & 255) >= 160


def dark(c):
    return max(c >> 16, (c >> 8) & 255, c & 255) < 128


def find_views(width, height, pixel, rows):
    white = 0xFFFFFF
    # Columns where a run of MARGIN equal light pixels ends at a white pixel, row by row.
    edges = {}
    for y in range(height):
        row = rows[y]
        for x in range(MARGIN + 1, width):
            if row[x] != white or row[x - 1] == white:
                continue
            m = row[x - 1]
            if not light(m) or row[x - MARGIN] != m or row[x - MARGIN - 1] == m:
                continue
            if all(row[x - k] == m for k in range(1, MARGIN + 1)):
                edges.setdefault(x, []).append(y)
    views = []
    for x, found in edges.items():
        # Each unbroken run of the margin's colour down that column that holds such a row is one
        # view (the panes of a split window are separated by the bar between them).
        found = set(found)
        y = 0
        while y < height:
            m = pixel(x - 1, y)
            end = y
            while end + 1 < height and pixel(x - 1, end + 1) == m:
                end += 1
            if end - y >= 30 and light(m) and any(r in found for r in range(y, end + 1)):
                # The text area is white right of its last character: follow the bottom row.
                right = x
                while right < width and pixel(right, end) == white:
                    right += 1
                views.append((x, y, end, right))
            y = end + 1
    return sorted(set(views), key=lambda v: (v[1], v[0]))


def ink_rows(pixel, x0, x1, y0, y1):
    return [y for y in range(y0, y1) if any(dark(pixel(x, y)) for x in range(x0, x1))]


def measure_cells(pixel, view):
    left, top, bottom, _ = view
    # The first ink column right of the text's left edge, then the next one after a gap: the
    # same character twice, so their distance is the cell width.
    rows = ink_rows(pixel, left, left + 40, top, min(top + 60, bottom))
    first_line = [y for y in rows if y - rows[0] < 12]
    cols = [x for x in range(left, left + 60) if any(dark(pixel(x, y)) for y in first_line)]
    starts = [x for i, x in enumerate(cols) if i == 0 or cols[i - 1] != x - 1]
    cell_width = starts[1] - starts[0]
    # The first two lines begin with the same character: the row height is the smallest shift
    # (of ten pixels and more) that maps the first cell's ink of one line onto the next.
    def ink(y):
        return tuple(dark(pixel(x, y)) for x in range(left, left + cell_width))

    for height in range(10, 80):
        rows = range(top, top + height)
        if top + 2 * height <= bottom and any(any(ink(y)) for y in rows) and all(
                ink(y) == ink(y + height) for y in rows):
            return cell_width, height
    sys.exit("screen_probe: no row height found")


def main():
    width, height, pixel, rows = load_xwd(sys.argv[1])
    views = find_views(width, height, pixel, rows)
    for v in views:
        print("view %d %d %d %d" % v)
    if "--cells" in sys.argv[2:] and views:
        print("cells %d %d" % measure_cells(pixel, views[0]))


if __name__ == "__main__":
    main()
