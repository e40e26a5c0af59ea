// The engine's settings inside the page devices, and the geometry and text
// helpers the devices use. The raster device paints no text (the text layer
// carries it); the text device keeps every character.
#pragma once

#include <string>

class GfxState;

// Non-zero: rotated text is painted into the page picture and left out of the
// text layer. 0: the picture holds no text drawn through fonts.
extern int g_drawRotatedTextInPicture;
// 1 while the raster device fills a glyph.
extern int g_drawingGlyph;
// 0: while a glyph is filled, the halftone screen turns every pixel off.
extern int g_halftoneGlyphs;
// Written after each non-empty page of a text dump, with "%PageCount%" and
// "%PageNumber%" replaced.
extern std::string g_pageSeparatorTemplate;
extern int g_dumpPageCount;
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
