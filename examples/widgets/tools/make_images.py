#!/usr/bin/env python3
"""Draws the widgets example's images: the fader thumb and the progress bar
of the gallery's dark theme (examples/gallery/tools/make_images.py draws them):
    thumb.png  the fader's thumb, a 16x24 rounded bar
    bar.png    the progress bar, 220x28: the empty bar above the full one
Only the standard library is needed:
    python3 examples/widgets/tools/make_images.py examples/widgets/resdata/Images
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "gallery", "tools"))
from make_images import THEMES, bar, image, thumb, write  # noqa: E402


def main(folder):
    accent, inside, empty = THEMES["dark"]
    write(os.path.join(folder, "thumb.png"), *image(16, 24, thumb(accent, inside)))
    write(os.path.join(folder, "bar.png"), *image(220, 28, bar(accent, empty)))


if __name__ == "__main__":
    main(sys.argv[1])
