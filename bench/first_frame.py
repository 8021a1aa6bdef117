#!/usr/bin/env python3
"""Waits for a window's first painted frame and prints the time it saw it (ms since the epoch).

Usage: first_frame.py X Y WIDTH HEIGHT [SECONDS]

Wine shows a window black until its first Present, so ink alone says nothing: the frame counts as
painted once the area is mostly light (the paper of the light theme) and still has ink on it (the
headline or the "Looking for certificates..." line). The area is read straight from the X server
every 10 ms or so; a screenshot tool would add a fifth of a second to each look.
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from xregion import Region  # noqa: E402

PAPER = 180  # mean of every channel at least this: painted, not Wine's black
INK = 128  # some channel byte this dark: text was drawn


def main():
    x, y, width, height = (int(v) for v in sys.argv[1:5])
    seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 60.0
    try:
        region = Region(x, y, width, height)
    except RuntimeError as error:
        sys.exit(str(error))
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pixels = region.read()
        seen = time.time()
        if pixels is not None:
            # B, G, R and a spare byte a pixel; every fourth pixel is enough to catch a stroke of text, and
            # keeps the looking from taking the processor the programs measured need.
            colour = pixels[0::16] + pixels[1::16] + pixels[2::16]
            if colour and sum(colour) >= PAPER * len(colour) and min(colour) < INK:
                print(int(seen * 1000))
                return
        time.sleep(0.01)
    sys.exit("no painted frame")


if __name__ == "__main__":
    main()
