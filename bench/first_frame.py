#!/usr/bin/env python3
"""Waits for a window's first painted frame and prints the time it saw it (ms since the epoch).

Usage: first_frame.py X Y WIDTH HEIGHT [SECONDS]

Wine shows a window black until its first Present, so ink alone says nothing: the frame counts as
painted once the area is mostly light (the paper of the light theme) and still has ink on it (the
headline or the "Looking for certificates..." line). The area is read straight from the X server
every 10 ms or so; a screenshot tool would add a fifth of a second to each look.
"""

import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    # Only the leading fields are read; the rest of the structure is never touched.
    _fields_ = [
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int),
        ("data", ctypes.c_void_p),
        ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
PAPER = 180  # mean of every channel at least this: painted, not Wine's black
INK = 128  # some channel byte this dark: text was drawn


def main():
    x, y, width, height = (int(v) for v in sys.argv[1:5])
    seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 60.0
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    root = xlib.XDefaultRootWindow(display)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        image = xlib.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
        if image:
            frame = image.contents
            if frame.bits_per_pixel != 32:
                sys.exit("the display is not 24-bit colour")
            pixels = ctypes.string_at(frame.data, frame.bytes_per_line * frame.height)
            seen = time.time()
            # B, G, R and a spare byte a pixel; every fourth pixel is enough to catch a stroke of text, and
            # keeps the looking from taking the processor the programs measured need.
            colour = pixels[0::16] + pixels[1::16] + pixels[2::16]
            # XDestroyImage is a macro; for an image from XGetImage it frees the two blocks.
            xlib.XFree(frame.data)
            xlib.XFree(image)
            if colour and sum(colour) >= PAPER * len(colour) and min(colour) < INK:
                print(int(seen * 1000))
                return
        time.sleep(0.01)
    sys.exit("no painted frame")


if __name__ == "__main__":
    main()
