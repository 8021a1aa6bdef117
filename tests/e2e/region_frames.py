#!/usr/bin/env python3
"""Keeps every picture a region of the screen shows, for a test that reads them one after another.

Usage: region_frames.py X Y WIDTH HEIGHT DIR SECONDS

Looks at the region every 50 ms and writes each picture not seen before as DIR/0.ppm, DIR/1.ppm, ...
(each complete before it gets its name). Stops after SECONDS or once DIR/stop exists, and then writes
DIR/done. A status notice stays three seconds; a test that took a screenshot and read it with OCR in
turn could miss it on a loaded machine, where one reading takes about as long.
"""

import hashlib
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xregion import Region  # noqa: E402


def save(path, region, pixels):
    rgb = bytearray(region.width * region.height * 3)
    rgb[0::3] = pixels[2::4]
    rgb[1::3] = pixels[1::4]
    rgb[2::3] = pixels[0::4]
    with open(path + ".part", "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (region.width, region.height))
        f.write(rgb)
    os.rename(path + ".part", path)


def main():
    x, y, width, height = (int(v) for v in sys.argv[1:5])
    folder, seconds = sys.argv[5], float(sys.argv[6])
    try:
        region = Region(x, y, width, height)
        deadline = time.monotonic() + seconds
        seen = set()
        while time.monotonic() < deadline and not os.path.exists(os.path.join(folder, "stop")):
            pixels = region.read()
            if pixels is not None:
                digest = hashlib.sha1(pixels).digest()
                # A blinking caret shows two pictures in turn: each is read once.
                if digest not in seen:
                    save(os.path.join(folder, "%d.ppm" % len(seen)), region, pixels)
                    seen.add(digest)
            time.sleep(0.05)
    finally:
        open(os.path.join(folder, "done"), "w").close()


if __name__ == "__main__":
    main()
