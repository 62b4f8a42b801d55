#!/usr/bin/python3
# Contrast of an icon against the panel it sits on, from a screenshot.
# Usage: contrast.py CROP.png SCREENSHOT.png X Y W H
# Saves the area to CROP.png; the panel's colour is the commonest colour on
# the area's edge; the icon's contrast is that of its 12th strongest pixel
# (WCAG ratio), so that a few stray pixels count for nothing. Prints
# "RATIO background=#rrggbb icon=#rrggbb pixels=N size=WxH", the size being
# that of the box around the pixels of at least 2:1.
import collections
import subprocess
import sys

crop, shot = sys.argv[1], sys.argv[2]
x, y, w, h = (int(v) for v in sys.argv[3:7])
subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", crop], check=True)
ppm = subprocess.run(["convert", crop, "-depth", "8", "ppm:-"], check=True,
                     capture_output=True).stdout
fields = ppm.split(maxsplit=4)
width, height, data = int(fields[1]), int(fields[2]), fields[4]
pixels = [tuple(data[i:i + 3]) for i in range(0, width * height * 3, 3)]


def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def ratio(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


edge = [pixels[r * width + c] for r in range(height) for c in range(width)
        if r in (0, height - 1) or c in (0, width - 1)]
background = collections.Counter(edge).most_common(1)[0][0]
ranked = sorted(pixels, key=lambda p: ratio(p, background), reverse=True)
icon = [p for p in ranked if ratio(p, background) > 1.1]
strongest = ranked[min(11, len(ranked) - 1)]
strong = [i for i, p in enumerate(pixels) if ratio(p, background) >= 2]
box = (max(i % width for i in strong) - min(i % width for i in strong) + 1,
       max(i // width for i in strong) - min(i // width for i in strong) + 1) if strong else (0, 0)
print(f"{ratio(strongest, background):.2f} background=#{bytes(background).hex()} "
      f"icon=#{bytes(strongest).hex()} pixels={len(icon)} size={box[0]}x{box[1]}")
