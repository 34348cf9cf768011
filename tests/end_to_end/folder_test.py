#!/usr/bin/env python3
"""Going through a folder with the keys, as a newcomer would: the program is started
on the first photo of a folder holding a broken photo in the middle; Ctrl+Enter saves
the first beside it and goes on, the broken photo says so on the status line without a
box and the window stays as it was, Right goes on past it, Home goes back, the next key
beside SAVE PHOTO reaches the photo just written, End the last one, and at the last
photo Ctrl+Enter saves it and says there is no photo after it; Ctrl+Q then leaves
without a question."""

import os
import subprocess

import main_window_layout as layout
from full_flow_test import Flow, differing_share
from x_session import Failure, literal, read_picture, run, wait_until


def make_photo(options, path, width, height):
    made = subprocess.run([options.make_photo, path, str(width), str(height)], capture_output=True, text=True,
                          timeout=60)
    if made.returncode != 0:
        raise Failure(f"could not make the test photo: {made.stderr.strip()}")


def test(session, options):
    folder = os.path.join(session.work, "trip")
    os.makedirs(folder)
    first = os.path.join(folder, "IMG_1.jpg")
    make_photo(options, first, 640, 480)
    with open(os.path.join(folder, "IMG_2.jpg"), "w") as broken:
        broken.write("not a photo")
    last = os.path.join(folder, "IMG_10.jpg")
    make_photo(options, last, 360, 480)

    session.start_program(options.program, first)
    flow = Flow(session, options)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    opened = flow.wait_for_picture(
        "the first photo in both views",
        lambda p: layout.original_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) < 0.5)
    session.keep(opened, "1_first")

    def shows(photo, not_photo, what):
        # The same photo fitted again may lie at a slightly other scale than the first fit (its zoom
        # slider's whole percent): near the one, far from the other.
        def looks(p):
            view = layout.original_view.of(p)
            return (differing_share(view, layout.original_view.of(photo)) < 0.2
                    and differing_share(view, layout.original_view.of(not_photo)) > 0.3)
        return flow.wait_for_picture(what, looks)

    def changes(picture, area, what):
        return flow.wait_for_picture(what, lambda p: differing_share(area.of(p), area.of(picture)) > 0)

    # Save and go on: beside the original, then the broken photo, said on the status line.
    session.key(flow.main, "ctrl+Return")
    output = os.path.join(folder, "IMG_1_corrected.jpg")
    saved = flow.saved_photo(output)
    if options.inspect:
        expected = os.path.join(session.work, "expected.jpg")
        subprocess.run([options.inspect, "--write", expected, first], capture_output=True, timeout=60, check=True)
        if saved.share_matching(read_picture(expected), tolerance=0) < 1:
            raise Failure("the photo saved by Ctrl+Enter is not the automatic correction of the first photo")
    at_broken = changes(opened, layout.status_line, "the status line to say the broken photo did not open")
    session.keep(at_broken, "2_broken_photo")
    if differing_share(layout.original_view.of(at_broken), layout.original_view.of(opened)) != 0:
        raise Failure("the broken photo changed the views")
    if session.visible_windows("Error"):
        raise Failure("the broken photo showed a box")

    # Past the broken photo with Right.
    session.key(flow.main, "Right")
    at_last = changes(opened, layout.original_view, "the last photo after Right")
    session.keep(at_last, "3_last")

    # Home, then the next key beside SAVE PHOTO.
    session.key(flow.main, "Home")
    shows(opened, at_last, "the first photo again after Home")
    # The next photo is now the one Ctrl+Enter wrote: the first photo corrected.
    session.click(flow.main, *layout.next_button.centre)
    flow.wait_for_picture(
        "the saved photo after the next key",
        lambda p: differing_share(layout.original_view.of(p), layout.corrected_view.of(opened)) < 0.2)
    session.key(flow.main, "End")
    shows(at_last, opened, "the last photo after End")

    # At the last photo: saved, and nothing after it.
    before = flow.picture()
    session.key(flow.main, "ctrl+Return")
    last_output = os.path.join(folder, "IMG_10_corrected.jpg")
    wait_until("IMG_10_corrected.jpg to be written", lambda: os.path.exists(last_output), 30,
               also=flow.no_error_shown)
    end = changes(before, layout.status_line, "the status line to say the last photo was saved")
    session.keep(end, "4_saved_at_the_end")
    if differing_share(layout.original_view.of(end), layout.original_view.of(at_last)) != 0:
        raise Failure("Ctrl+Enter at the last photo wrapped around")

    flow.quit_by_keys()


if __name__ == "__main__":
    run(test, __doc__)
