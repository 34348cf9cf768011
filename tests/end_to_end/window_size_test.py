#!/usr/bin/env python3
"""The main window at other sizes under a window manager (openbox): resized with xdotool
windowsize, its views grow and show the photo, the bars keep their right ends at the window's
right edge; a double click on the top bar maximises it and brings it back; F11 makes it full
screen and Escape leaves; V gives one large view, and Backslash held shows the original in it."""

import os

import main_window_layout as layout
from full_flow_test import Flow, differing_share, make_photo
from main_window_layout import Area
from x_session import SCREEN_HEIGHT, SCREEN_WIDTH, literal, run, wait_until

GROWN = (1160, 820)


def right_ends(size):
    """The close key, the bottom bar's right end under its stripes (which run on unbroken, in
    their own phase) and the lower bar's, which stay at the window's right edge."""
    width, height = size
    return [Area(width - 22, 0, 22, 22), Area(width - 40, height - 37, 40, 37), Area(width - 40, height - 134, 40, 85)]


def test(session, options):
    session.start_window_manager("openbox")
    photos = os.path.join(session.work, "photos")
    os.makedirs(photos)
    photo = os.path.join(photos, "test photo.jpg")
    make_photo(options, photo)
    flow = Flow(session, options)
    session.start_program(options.program, photo)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    designed = flow.wait_for_picture(
        "the photo in both views",
        lambda p: layout.corrected_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) < 0.5)
    session.keep(designed, "designed")

    def wait_for_size(what, condition):
        def sized():
            flow.main = session.geometry(flow.main.id)
            return condition(flow.main.width, flow.main.height)
        wait_until(what, sized, 20, also=flow.no_error_shown)

    session.xdotool("windowsize", "--sync", str(flow.main.id), str(GROWN[0]), str(GROWN[1]))
    wait_for_size("the window to grow", lambda w, h: (w, h) == GROWN)
    grown_view = Area(16, 120, 420 + (GROWN[0] - 902) // 2, 320 + GROWN[1] - 608)

    def whole_when_grown(picture):
        ends = all(new.of(picture).share_matching(old.of(designed)) > 0.97
                   for new, old in zip(right_ends(GROWN), right_ends(layout.CLOSED_SIZE)))
        # The fitted photo grew with its view: across its middle, it nearly fills the view's width.
        across = Area(grown_view.x, grown_view.y + grown_view.height // 2, grown_view.width, 2)
        return ends and across.of(picture).share_of_colour(layout.VIEW_BACKGROUND) < 0.1
    grown = flow.wait_for_picture("the bars' ends at the right edge and the photo fitted to the grown view",
                                  whole_when_grown)
    session.keep(grown, "grown")

    session.xdotool("mousemove", "--sync", str(flow.main.x + 400), str(flow.main.y + 10))
    session.xdotool("click", "--repeat", "2", "--delay", "80", "1")
    wait_for_size("the window to be maximised", lambda w, h: w >= SCREEN_WIDTH - 10 and h >= SCREEN_HEIGHT - 40)
    session.keep(flow.picture(), "maximised")
    session.xdotool("mousemove", "--sync", str(flow.main.x + 400), str(flow.main.y + 10))
    session.xdotool("click", "--repeat", "2", "--delay", "80", "1")
    wait_for_size("the window to come back", lambda w, h: (w, h) == GROWN)

    session.key(flow.main, "F11")
    wait_for_size("full screen", lambda w, h: (w, h) == (SCREEN_WIDTH, SCREEN_HEIGHT))
    session.keep(flow.picture(), "full_screen")
    session.key(flow.main, "Escape")
    wait_for_size("full screen to end", lambda w, h: (w, h) == GROWN)

    session.key(flow.main, "v")
    between = Area(grown_view.x + grown_view.width + 6, 150, 12, 250)
    single = flow.wait_for_picture("one large view over the room of both",
                                   lambda p: between.of(p).share_of_colour(layout.PANEL_FILL) < 0.2)
    session.keep(single, "single_view")
    large = Area(16, 120, GROWN[0] - 32, 320 + GROWN[1] - 608)
    session.xdotool("windowfocus", "--sync", str(flow.main.id))
    session.xdotool("keydown", "backslash")
    held = flow.wait_for_picture("the original in the large view",
                                 lambda p: differing_share(large.of(p), large.of(single)) > 0.3)
    session.keep(held, "original_held")
    session.xdotool("keyup", "backslash")
    flow.wait_for_picture("the corrected photo again",
                          lambda p: differing_share(large.of(p), large.of(single)) < 0.05)
    session.stop_program()


if __name__ == "__main__":
    run(test, __doc__)
