// The engine's settings inside the page devices, and the geometry and text
// helpers the devices use. The raster device paints no text (the text layer
// carries it); the text device keeps every character.
#pragma once

#include <string>

class GfxState;

// Switches of the page devices. The engine keeps their load values; only
// tests change them.
struct PageDeviceOptions {
    // Non-zero: rotated text is painted into the page picture and left out of
    // the text layer. 0: the picture holds no text drawn through fonts.
    int drawRotatedTextInPicture = 0;
    // 0: while a glyph is filled, the halftone screen turns every pixel off.
    int halftoneGlyphs = 1;
    // Written after each non-empty page of a text dump, with "%PageCount%"
    // and "%PageNumber%" replaced.
    std::string pageSeparatorTemplate;
    int dumpPageCount = 0;
};
extern PageDeviceOptions g_pageDeviceOptions;

// 1 while the raster device fills a glyph.
extern int g_drawingGlyph;
// The page the engine last asked the core to display.
extern int g_lastDisplayedPage;

// Applies the matrix (a, b, c, d, e, f) to (x, y); linearOnly leaves out the
// translation. Returns 0.
int TransformVector(const double matrix[6], double x, double y, double* outX, double* outY, int linearOnly);

// The angle in radians of the matrix's image of the unit x vector, with y
// pointing down; 0 for a degenerate matrix.
double VectorAngle(const double matrix[6]);

// 1 when the character's font matrix turns it by more than 10 degrees and is
// not within 10 degrees of upside down.
int IsTextRotated(const GfxState* state);

// Replaces every occurrence of key, left to right; inserted text is not
// searched again.
void replaceAll(std::string& text, const std::string& key, const std::string& replacement);

// The page separator for the page last displayed.
std::string PageSeparatorText();
