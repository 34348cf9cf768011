#!/usr/bin/env python3
"""A whole correction from the keyboard, as a file manager starts it: the program
is given the photo on its command line and opens it right after start-up; T
slides the tools panel out, 3 picks the "Outdoors" preset, + one step lighter,
Ctrl+S saves through the save dialog, Ctrl+Q leaves without a question. Before
that, --help, --version and an unknown option answer without any display."""

import os
import subprocess

import main_window_layout as layout
from full_flow_test import Flow, differing_share, make_photo
from x_session import Failure, literal, read_picture, run, wait_until


def check_command_line(program):
    no_display = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    for arguments, status, stream in ((["--help"], 0, "stdout"), (["--version"], 0, "stdout"),
                                      (["--no-such-option"], 2, "stderr")):
        done = subprocess.run([program, *arguments], env=no_display, capture_output=True, text=True,
                              timeout=20)
        if done.returncode != status or "tn_photo_mallet" not in getattr(done, stream):
            raise Failure(f"{' '.join(arguments)} ended with status {done.returncode} (wanted {status}) "
                          f"and printed {done.stdout!r} / {done.stderr!r}")


def test(session, options):
    check_command_line(options.program)

    photo = os.path.join(session.work, "keyboard photo.jpg")
    make_photo(options, photo)
    session.start_program(options.program, photo)
    flow = Flow(session, options)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)

    def shows_corrected_photo(picture):
        original = layout.original_view.of(picture)
        corrected = layout.corrected_view.of(picture)
        return (original.share_of_colour(layout.VIEW_BACKGROUND) < 0.5
                and differing_share(original, corrected) > 0.5)

    opened = flow.wait_for_picture("the photo from the command line in both views", shows_corrected_photo)
    session.keep(opened, "1_opened_from_command_line")

    session.key(flow.main, "t")
    wait_until("the tools panel to open", lambda: session.geometry(flow.main.id).height == layout.OPEN_HEIGHT,
               20, also=flow.no_error_shown)
    flow.main = session.geometry(flow.main.id)

    before = layout.corrected_view.of(flow.picture())
    session.key(flow.main, "3")
    flow.wait_for_picture("the corrected view to change after key 3 (Outdoors)",
                          lambda p: differing_share(layout.corrected_view.of(p), before) > 0.3)
    session.key(flow.main, "plus")
    lighter = flow.wait_for_picture(
        "the light indicator to move one step right after +",
        lambda p: layout.light_indicator(1).of(p).share_of_colour(layout.LIGHT_INDICATOR_COLOUR, 2) >= 0.9)
    session.keep(lighter, "2_outdoors_lighter")

    session.key(flow.main, "ctrl+s")
    saved = os.path.join(session.work, "from keys")
    flow.answer_file_dialog("Save As", saved)
    written = flow.saved_photo(saved + ".jpg")
    if options.inspect:
        expected_path = os.path.join(session.work, "expected.jpg")
        subprocess.run([options.inspect, "--write", expected_path, "--preset", "outdoors", "--lighter", "1",
                        photo], capture_output=True, timeout=60, check=True)
        if written.share_matching(read_picture(expected_path), tolerance=0) < 1:
            raise Failure("the photo saved from the keyboard is not the Outdoors preset plus one step lighter")

    # Saved: EXIT asks nothing.
    flow.quit_by_keys()


if __name__ == "__main__":
    run(test, __doc__)
