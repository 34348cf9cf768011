#!/usr/bin/env python3
"""True colours on screen: a photo that embeds an Adobe RGB profile shows in the
original view as lcms2's own command-line converter (jpgicc, relative colorimetric
with black-point compensation) converts it, first for a desktop that publishes no
display profile (sRGB), then for one that publishes another profile in the root
window's _ICC_PROFILE property, which the program reads when it starts."""

import ctypes
import os
import shutil
import subprocess

import main_window_layout as layout
from full_flow_test import Flow, differing_share
from x_session import Failure, literal, read_picture, run

PHOTO_SIZE = (400, 300)  # smaller than a view: shown at 100 %, centred
PHOTO_IN_VIEW = ((layout.original_view.width - PHOTO_SIZE[0]) // 2,
                 (layout.original_view.height - PHOTO_SIZE[1]) // 2)
ADOBE_RGB = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc"
DISPLAY = "/usr/share/color/icc/LStar-RGB.icc"
# jpgicc writes a JPEG, whose chroma subsampling blurs colour edges a little: nearly every
# pixel must match within a few levels, while the unconverted values must not.
TOLERANCE = 4
LEAST_MATCHING = 0.99
MOST_MATCHING_UNCONVERTED = 0.5


def publish_display_profile(display_name, profile):
    """Sets the root window's _ICC_PROFILE property, as a desktop's colour manager does."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                    ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise Failure(f"cannot open the X display {display_name}")
    try:
        atom = x11.XInternAtom(display, b"_ICC_PROFILE", 0)
        cardinal = 6  # XA_CARDINAL
        x11.XChangeProperty(display, x11.XDefaultRootWindow(display), atom, cardinal, 8, 0, profile, len(profile))
        x11.XSync(display, 0)
    finally:
        x11.XCloseDisplay(display)


def jpgicc(photo, output, display_profile=None):
    command = ["jpgicc", "-t1", "-b", "-q100"]
    if display_profile:
        command.append("-o" + display_profile)
    done = subprocess.run(command + [photo, output], capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        raise Failure(f"jpgicc failed: {done.stderr.strip()}")
    return read_picture(output)


def shown_photo(session, options, photo, name):
    # Named on the command line, the photo opens right after start-up, with no dialog over the views.
    session.start_program(options.program, photo)
    flow = Flow(session, options)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    opened = flow.wait_for_picture(
        "both views to show the photo, the corrected one differing",
        lambda p: layout.original_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) < 0.5
        and differing_share(layout.original_view.of(p), layout.corrected_view.of(p)) > 0.5)
    session.keep(opened, name)
    session.stop_program()
    return layout.original_view.of(opened).crop(*PHOTO_IN_VIEW, *PHOTO_SIZE)


def check(shown, expected, unconverted, what):
    matching = shown.share_matching(expected, tolerance=TOLERANCE)
    if matching < LEAST_MATCHING:
        raise Failure(f"{what}: only {matching:.1%} of the photo's pixels show as jpgicc converts them")
    alike = unconverted.share_matching(expected, tolerance=TOLERANCE)
    if alike > MOST_MATCHING_UNCONVERTED:
        raise Failure(f"{what}: the conversion changes too little to tell ({alike:.1%} alike unconverted)")
    print(f"{what}: {matching:.1%} of the pixels as jpgicc converts them; {alike:.1%} of the file's values alike")


def test(session, options):
    for needed in (ADOBE_RGB, DISPLAY):
        if not os.path.exists(needed):
            raise Failure(f"{needed} is missing (tools/setup.sh test installs icc-profiles-free)")
    if shutil.which("jpgicc") is None:
        raise Failure("jpgicc is missing (tools/setup.sh test installs liblcms2-utils)")
    photo = os.path.join(session.work, "adobe rgb.jpg")
    made = subprocess.run([options.make_photo, photo, str(PHOTO_SIZE[0]), str(PHOTO_SIZE[1]), "--icc", ADOBE_RGB],
                          capture_output=True, text=True, timeout=60)
    if made.returncode != 0:
        raise Failure(f"could not make the test photo: {made.stderr.strip()}")
    unconverted = read_picture(photo)

    on_srgb = shown_photo(session, options, photo, "1_on_srgb_display")
    check(on_srgb, jpgicc(photo, os.path.join(session.work, "srgb.jpg")), unconverted, "on an sRGB display")

    with open(DISPLAY, "rb") as profile:
        publish_display_profile(session.display, profile.read())
    on_other = shown_photo(session, options, photo, "2_on_published_display")
    check(on_other, jpgicc(photo, os.path.join(session.work, "display.jpg"), DISPLAY), unconverted,
          "on a display publishing its profile")


if __name__ == "__main__":
    run(test, __doc__)
