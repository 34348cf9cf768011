#!/usr/bin/env python3
"""Start-up and shutdown of the real program: the splash window first, then the
main window centred in its start state, laid out as the skin places it; the
EXIT button ends the program with status 0."""

import os

import main_window_layout as layout
from x_session import SCREEN_HEIGHT, SCREEN_WIDTH, Failure, literal, read_picture, run, wait_until

# Skin pictures that must show 1:1 at their controls. Where a caption is drawn
# onto the control's copy, only the parts that the caption leaves alone are
# compared (areas inside the control: x, y, width, height).
WHOLE = None
BUTTON_ENDS = [(0, 0, 28, 21), (115, 0, 16, 21)]
SKIN_AT_CONTROLS = [
    ("top bar, left of the buttons", "top_bar.png", layout.Area(0, 0, 290, 30), WHOLE),
    ("LCD", "lcd.png", layout.lcd_panel, [(0, 0, 599, 12), (0, 30, 599, 28)]),
    ("OPEN PHOTO (red)", "button_red.png", layout.open_button, BUTTON_ENDS),
    ("EXIT (red)", "button_red.png", layout.close_button, BUTTON_ENDS),
    ("ABOUT (red)", "button_red.png", layout.about_button, BUTTON_ENDS),
    ("SAVE PHOTO (grey)", "button_grey.png", layout.save_button, BUTTON_ENDS),
    ("UNDO (grey)", "button_grey.png", layout.undo_button, BUTTON_ENDS),
    ("close glyph", "close.png", layout.top_close_key, WHOLE),
    ("minimise glyph", "minimise.png", layout.top_minimise_key, WHOLE),
    ("camera icon (faded)", "camera_faded.png", layout.camera_icon_uncovered, WHOLE),
    ("phone icon (faded)", "phone_faded.png", layout.phone_icon, WHOLE),
    ("correction button (dark red)", "correction_off.png", layout.correction_button, WHOLE),
    ("info box", "info_box.png", layout.correction_info_box, [(0, 0, 218, 7), (0, 22, 218, 8)]),
    ("tools button (faded sign)", "tools_sign_faded.png", layout.tools_button,
     [(0, 0, 88, 62), (0, 0, 152, 19), (0, 47, 152, 15)]),
    ("bottom bar hiding the tools panel", "bottom_bar.png", layout.bottom_bar_closed, WHOLE),
]
LEAST_MATCHING = 0.99

# Flat colours of the rectangles, views and caption bars.
FLAT_AREAS = [
    ("original view's background", layout.original_view, layout.VIEW_BACKGROUND),
    ("corrected view's background", layout.corrected_view, layout.VIEW_BACKGROUND),
    ("original caption bar", layout.original_caption_bar_gap, layout.VIEW_BACKGROUND),
    ("corrected caption bar", layout.corrected_caption_bar_gap, layout.VIEW_BACKGROUND),
    ("panel between the views", layout.between_views, layout.PANEL_FILL),
]


def skin_picture(assets, name, area):
    picture = read_picture(os.path.join(assets, name))
    return picture.crop(0, 0, area.width, area.height)


def check_layout(session, picture, assets):
    problems = []
    for what, name, area, parts in SKIN_AT_CONTROLS:
        skin = skin_picture(assets, name, area)
        shown = area.of(picture)
        for x, y, width, height in parts or [(0, 0, area.width, area.height)]:
            share = shown.crop(x, y, width, height).share_matching(skin.crop(x, y, width, height))
            if share < LEAST_MATCHING:
                problems.append(f"{what}: only {share:.0%} of the pixels of its part {width} x {height} "
                                f"at ({x}, {y}) show {name}")
    for what, area, colour in FLAT_AREAS:
        share = area.of(picture).share_of_colour(colour)
        if share < 1:
            problems.append(f"{what}: {1 - share:.1%} of its pixels are not RGB {colour}")
    # The status line carries "READY": its pixels are not all the bare LCD's.
    bare = skin_picture(assets, "lcd.png", layout.lcd_panel)
    status_on_lcd = layout.Area(layout.status_line.x - layout.lcd_panel.x, layout.status_line.y - layout.lcd_panel.y,
                                layout.status_line.width, layout.status_line.height)
    written = 1 - layout.status_line.of(picture).share_matching(status_on_lcd.of(bare))
    if written * layout.status_line.width * layout.status_line.height < 30:
        problems.append("nothing is written in the status line")
    if problems:
        raise Failure("the main window does not look as laid out:\n  " + "\n  ".join(problems))


def test(session, options):
    session.start_program(options.program)

    splash = session.wait_for_window(".*", 60, size=layout.SPLASH_SIZE)
    main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    if any(w.id == splash.id for w in session.visible_windows(".*")):
        raise Failure("the splash window is still shown beside the main window")

    centred = ((SCREEN_WIDTH - main.width) // 2, (SCREEN_HEIGHT - main.height) // 2)
    if abs(main.x - centred[0]) > 1 or abs(main.y - centred[1]) > 1:
        raise Failure(f"the main window is at ({main.x}, {main.y}), not centred at {centred}")

    # The first frames may still be on their way to the screen.
    def laid_out():
        picture = session.window_picture(main)
        try:
            check_layout(session, picture, options.assets)
            return picture
        except Failure as failure:
            laid_out.last = failure
            return None

    try:
        picture = wait_until("the main window to be painted", laid_out, 30, also=session.check_running)
    except Failure:
        raise laid_out.last
    session.keep(picture, "main_window")

    session.click(main, *layout.close_button.centre)
    status = session.wait_for_exit(20)
    if status != 0:
        raise Failure(f"EXIT ended the program with status {status}")


if __name__ == "__main__":
    run(test, __doc__)
