#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the scalable program icon of Tolvek Organizer, for the desktop's icon theme.

It draws what PaintProgramIcon in resources/Pictures.cpp paints for the windows: a clipboard
holding a checklist of three items with green ticks, on the same 16-unit grid, in the same
colours. Outlines are one pixel wide at 256 pixels, the largest painted size, so that the
drawing rendered there matches the painted icon. The build runs it:

    python3 resources/make_icon.py OUTPUT.svg
"""

import sys

SIZE = 256
UNIT = SIZE / 16
HAIR = 1 / UNIT
ITEMS = 3


def rgb(red, green, blue):
    return f"rgb({red},{green},{blue})"


def number(value):
    return f"{value:.4f}".rstrip("0").rstrip(".")


def gradient(name, top, bottom, start, end):
    return (
        f'<linearGradient id="{name}" gradientUnits="userSpaceOnUse" '
        f'x1="0" y1="{number(top)}" x2="0" y2="{number(bottom)}">'
        f'<stop offset="0" stop-color="{start}"/><stop offset="1" stop-color="{end}"/>'
        "</linearGradient>"
    )


def rect(x, y, width, height, radius, fill, line):
    return (
        f'<rect x="{number(x)}" y="{number(y)}" width="{number(width)}" '
        f'height="{number(height)}" rx="{number(radius)}" fill="{fill}" '
        f'stroke="{line}" stroke-width="{number(HAIR)}"/>'
    )


def items():
    step = 9.0 / ITEMS
    parts = []
    for i in range(ITEMS):
        y = 5 + step * i + step / 2
        h = step * 0.27
        tick = " ".join(
            f"{number(px)},{number(py)}"
            for px, py in ((3.8, y - h * 0.3), (5.2, y + h), (7.6, y - h * 1.6))
        )
        parts.append(
            f'<polyline points="{tick}" fill="none" stroke="{rgb(20, 150, 40)}" '
            'stroke-width="1" stroke-linecap="round" stroke-linejoin="round"/>'
        )
        parts.append(
            f'<line x1="8.5" y1="{number(y)}" x2="12.2" y2="{number(y)}" '
            f'stroke="{rgb(110, 130, 170)}" stroke-width="{number(max(HAIR, 0.8))}" '
            'stroke-linecap="butt"/>'
        )
    return parts


def icon():
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
        f'viewBox="0 0 {SIZE} {SIZE}">',
        "<title>Tolvek Organizer</title>",
        "<defs>",
        gradient("board", 1, 16, rgb(200, 145, 80), rgb(150, 95, 40)),
        gradient("clip", 0, 4, rgb(235, 235, 240), rgb(150, 150, 160)),
        "</defs>",
        f'<g transform="scale({number(UNIT)})">',
        rect(1 + HAIR / 2, 1.5, 14 - HAIR, 14.5 - HAIR / 2, 1.5, "url(#board)", rgb(90, 55, 20)),
        rect(2.5, 3, 11, 11.5, 0, "white", rgb(130, 130, 130)),
        rect(5, 0.5, 6, 3.5, 1, "url(#clip)", rgb(70, 70, 80)),
        *items(),
        "</g>",
        "</svg>",
    ]
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.svg")
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(icon())
