#!/usr/bin/python3
"""Time of converting one page of many formatted runs, and of running its
generated program alone through the script control.

    bench/engine/many_runs.py [build folder] [runs...]

For each run count (default 20000) a one-page PDF is made here with cairo:
lines of short words in one block, each word in another colour than the
one before, so that every word is a run of its own."""
import os
import subprocess
import sys
import tempfile

import cairo

from long_documents import run

WORDS_PER_LINE = 100


def make_pdf(path, runs):
    lines = (runs + WORDS_PER_LINE - 1) // WORDS_PER_LINE
    width, height = 60 + WORDS_PER_LINE * 5.5, 60 + lines * 4
    surface = cairo.PDFSurface(path, width, height)
    ctx = cairo.Context(surface)
    ctx.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(3.5)
    for n in range(runs):
        line, word = divmod(n, WORDS_PER_LINE)
        ctx.set_source_rgb(0.8 if n % 2 else 0, 0, 0 if n % 2 else 0.8)
        ctx.move_to(30 + word * 5.5, 34 + line * 4)
        ctx.show_text("ab")
    ctx.show_page()
    surface.finish()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "build"))
    counts = [int(a) for a in sys.argv[2:]] or [20000]
    convert = os.path.join(build, "bench", "engine", "ConversionMemory")
    alone = os.path.join(build, "bench", "script", "ProgramMemory")
    for tool in (convert, alone):
        if not os.path.exists(tool):
            sys.exit("no %s (configure with -DCORVANE_BENCH=ON and build)" % tool)
    with tempfile.TemporaryDirectory(prefix="many-runs-") as folder:
        for runs in counts:
            pdf = os.path.join(folder, "%d.pdf" % runs)
            kept = os.path.join(folder, "program-%d" % runs)
            make_pdf(pdf, runs)
            print("%d runs on one page" % runs)
            print("  conversion:   " + run([convert, pdf, os.path.join(folder, "%d.ppt" % runs), kept]))
            with open(os.path.join(kept, "program.vbs")) as program:
                text = program.read()
            print("  boxes %d, runs %d" % (text.count("AddTextbox("), text.count("Set ppFont")))
            print("  program only: " + run([alone, os.path.join(kept, "program.vbs")]))


if __name__ == "__main__":
    main()
