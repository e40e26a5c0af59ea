#!/usr/bin/python3
"""Draws the program's banner (850 x 70) and its icon in seven sizes, and
writes them as PNG files together with a C++ source that carries their bytes.

    make_images.py OUT_DIR

OUT_DIR receives banner.png, icon_<size>.png and ResourceImages.cpp.
"""
import io
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ICON_SIZES = (256, 128, 72, 64, 48, 32, 16)
NAVY = (22, 44, 84)
TEAL = (18, 128, 140)
AMBER = (244, 164, 42)
PAPER = (250, 250, 246)
FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")


def font(name, size):
    try:
        return ImageFont.truetype(str(FONT_DIR / name), size)
    except OSError:
        return ImageFont.load_default()


def draw_mark(d, x, y, s):
    """A page with a folded corner, an arrow, and a wide slide, in a box of
    side s whose top left is (x, y)."""
    u = s / 16.0
    # the page
    page = [(x + 1 * u, y + 2 * u), (x + 6 * u, y + 2 * u), (x + 8 * u, y + 4 * u),
            (x + 8 * u, y + 12 * u), (x + 1 * u, y + 12 * u)]
    d.polygon(page, fill=PAPER)
    d.polygon([(x + 6 * u, y + 2 * u), (x + 6 * u, y + 4 * u), (x + 8 * u, y + 4 * u)], fill=(200, 206, 214))
    for i in range(3):
        d.rectangle([x + 2 * u, y + (6 + 2 * i) * u, x + 7 * u, y + (6.8 + 2 * i) * u], fill=TEAL)
    # the slide, lying over the page's lower right
    d.rectangle([x + 6 * u, y + 7 * u, x + 15 * u, y + 14 * u], fill=AMBER)
    d.rectangle([x + 7 * u, y + 8 * u, x + 14 * u, y + 9 * u], fill=PAPER)
    d.rectangle([x + 7 * u, y + 10 * u, x + 11 * u, y + 13 * u], fill=PAPER)


def icon(size):
    big = 1024
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, big - 1, big - 1], radius=big // 6, fill=NAVY + (255,))
    draw_mark(d, big * 0.04, big * 0.04, big * 0.92)
    return img.resize((size, size), Image.LANCZOS)


def banner():
    w, h = 850, 70
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for x in range(w):
        t = x / (w - 1)
        d.line([(x, 0), (x, h)], fill=tuple(round(a + (b - a) * t) for a, b in zip(NAVY, TEAL)))
    d.rectangle([0, h - 4, w, h], fill=AMBER)
    mark = icon(56)
    img.paste(mark, (10, 6), mark)
    d.text((80, 8), "Norvik Slidemint Converter", font=font("DejaVuSans-Bold.ttf", 26), fill=PAPER)
    d.text((82, 42), "PDF pages to editable slides", font=font("DejaVuSans.ttf", 14), fill=(214, 230, 236))
    return img


def png_bytes(img):
    out = io.BytesIO()
    img.save(out, "PNG", optimize=True)
    return out.getvalue()


def cpp_array(name, data):
    rows = [", ".join(str(b) for b in data[i:i + 24]) for i in range(0, len(data), 24)]
    return f"const unsigned char {name}[] = {{\n" + ",\n".join(rows) + f"\n}};\nconst unsigned {name}Size = {len(data)};\n"


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    images = {"kBanner": ("banner.png", banner())}
    for s in ICON_SIZES:
        images[f"kIcon{s}"] = (f"icon_{s}.png", icon(s))
    source = ["// Made by frontend/res/make_images.py; do not edit.\n#include \"frontend/res/ResourceImages.h\"\n"]
    for name, (file_name, img) in images.items():
        data = png_bytes(img)
        (out / file_name).write_bytes(data)
        source.append(cpp_array(name, data))
    (out / "ResourceImages.cpp").write_text("\n".join(source))


if __name__ == "__main__":
    main()
