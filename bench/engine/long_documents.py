#!/usr/bin/python3
"""Peak memory and time of converting long documents, and of running their
generated programs alone through the script control.

    bench/engine/long_documents.py [build folder] [page counts...]

For each page count (default 250 and 1000) a PDF is made here with cairo:
every page holds a coloured box and 40 lines of text in three styles and
colours. The conversion runs in its own process through the engine's
exported calls (ConversionMemory); its generated program is saved with the
pictures it names and then run alone (ProgramMemory)."""
import os
import subprocess
import sys
import tempfile

from cairo_pages import HEIGHT, WIDTH, draw_styled_lines, make_pdf


def draw_page(ctx, n):
    ctx.set_source_rgb(0.85, 0.9, 1.0 - (n % 5) * 0.05)
    ctx.rectangle(36, 36, WIDTH - 72, HEIGHT - 72)
    ctx.fill()
    draw_styled_lines(ctx, n, lines=40, top=60, step=17, size=11, words=12)


def run(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(" ".join(command) + " failed:\n" + done.stdout[-2000:] + done.stderr[-2000:])
    return done.stdout.strip()


def convert_each(default_counts, label, make, describe=None):
    """For each count on the command line (else the defaults): makes its PDF
    with make(path, count), converts it, and runs its program alone;
    describe(program text) adds a line of its own."""
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "build"))
    counts = [int(a) for a in sys.argv[2:]] or default_counts
    convert = os.path.join(build, "bench", "engine", "ConversionMemory")
    alone = os.path.join(build, "bench", "script", "ProgramMemory")
    for tool in (convert, alone):
        if not os.path.exists(tool):
            sys.exit("no %s (configure with -DCORVANE_BENCH=ON and build)" % tool)
    with tempfile.TemporaryDirectory(prefix="bench-") as folder:
        for count in counts:
            pdf = os.path.join(folder, "%d.pdf" % count)
            kept = os.path.join(folder, "program-%d" % count)
            make(pdf, count)
            print(label % count)
            print("  conversion:   " + run([convert, pdf, os.path.join(folder, "%d.ppt" % count), kept]))
            if describe:
                with open(os.path.join(kept, "program.vbs")) as program:
                    print("  " + describe(program.read()))
            print("  program only: " + run([alone, os.path.join(kept, "program.vbs")]))


def main():
    convert_each([250, 1000], "%d pages", lambda path, pages: make_pdf(path, pages, draw_page))


if __name__ == "__main__":
    main()
