#include "engine/HalftoneScreen.h"

#include "engine/PageDeviceHooks.h"

#include <cstdlib>

int ScreenTest(const HalftoneScreen& screen, int x, int y, unsigned char value)
{
    if (g_drawingGlyph == 1 && g_pageDeviceOptions.halftoneGlyphs == 0)
        return 0;
    if (int(value) >= int(screen.maxVal) - 5)
        return 1;
    if (value < screen.minVal)
        return 0;
    if (value >= screen.maxVal)
        return 1;
    if (screen.size <= 0 || screen.mat.size() < size_t(screen.size) * size_t(screen.size))
        return 1; // no usable matrix
    int xx = std::abs(x % screen.size);
    int yy = std::abs(y % screen.size);
    return value >= screen.mat[size_t(yy * screen.size + xx)] ? 1 : 0;
}
