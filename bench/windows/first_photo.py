#!/usr/bin/env python3
"""Times the program from its start to the corrected photo on the screen, as a file manager
starts it: `tn_photo_mallet PHOTO` with a 24-megapixel photo (6000 x 4000, grainy, as
make_bench_photos writes it), on a private Xvfb server.

Each run starts the program anew and stops at the first look at the screen that finds both
views showing the photo, the corrected one differing (pixels read straight from the X server
every 5 ms where the main window comes up, centred). The figure printed is the time from
starting the process to that look. Usage:

    python3 bench/windows/first_photo.py BUILD_DIR [RUNS]
"""

import ctypes
import os
import platform
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "end_to_end"))

import main_window_layout as layout  # noqa: E402
from x_session import SCREEN_HEIGHT, SCREEN_WIDTH, Window, XSession  # noqa: E402

PHOTO_SIZE = (6000, 4000)
POLL_SECONDS = 0.005


def cpu_model():
    fields = {}
    with open("/proc/cpuinfo") as info:
        for line in info:
            key, _, value = line.partition(":")
            fields.setdefault(key.strip(), value.strip())
    return (f"{fields.get('model name', platform.processor() or 'unknown CPU')} "
            f"(family {fields.get('cpu family', '?')} model {fields.get('model', '?')})")


class ScreenReader:
    """Reads small areas of the screen straight from the X server (XGetImage), so that polling
    takes a millisecond rather than an ImageMagick process, and steals no processor from the
    program being timed."""

    def __init__(self, display_name):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage = None  # a macro; the image's own destroy function is called instead
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display_name.encode())
        self.root = self.x11.XDefaultRootWindow(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def pixels(self, x, y, width, height):
        """The area's pixels as (r, g, b), rows from the top (a 24-bit screen)."""
        image = self.x11.XGetImage(self.display, self.root, x, y, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        try:
            info = image.contents
            data = ctypes.string_at(info.data, info.bytes_per_line * height)
            return [(data[row * info.bytes_per_line + 4 * col + 2], data[row * info.bytes_per_line + 4 * col + 1],
                     data[row * info.bytes_per_line + 4 * col])
                    for row in range(height) for col in range(width)]
        finally:
            destroy = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_XImage))(info.f.destroy_image)
            destroy(image)


class _XImageFunctions(ctypes.Structure):
    _fields_ = [("create_image", ctypes.c_void_p), ("destroy_image", ctypes.c_void_p),
                ("get_pixel", ctypes.c_void_p), ("put_pixel", ctypes.c_void_p),
                ("sub_image", ctypes.c_void_p), ("add_pixel", ctypes.c_void_p)]


class _XImage(ctypes.Structure):
    # XImage, as Xlib lays it out.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("f", _XImageFunctions)]


def shows_corrected_photo(screen, window):
    """Both views show the photo at their middles (not their grey), the corrected one differing."""
    middles = []
    for view in (layout.original_view, layout.corrected_view):
        x, y = view.centre
        middles.append(screen.pixels(window.x + x - 8, window.y + y - 8, 16, 16))
    background = sum(1 for area in middles for p in area if p == layout.VIEW_BACKGROUND)
    differing = sum(1 for a, b in zip(*middles) if a != b)
    return background == 0 and differing > len(middles[0]) // 2


def one_run(session, screen, program, photo):
    started = time.monotonic()
    session.start_program(program, photo)
    # The main window comes up centred; looking at its place spares the search for it.
    place = Window(0, (SCREEN_WIDTH - layout.CLOSED_SIZE[0]) // 2, (SCREEN_HEIGHT - layout.CLOSED_SIZE[1]) // 2,
                   *layout.CLOSED_SIZE)
    try:
        while not shows_corrected_photo(screen, place):
            session.check_running()
            if time.monotonic() - started > 30:
                raise RuntimeError("the corrected photo did not show within 30 s")
            time.sleep(POLL_SECONDS)
        return time.monotonic() - started
    finally:
        session.stop_program()


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    program = os.path.join(build, "windows", "tn_photo_mallet")
    maker = os.path.join(build, "bench", "batch", "make_bench_photos")
    with XSession(os.path.join(build, "bench", "windows", "first_photo")) as session:
        subprocess.run([maker, session.work, "1", *map(str, PHOTO_SIZE)], check=True)
        photo = os.path.join(session.work, "photo_01.jpg")
        screen = ScreenReader(session.display)
        try:
            one_run(session, screen, program, photo)  # the files and libraries into the page cache
            results = [one_run(session, screen, program, photo) for _ in range(runs)]
        finally:
            screen.close()
    print(f"CPU: {cpu_model()}, {os.cpu_count()} processors")
    print(f"start to the corrected {PHOTO_SIZE[0]} x {PHOTO_SIZE[1]} photo on the screen, median of {runs}: "
          f"{statistics.median(results):.3f} s; runs: " + ", ".join(f"{r:.3f}" for r in results))

if __name__ == "__main__":
    main()
