"""Reads a rectangle of the X screen straight from the server (Xlib through ctypes).

A screenshot tool takes a fifth of a second or more for each look, and longer on a loaded machine;
XGetImage of the rectangle alone takes a few milliseconds, so whoever waits for something fleeting can
look every few tens of milliseconds without taking the processor the programs under test need.
"""

import ctypes
import ctypes.util


class _XImage(ctypes.Structure):
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


_Z_PIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)


class Region:
    """The rectangle X, Y, WIDTH x HEIGHT of the default screen, cut to the screen's edges (asking X for
    pixels outside the screen is an error that ends the program)."""

    def __init__(self, x, y, width, height):
        xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        for size in (xlib.XDisplayWidth, xlib.XDisplayHeight):
            size.restype = ctypes.c_int
            size.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XDefaultScreen.restype = ctypes.c_int
        xlib.XDefaultScreen.argtypes = [ctypes.c_void_p]
        xlib.XGetImage.restype = ctypes.POINTER(_XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                   ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        self._xlib = xlib
        self._display = xlib.XOpenDisplay(None)
        if not self._display:
            raise RuntimeError("no X display")
        self._root = xlib.XDefaultRootWindow(self._display)
        screen = xlib.XDefaultScreen(self._display)
        right = min(x + width, xlib.XDisplayWidth(self._display, screen))
        bottom = min(y + height, xlib.XDisplayHeight(self._display, screen))
        self.x, self.y = max(x, 0), max(y, 0)
        self.width, self.height = max(right - self.x, 0), max(bottom - self.y, 0)

    def read(self):
        """The rectangle's pixels as B, G, R and a spare byte each, row after row; None when X gave none."""
        if self.width == 0 or self.height == 0:
            return None
        image = self._xlib.XGetImage(self._display, self._root, self.x, self.y, self.width, self.height,
                                     _ALL_PLANES, _Z_PIXMAP)
        if not image:
            return None
        frame = image.contents
        try:
            if frame.bits_per_pixel != 32:
                raise RuntimeError("the display is not 24-bit colour")
            row = self.width * 4
            pixels = ctypes.string_at(frame.data, frame.bytes_per_line * frame.height)
            if frame.bytes_per_line != row:
                pixels = b"".join(pixels[i:i + row] for i in range(0, len(pixels), frame.bytes_per_line))
            return pixels
        finally:
            # XDestroyImage is a macro; for an image from XGetImage it frees the two blocks.
            self._xlib.XFree(frame.data)
            self._xlib.XFree(image)
