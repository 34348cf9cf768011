#!/usr/bin/env python3
"""A whole session with the real program: open a photo through the open dialog,
see it corrected, open the tools panel, pick the "Outdoors" preset and one step
LIGHTER, save through the save dialog under a name without extension, open the
photo again, have the window system ask the window to close and answer the save
question with Cancel, then leave with EXIT, answering the save question with Yes."""

import os
import subprocess

import main_window_layout as layout
from x_session import Failure, literal, read_picture, run, wait_until

PHOTO_SIZE = (640, 480)


def differing_share(a, b):
    return 1 - a.share_matching(b)


class Flow:
    def __init__(self, session, options):
        self.session = session
        self.options = options
        self.main = None

    def picture(self):
        return self.session.window_picture(self.main)

    def no_error_shown(self):
        self.session.check_running()
        if self.session.visible_windows("Error"):
            raise Failure("an error message appeared")

    def quit_by_keys(self):
        """Ctrl+Q with nothing left to save: the program ends at once, with status 0."""
        self.session.key(self.main, "ctrl+q")
        status = self.session.wait_for_exit(30)
        if status != 0:
            raise Failure(f"Ctrl+Q ended the program with status {status}")

    def wait_for_picture(self, what, condition, timeout=30):
        """The window's picture once `condition(picture)` holds."""

        def look():
            picture = self.picture()
            return picture if condition(picture) else None

        return wait_until(what, look, timeout, also=self.no_error_shown)

    def answer_file_dialog(self, title, path):
        dialog = self.session.wait_for_window(literal(title), 30)
        self.session.type_into(dialog, path)
        self.session.wait_until_gone(dialog, 30)

    def open_photo(self, photo):
        self.session.click(self.main, *layout.open_button.centre)
        self.answer_file_dialog("Open", photo)

        def shows_corrected_photo(picture):
            original = layout.original_view.of(picture)
            corrected = layout.corrected_view.of(picture)
            # Both views show the photo (not their background), and the two differ.
            return (original.share_of_colour(layout.VIEW_BACKGROUND) < 0.5
                    and corrected.share_of_colour(layout.VIEW_BACKGROUND) < 0.5
                    and differing_share(original, corrected) > 0.5)

        return self.wait_for_picture("both views to show the photo, the corrected one differing",
                                     shows_corrected_photo)

    def click_and_see_corrected_view_change(self, control, what):
        before = layout.corrected_view.of(self.picture())
        self.session.click(self.main, *control.centre)
        return self.wait_for_picture(
            f"the corrected view to change after {what}",
            lambda picture: differing_share(layout.corrected_view.of(picture), before) > 0.3)

    def saved_photo(self, path):
        wait_until(f"{path} to be written", lambda: os.path.exists(path), 30, also=self.no_error_shown)
        # The photo is renamed into place only once it is complete.
        return self.check_saved_size(path)

    @staticmethod
    def check_saved_size(path):
        saved = read_picture(path)
        if (saved.width, saved.height) != PHOTO_SIZE:
            raise Failure(f"{path} is {saved.width} x {saved.height}, not {PHOTO_SIZE[0]} x {PHOTO_SIZE[1]}")
        return saved


def make_photo(options, path):
    made = subprocess.run([options.make_photo, path, str(PHOTO_SIZE[0]), str(PHOTO_SIZE[1])],
                          capture_output=True, text=True, timeout=60)
    if made.returncode != 0:
        raise Failure(f"could not make the test photo: {made.stderr.strip()}")


def test(session, options):
    photos = os.path.join(session.work, "photos")
    saved = os.path.join(session.work, "saved photos")
    os.makedirs(photos)
    os.makedirs(saved)
    photo = os.path.join(photos, "test photo.jpg")
    make_photo(options, photo)

    session.start_program(options.program)
    flow = Flow(session, options)
    flow.main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    start = flow.wait_for_picture(
        "the empty views",
        lambda p: layout.original_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) == 1
        and layout.corrected_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) == 1)

    # Open: the dialog takes the typed path; both views fill, the status line changes.
    opened = flow.open_photo(photo)
    session.keep(opened, "1_opened")
    if differing_share(layout.status_line.of(opened), layout.status_line.of(start)) == 0:
        raise Failure("the status line did not change after opening the photo")

    # The tools panel slides open under the lower bar.
    session.click(flow.main, *layout.tools_button.centre)
    wait_until("the tools panel to open",
               lambda: session.geometry(flow.main.id).height == layout.OPEN_HEIGHT, 20,
               also=flow.no_error_shown)
    flow.main = session.geometry(flow.main.id)
    at_level_zero = flow.picture()
    if layout.light_indicator(0).of(at_level_zero).share_of_colour(layout.LIGHT_INDICATOR_COLOUR, 2) < 0.9:
        raise Failure("the light indicator is not at the middle of the light scale")

    flow.click_and_see_corrected_view_change(layout.outdoors_preset, "the Outdoors preset")
    flow.click_and_see_corrected_view_change(layout.light_button, "LIGHTER")
    # The corrected view repaints while the key is still held down; the indicator
    # moves only when the key comes back up, so wait for it rather than look once.
    lighter = flow.wait_for_picture(
        "the light indicator to move one step to the right after LIGHTER",
        lambda p: layout.light_indicator(1).of(p).share_of_colour(layout.LIGHT_INDICATOR_COLOUR, 2) >= 0.9)
    session.keep(lighter, "2_outdoors_lighter")

    # Save under a name without extension: ".jpg" is added.
    before_save = layout.status_line.of(lighter)
    session.click(flow.main, *layout.save_button.centre)
    flow.answer_file_dialog("Save As", os.path.join(saved, "corrected"))
    written = flow.saved_photo(os.path.join(saved, "corrected.jpg"))
    if os.path.exists(os.path.join(saved, "corrected")):
        raise Failure("a file without the .jpg extension was written")
    if options.inspect:
        expected_path = os.path.join(session.work, "expected.jpg")
        subprocess.run([options.inspect, "--write", expected_path, "--preset", "outdoors", "--lighter", "1",
                        photo], capture_output=True, timeout=60, check=True)
        share = written.share_matching(read_picture(expected_path), tolerance=0)
        if share < 1:
            raise Failure(f"the saved photo is not the one the buttons asked for: {1 - share:.1%} of its "
                          "pixels differ from the Outdoors preset plus one step lighter")
    flow.wait_for_picture("the status line to change after saving",
                          lambda p: differing_share(layout.status_line.of(p), before_save) > 0)

    # A new open makes the correction unsaved again. A close asked for by the
    # window system asks the save question too; Cancel keeps the program running.
    flow.open_photo(photo)
    session.ask_to_close(flow.main)
    question = session.wait_for_window("Warning", 30)
    session.key(question, "Escape")  # Cancel
    session.wait_until_gone(question, 30)
    flow.wait_for_picture("the main window to stay after Cancel",
                          lambda p: layout.corrected_view.of(p).share_of_colour(layout.VIEW_BACKGROUND) < 0.5)
    if session.visible_windows("Warning|Save As"):
        raise Failure("a dialog stayed open after the save question was cancelled")

    # EXIT asks the same question; Yes saves first.
    session.click(flow.main, *layout.close_button.centre)
    question = session.wait_for_window("Warning", 30)
    session.keep(session.screenshot(), "3_save_question")
    session.key(question, "Return")  # Yes is the default answer
    flow.answer_file_dialog("Save As", os.path.join(saved, "on exit"))
    status = session.wait_for_exit(30)
    if status != 0:
        raise Failure(f"the program ended with status {status} after EXIT")
    on_exit = os.path.join(saved, "on exit.jpg")
    if not os.path.exists(on_exit):
        raise Failure("the program ended without saving the photo the save question was answered for")
    flow.check_saved_size(on_exit)


if __name__ == "__main__":
    run(test, __doc__)
