#!/usr/bin/python3
"""Time of converting one page of many formatted runs, and of running its
generated program alone through the script control.

    bench/engine/many_runs.py [build folder] [runs...]

For each run count (default 20000) a one-page PDF is made here with cairo:
lines of short words in one block, each word in another colour than the
one before, so that every word is a run of its own."""
import cairo

from long_documents import convert_each

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
    convert_each([20000], "%d runs on one page", make_pdf,
                 lambda text: "boxes %d, runs %d" % (text.count("AddTextbox("), text.count("Set ppFont")))


if __name__ == "__main__":
    main()
