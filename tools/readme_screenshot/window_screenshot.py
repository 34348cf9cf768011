#!/usr/bin/env python3
"""Starts the program with a photo on a private X server, opens its tools panel
once the photo is corrected, and writes the window as a PNG.
Usage: window_screenshot.py PROGRAM PHOTO OUT.png WORK_FOLDER
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "end_to_end"))

import main_window_layout as layout  # noqa: E402
from x_session import Failure, XSession, literal, wait_until  # noqa: E402

OPEN_SIZE = (layout.CLOSED_SIZE[0], layout.OPEN_HEIGHT)


def steady_picture(session, window, what):
    """The window once two screenshots in a row agree and the corrected view
    differs from the original: the panel has stopped sliding and both views
    are drawn."""
    last = [None]

    def settled():
        picture = session.window_picture(window)
        same = last[0] is not None and picture.rgb == last[0].rgb
        last[0] = picture
        corrected = layout.corrected_view.of(picture).share_matching(layout.original_view.of(picture))
        return picture if same and corrected < 0.5 else None

    return wait_until(what, settled, 30, also=session.check_running)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.strip().splitlines()[-1])
    program, photo, out, work = sys.argv[1:]
    with XSession(work) as session:
        session.start_program(program, os.path.abspath(photo))
        window = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
        steady_picture(session, window, "the corrected photo in both views")
        session.key(window, "t")
        window = session.wait_for_window(literal(layout.TITLE), 30, size=OPEN_SIZE)
        session.xdotool("mousemove", "0", "0")
        picture = steady_picture(session, window, "the tools panel to stand open")
        ppm = os.path.join(work, "window.ppm")
        picture.save_ppm(ppm)
        subprocess.run(["convert", ppm, "-strip", "-define", "png:compression-level=9", out], check=True)
        session.stop_program()


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        sys.exit(f"no screenshot: {failure}")
