#!/usr/bin/env python3
"""The program at 200 % (QT_SCALE_FACTOR=2), as a desktop scaled to twice the size shows it: the
same photo opened at 100 % and at 200 %; the 200 % window is twice as large each way, shows the
same picture once reduced to 100 %, and shows finer detail than the 100 % picture blown up would
(captions, labels and the photo drawn at the screen's own resolution)."""

import os
import subprocess

import main_window_layout as layout
from x_session import Failure, literal, read_picture, run, wait_until

# Room for the 1804 x 1216 window.
SCREEN = (2560, 1600)
# Where the fine detail must show: a caption on a button, the LCD's text, the info box's
# caption, the title on the top bar, and the corrected photo.
DETAILED = [
    ("OPEN PHOTO caption", layout.open_button),
    ("LCD's first row", layout.Area(336, 46, 300, 12)),
    ("info box caption", layout.correction_info_box),
    ("title on the top bar", layout.Area(20, 2, 200, 18)),
    ("corrected photo", layout.corrected_view),
]


def scaled(area, factor):
    return layout.Area(area.x * factor, area.y * factor, area.width * factor, area.height * factor)


def resized(session, picture, name, width, height, filter_name):
    """`picture` resized by ImageMagick with `filter_name` (box: averaging, point: blown up)."""
    source = os.path.join(session.work, name + "_in.ppm")
    target = os.path.join(session.work, name + "_out.ppm")
    picture.save_ppm(source)
    subprocess.run(["convert", source, "-filter", filter_name, "-resize", f"{width}x{height}!", target],
                   capture_output=True, timeout=60, check=True)
    return read_picture(target)


def window_at(session, options, photo, scale):
    """The main window's picture at `scale` once the photo shows in both views and stays put."""
    session.start_program(options.program, photo, scale=scale)
    size = (layout.CLOSED_SIZE[0] * scale, layout.CLOSED_SIZE[1] * scale)
    main = session.wait_for_window(literal(layout.TITLE), 60, size=size)
    views = [scaled(layout.original_view, scale), scaled(layout.corrected_view, scale)]

    def settled():
        first = session.window_picture(main)
        if any(view.of(first).share_of_colour(layout.VIEW_BACKGROUND) > 0.5 for view in views):
            return None
        second = session.window_picture(main)
        return second if second.rgb == first.rgb else None

    picture = wait_until(f"the photo to show at {scale * 100} %", settled, 60, also=session.check_running)
    session.keep(picture, f"window_{scale * 100}")
    session.stop_program()
    return picture


# A step of more than this many levels in any channel is an edge.
EDGE = 32


def channel_gap(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


def edge_pixels(picture):
    """Pixels that differ by more than EDGE from their right or lower neighbour."""
    count = 0
    for y in range(picture.height - 1):
        for x in range(picture.width - 1):
            here = picture.pixel(x, y)
            right, below = picture.pixel(x + 1, y), picture.pixel(x, y + 1)
            if max(channel_gap(here, right), channel_gap(here, below)) > EDGE:
                count += 1
    return count


def mean_difference(a, b):
    return sum(abs(p - q) for p, q in zip(a.rgb, b.rgb)) / len(a.rgb)


def test(session, options):
    photo = os.path.join(session.work, "photo.jpg")
    made = subprocess.run([options.make_photo, photo, "1600", "1200", "--fine-lines"], capture_output=True,
                          text=True, timeout=60)
    if made.returncode != 0:
        raise Failure(f"could not make the test photo: {made.stderr.strip()}")
    normal = window_at(session, options, photo, 1)
    double = window_at(session, options, photo, 2)

    # The same picture: averaged down to 100 %, the 200 % window matches the 100 % one.
    reduced = resized(session, double, "reduced", normal.width, normal.height, "box")
    share = reduced.share_matching(normal, tolerance=24)
    difference = mean_difference(reduced, normal)
    print(f"reduced 200 % against 100 %: {share:.1%} of pixels within 24 levels, "
          f"mean difference {difference:.2f} levels", flush=True)
    if share < 0.97 or difference > 4:
        raise Failure(f"the 200 % window, reduced, is not the 100 % picture: only {share:.1%} of its "
                      f"pixels match within 24 levels (mean difference {difference:.2f})")

    # Finer detail: a blown-up copy of the 100 % window would equal its own nearest-neighbour
    # enlargement; at the edges of text and photo the 200 % window differs from it.
    blown_up = resized(session, normal, "blown_up", double.width, double.height, "point")
    problems = []
    for what, area in DETAILED:
        fine = scaled(area, 2).of(double)
        coarse = scaled(area, 2).of(blown_up)
        edges = edge_pixels(coarse)
        apart = sum(1 for a, b in zip(fine.pixels(), coarse.pixels()) if channel_gap(a, b) > EDGE)
        print(f"{what}: {apart} pixels differ from the blown-up 100 % by more than {EDGE} levels, "
              f"against {edges} edge pixels", flush=True)
        if edges == 0 or apart < 0.25 * edges:
            problems.append(f"{what}: {apart} pixels differ from the blown-up 100 % picture, at {edges} "
                            "edge pixels")
    if problems:
        raise Failure("the 200 % window is no finer than the 100 % one blown up:\n  " + "\n  ".join(problems))


if __name__ == "__main__":
    run(test, __doc__, screen=SCREEN)
