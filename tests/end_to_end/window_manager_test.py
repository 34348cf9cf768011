#!/usr/bin/env python3
"""The program under a real window manager (--window-manager openbox or metacity): the
load-failure message, the open and save dialogs and the about window are children of the
main window, centred on it wherever it stands; the tools panel slides without moving the
window; the save dialog proposes NAME_corrected.jpg in the photo's folder; Escape, Return,
Space or a click closes the about window, which takes the keyboard when it shows."""

import os

import main_window_layout as layout
from full_flow_test import Flow, make_photo
from x_session import Failure, literal, run, wait_until

ABOUT_TITLE = "About Tintelo photo mallet"
# A dialog's frame (title bar, borders) moves its client area off the centre a little.
CENTRE_TOLERANCE = 40
FIRST_AFTER_START = ("slide", "save question", "open dialog")


def check_child_of_main(session, window, main, what):
    main = session.geometry(main.id)
    dx = (window.x + window.width // 2) - (main.x + main.width // 2)
    dy = (window.y + window.height // 2) - (main.y + main.height // 2)
    if abs(dx) > CENTRE_TOLERANCE or abs(dy) > CENTRE_TOLERANCE:
        raise Failure(f"{what} ({window}) is not centred on the main window ({main}): off by ({dx}, {dy})")
    if session.transient_for(window) != main.id:
        raise Failure(f"{what} is not a child of the main window for the window system")


def shows_photo(picture):
    return layout.original_view.of(picture).share_of_colour(layout.VIEW_BACKGROUND) < 0.5


def slide_tools_panel(flow, height):
    """Presses T and follows the slide to `height`, checking at every look that the window stays put."""
    session = flow.session
    place = session.geometry(flow.main.id)
    session.key(flow.main, "t")

    def slid():
        now = session.geometry(flow.main.id)
        if (now.x, now.y) != (place.x, place.y):
            raise Failure(f"the window moved from ({place.x}, {place.y}) to ({now.x}, {now.y}) as the "
                          "tools panel slid")
        return now.height == height

    wait_until(f"the window to slide to {height} pixels high", slid, 20, also=flow.no_error_shown)
    flow.main = session.geometry(flow.main.id)


def test(session, options):
    if not options.window_manager:
        raise Failure("no --window-manager given")
    session.start_window_manager(options.window_manager)
    photos = os.path.join(session.work, "photos")
    os.makedirs(photos)
    photo = os.path.join(photos, "test photo.jpg")
    make_photo(options, photo)
    broken = os.path.join(photos, "broken.jpg")
    with open(broken, "wb") as out:
        out.write(b"no photo")

    # Started with a photo, as a file manager does, the first thing done after the start is a
    # slide, the save question or the open dialog. What the window system tells the program as it
    # maps the window varies from run to run, so each comes first in more than one run.
    flow = Flow(session, options)
    for first in FIRST_AFTER_START * 2:
        session.start_program(options.program, photo)
        flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
        flow.wait_for_picture("the photo in the original view", shows_photo)
        if first == "slide":
            slide_tools_panel(flow, layout.OPEN_HEIGHT)
        else:
            key, title = {"save question": ("ctrl+q", "Warning"), "open dialog": ("ctrl+o", "Open")}[first]
            session.key(flow.main, key)
            dialog = session.wait_for_window(title, 30)
            check_child_of_main(session, dialog, flow.main, f"the {first}")
            session.key(dialog, "Escape")
            session.wait_until_gone(dialog, 30)
        session.stop_program()

    # Started with a file that is no photo: its message is the first dialog.
    session.start_program(options.program, broken)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    failure = session.wait_for_window("Error", 30)
    check_child_of_main(session, failure, flow.main, "the load-failure message")
    session.key(failure, "Return")
    session.wait_until_gone(failure, 30)

    session.key(flow.main, "ctrl+o")
    dialog = session.wait_for_window("Open", 30)
    check_child_of_main(session, dialog, flow.main, "the open dialog")
    session.type_into(dialog, photo)
    session.wait_until_gone(dialog, 30)
    flow.wait_for_picture("the photo in the original view", shows_photo)

    # Where the user puts it, it stays too.
    session.xdotool("windowmove", "--sync", str(flow.main.id), "60", "50")
    flow.main = session.geometry(flow.main.id)
    slide_tools_panel(flow, layout.OPEN_HEIGHT)

    session.key(flow.main, "ctrl+s")
    dialog = session.wait_for_window(literal("Save As"), 30)
    check_child_of_main(session, dialog, flow.main, "the save dialog")
    session.key(dialog, "Return")  # the proposed name
    session.wait_until_gone(dialog, 30)
    flow.saved_photo(os.path.join(photos, "test photo_corrected.jpg"))

    for closing in ("Escape", "Return", "space", "click"):
        session.key(flow.main, "F1")
        about = session.wait_for_window(literal(ABOUT_TITLE), 30)
        check_child_of_main(session, about, flow.main, "the about window")
        if closing == "click":
            session.click(about, 60, 60)
        else:
            session.xdotool("key", closing)  # to whichever window has the keyboard
        session.wait_until_gone(about, 10)

    flow.quit_by_keys()


if __name__ == "__main__":
    run(test, __doc__)
