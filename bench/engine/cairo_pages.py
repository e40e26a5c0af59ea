"""Page content the benchmarks draw with cairo: words and lines of text in
three styles and colours."""
import cairo

WIDTH, HEIGHT = 612, 792
WORDS = ("engine slide picture text box run colour font size page core raster "
         "device script writer layer bold italic vector shape").split()
STYLES = [(cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL, (0, 0, 0)),
          (cairo.FONT_SLANT_ITALIC, cairo.FONT_WEIGHT_NORMAL, (0.7, 0, 0)),
          (cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD, (0, 0, 0.7))]


def paragraph(seed, count):
    return " ".join(WORDS[(seed * 7 + i * 3) % len(WORDS)] for i in range(count))


def draw_styled_lines(ctx, seed, lines, top, step, size, words):
    """Lines of Liberation Serif, the styles taking turns, from top down."""
    y = top
    for line in range(lines):
        slant, weight, colour = STYLES[line % 3]
        ctx.select_font_face("Liberation Serif", slant, weight)
        ctx.set_font_size(size)
        ctx.set_source_rgb(*colour)
        ctx.move_to(50, y)
        ctx.show_text(paragraph(seed + line, words))
        y += step


def make_pdf(path, pages, draw_page):
    surface = cairo.PDFSurface(path, WIDTH, HEIGHT)
    ctx = cairo.Context(surface)
    for n in range(1, pages + 1):
        draw_page(ctx, n)
        ctx.show_page()
    surface.finish()
