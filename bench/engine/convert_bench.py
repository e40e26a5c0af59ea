#!/usr/bin/python3
"""Times one conversion of a 50-page PDF by the engine library against the
PDF core's own tools doing the same two passes (pdftoppm -r 150 -png, then
pdftotext), and prints the ratio and the conversion's peak memory.

    bench/engine/convert_bench.py [path/to/libCorvane.so]

The PDF is made here with cairo: every page holds a heading, paragraphs of
text in three styles and colours, and vector shapes."""
import os
import re
import subprocess
import sys
import tempfile
import time

import cairo

from cairo_pages import draw_styled_lines, make_pdf, paragraph

PAGES = 50


def draw_page(ctx, n):
    ctx.set_source_rgb(1, 1, 1)
    ctx.paint()
    for i in range(12):  # vector content
        ctx.set_source_rgb((i * 37 % 255) / 255, (n * 11 % 255) / 255, 0.6)
        ctx.rectangle(40 + i * 44, 640 + (i % 3) * 20, 36, 60)
        ctx.fill()
        ctx.arc(80 + i * 40, 120, 15 + i % 5, 0, 6.283)
        ctx.stroke()
    ctx.set_source_rgb(0, 0, 0)
    ctx.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(22)
    ctx.move_to(50, 70)
    ctx.show_text("Page %d: %s" % (n, paragraph(n, 4)))
    draw_styled_lines(ctx, n, lines=24, top=180, step=18, size=12, words=14)


CONVERT = """
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
lib.CorvaneSetup(b"")
start = time.perf_counter()
result = lib.Corvane(sys.argv[2].encode(), sys.argv[3].encode(), b"")
print("result %d seconds %.6f" % (result, time.perf_counter() - start))
"""


def timed_conversion(library, pdf, out):
    run = subprocess.run(["/usr/bin/time", "-v", "/usr/bin/python3", "-c", CONVERT, library, pdf, out],
                         capture_output=True, text=True)
    found = re.search(r"result (-?\d+) seconds ([\d.]+)", run.stdout)
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr)
    if not found or not peak:
        sys.exit("conversion failed:\n" + run.stdout[-2000:] + run.stderr[-2000:])
    return int(found.group(1)), float(found.group(2)), int(peak.group(1))


def timed_core_tools(pdf, folder):
    start = time.perf_counter()
    subprocess.run(["pdftoppm", "-r", "150", "-png", pdf, os.path.join(folder, "page")], check=True)
    subprocess.run(["pdftotext", pdf, os.path.join(folder, "text.txt")], check=True)
    return time.perf_counter() - start


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    library = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "build", "libCorvane.so")
    library = os.path.abspath(library)
    if not os.path.exists(library):
        sys.exit("no engine library at " + library + " (build it, or pass its path)")
    with tempfile.TemporaryDirectory(prefix="convert-bench-") as folder:
        pdf = os.path.join(folder, "bench.pdf")
        make_pdf(pdf, PAGES, draw_page)
        result, seconds, peak_kb = timed_conversion(library, pdf, os.path.join(folder, "bench.ppt"))
        core = timed_core_tools(pdf, folder)
        print("pages:                    %d" % PAGES)
        print("conversion result:        %d" % result)
        print("conversion:               %.3f s" % seconds)
        print("pdftoppm -r 150 + pdftotext: %.3f s" % core)
        print("ratio (conversion/tools): %.2f" % (seconds / core))
        print("peak memory (conversion): %.1f MiB" % (peak_kb / 1024))


if __name__ == "__main__":
    main()
