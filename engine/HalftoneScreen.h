// The halftone screen test a 1-bit page picture uses, with near-white
// values always on. The core's own screen is out of reach (neither its
// matrix nor its members are exported), so this holds its own.
#pragma once

#include <vector>

struct HalftoneScreen {
    int size = 0;                    // the matrix is size x size
    std::vector<unsigned char> mat;  // row-major thresholds
    unsigned char minVal = 0;        // below: always off
    unsigned char maxVal = 255;      // from here: always on
};

// 1 (pixel on) or 0 for the grey value at (x, y).
int ScreenTest(const HalftoneScreen& screen, int x, int y, unsigned char value);
