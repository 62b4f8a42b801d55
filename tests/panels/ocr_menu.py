#!/usr/bin/python3
# Reads a menu or tooltip from a screenshot, for panels whose pop-ups are not
# on the accessibility bus: prints one entry a line in atspi_tool.py's form,
# role|label|enabled|x,y,w,h, with screen coordinates. Entries whose text is
# faint are disabled; a thin line across the menu is a separator.
# Usage: ocr_menu.py SCREENSHOT.png X Y W H
import collections
import subprocess
import sys

shot = sys.argv[1]
x0, y0, w, h = (int(v) for v in sys.argv[2:6])
SCALE = 3
crop = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage", "-depth", "8",
                       "ppm:-"], check=True, capture_output=True).stdout
fields = crop.split(maxsplit=4)
width, height, data = int(fields[1]), int(fields[2]), fields[4]


def pixel(x, y):
    i = (y * width + x) * 3
    return data[i], data[i + 1], data[i + 2]


def grey(p):
    return (p[0] * 299 + p[1] * 587 + p[2] * 114) // 1000


background = collections.Counter(pixel(x, y) for y in range(height) for x in range(0, width, 3)
                                 ).most_common(1)[0][0]
bg = grey(background)

# Tesseract reads the menu enlarged and inverted to dark text on light.
tsv = subprocess.run(
    f"convert '{shot}' -crop {w}x{h}+{x0}+{y0} +repage -colorspace gray "
    f"{'-negate' if bg < 128 else ''} -resize {SCALE * 100}% png:- | "
    "tesseract stdin stdout --psm 4 tsv 2>/dev/null",
    shell=True, check=True, capture_output=True, text=True).stdout
words = []
for row in tsv.splitlines()[1:]:
    cols = row.split("\t")
    if len(cols) == 12 and cols[11].strip() and float(cols[10]) > 0:
        left, top, ww, hh = (int(c) // SCALE for c in cols[6:10])
        words.append((top + hh // 2, left, ww, hh, cols[11]))

# Words on one line (centres within 5 px); a wide gap starts the shortcut column.
lines = []
for word in sorted(words):
    if lines and abs(lines[-1][-1][0] - word[0]) <= 5:
        lines[-1].append(word)
    else:
        lines.append([word])
entries = []
for line in lines:
    line.sort(key=lambda wd: wd[1])
    label = [line[0]]
    for word in line[1:]:
        # A shortcut ("Ctrl+Alt+N") is no part of the label.
        if word[1] - (label[-1][1] + label[-1][2]) > 30 or "+" in word[4][1:]:
            break
        label.append(word)
    # "|" separates the fields printed; in a label it is a misread check box.
    text = " ".join(wd[4].replace("|", "") for wd in label).replace("...", "…")
    text = " ".join(text.split())
    lx, ly = label[0][1], min(wd[0] - wd[3] // 2 for wd in label)
    lw = label[-1][1] + label[-1][2] - lx
    lh = max(wd[3] for wd in label)
    # Enabled text stands out from the background far more than faint text.
    # A word read at the very edge of the crop (the panel below a tall menu)
    # has no pixels inside it and is no entry.
    if not text or lx >= width or ly >= height:
        continue
    strongest = max(abs(grey(pixel(x, y)) - bg) for x in range(lx, min(lx + lw, width))
                    for y in range(max(ly, 0), min(ly + lh, height)))
    entries.append((ly, f"menu item|{text}|{'enabled' if strongest > 110 else 'disabled'}|"
                        f"{x0 + lx},{y0 + ly},{lw},{lh}"))

# Separators: rows that differ from the background evenly across most of the width.
row = 2
while row < height - 2:
    differing = [x for x in range(4, width - 4) if pixel(x, row) != background]
    if len(differing) > 0.8 * (width - 8) and len({pixel(x, row) for x in differing}) <= 3:
        entries.append((row, f"separator||disabled|{x0},{y0 + row},{width},1"))
        row += 3
    row += 1
for _, entry in sorted(entries):
    print(entry)
