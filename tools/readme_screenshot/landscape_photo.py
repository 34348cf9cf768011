#!/usr/bin/env python3
"""Paints the photo the README's screenshot opens: a lake below hills and
mountains on a summer afternoon, taken by a camera that made it hazy, dim
and bluish, so that the automatic correction has work to show.

It is drawn with ImageMagick from a fixed seed, so every run paints the same
photo and nothing of anyone else's is shown.
Usage: landscape_photo.py OUT.jpg [WIDTH HEIGHT]
"""

import os
import random
import subprocess
import sys
import tempfile


def ridge(rng, width, base, roughness, steps=9):
    """A skyline by midpoint displacement: heights at 2**steps + 1 points across."""
    count = 2 ** steps
    heights = [0.0] * (count + 1)
    heights[0] = base + rng.uniform(-1, 1) * roughness
    heights[count] = base + rng.uniform(-1, 1) * roughness
    span, spread = count, roughness
    while span > 1:
        half = span // 2
        for left in range(0, count, span):
            heights[left + half] = (heights[left] + heights[left + span]) / 2 + rng.uniform(-1, 1) * spread
        span, spread = half, spread * 0.6
    return [(width * i / count, h) for i, h in enumerate(heights)]


def mountains(rng, width, base, height, peaks):
    """A range: a few peaks with straight flanks, roughened by a fractal ridge."""
    tops = [(rng.uniform(0, width), height * rng.uniform(0.5, 1.0), rng.uniform(0.5, 1.1))
            for _ in range(peaks)]
    rough = ridge(rng, width, 0, height * 0.12)
    return [(x, base + dy - max(0, *(h - slope * abs(x - px) for px, h, slope in tops)))
            for x, dy in rough]


def polygon(points, bottom, width):
    corners = [(width, bottom), (0, bottom)]
    return "polygon " + " ".join(f"{x:.1f},{y:.1f}" for x, y in points + corners)


def trees(rng, hill, count, height, colour):
    """Dark conifers standing on a hill's skyline."""
    shapes = []
    for _ in range(count):
        x, y = rng.choice(hill)
        x += rng.uniform(-4, 4)
        tall = height * rng.uniform(0.6, 1.3)
        wide = tall * rng.uniform(0.28, 0.38)
        y += tall * 0.2
        shapes.append(f"fill '{colour}' polygon {x:.1f},{y - tall:.1f} "
                      f"{x - wide:.1f},{y:.1f} {x + wide:.1f},{y:.1f}")
    return shapes


def paint(out, width, height):
    rng = random.Random(31)
    horizon = round(height * 0.62)
    with tempfile.TemporaryDirectory() as work:
        def path(name):
            return os.path.join(work, name)

        def magick(*arguments):
            subprocess.run(["convert", *arguments], check=True)

        # Sky, and soft clouds from a plasma fractal.
        magick("-size", f"{width}x{horizon}", "gradient:#2f64a8-#d8e4ec", path("sky.png"))
        magick("-size", f"{width}x{horizon}", "-seed", "31", "plasma:fractal", "-colorspace", "gray",
               "-blur", "0x12", "-level", "55%,85%", "-resize", "100%x60%!", "-gravity", "north",
               "-background", "black", "-extent", f"{width}x{horizon}", path("clouds.png"))
        magick(path("sky.png"), path("clouds.png"), "-compose", "screen", "-composite", path("sky.png"))

        # Mountains and hills, far to near, each shaded from its crest down and
        # a little darker and greener than the one behind it.
        layers = [
            (mountains(rng, width, horizon * 0.85, horizon * 0.6, 5), "#e4e7ee", "#6c7b98"),
            (ridge(rng, width, horizon * 0.70, height * 0.07), "#7d9a7c", "#3d5c46"),
            (ridge(rng, width, horizon * 0.87, height * 0.035), "#5a8a45", "#2e5429"),
        ]
        magick(path("sky.png"), path("upper.png"))
        for points, crest, foot in layers:
            top = round(min(y for _, y in points))
            magick(path("upper.png"),
                   "(", "-size", f"{width}x{horizon - top}", f"gradient:{crest}-{foot}",
                   "-background", foot, "-gravity", "south", "-extent", f"{width}x{horizon}", ")",
                   "(", "-size", f"{width}x{horizon}", "xc:black", "-fill", "white",
                   "-draw", polygon(points, horizon, width), ")",
                   "-composite", path("upper.png"))
        near_hill = layers[2][0]
        draw = trees(rng, near_hill, 70, height * 0.07, "#1f3d22")
        magick(path("upper.png"), *[a for shape in draw for a in ("-draw", shape)], path("upper.png"))
        # Texture on the sky and the slopes, from a second fractal.
        magick("-size", f"{width}x{horizon}", "-seed", "7", "plasma:fractal", "-colorspace", "gray",
               "-blur", "0x3", "-level", "-40%,140%", path("grain.png"))
        magick(path("upper.png"), path("grain.png"), "-compose", "soft-light", "-composite",
               path("upper.png"))

        # The lake mirrors the land above it, darker and rippled; a meadow in front.
        lake_height = height - horizon
        magick(path("upper.png"), "-flip", "-crop", f"{width}x{lake_height}+0+0", "+repage",
               "-motion-blur", "0x9+0", "-fill", "#1b3a52", "-colorize", "28%", path("lake.png"))
        meadow = ridge(rng, width, lake_height * 0.78, lake_height * 0.08, steps=7)
        draw = ["fill '#5b7a2c' " + polygon(meadow, lake_height, width)]
        draw += trees(rng, meadow, 12, height * 0.11, "#243b1a")
        magick(path("lake.png"), *[a for shape in draw for a in ("-draw", shape)], path("lower.png"))

        # A camera that saw it through haze: low contrast, dim, a cold cast, some noise.
        magick(path("upper.png"), path("lower.png"), "-append", "-seed", "5",
               "-attenuate", "0.25", "+noise", "Gaussian",
               "+level", "8%,70%", "-fill", "#4f6f96", "-colorize", "16%",
               "-quality", "90", "-sampling-factor", "2x2", out)


def main():
    if len(sys.argv) not in (2, 4):
        sys.exit(__doc__.strip().splitlines()[-1])
    width, height = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) == 4 else (1200, 900)
    paint(sys.argv[1], width, height)


if __name__ == "__main__":
    main()
