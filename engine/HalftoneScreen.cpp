#include "engine/HalftoneScreen.h"

#include "engine/PageDeviceHooks.h"

#include <splash/SplashScreen.h>

#include <cstdlib>

int ScreenTest(const HalftoneScreen& screen, int x, int y, unsigned char value)
{
    if (g_drawingGlyph == 1 && g_halftoneGlyphs == 0)
        return 0;
    if (int(value) >= int(screen.maxVal) - 5)
        return 1;
    if (value < screen.minVal)
        return 0;
    if (value >= screen.maxVal)
        return 1;
    if (screen.size <= 0)
        return 1;
    int xx = std::abs(x % screen.size);
    int yy = std::abs(y % screen.size);
    return value >= screen.mat[size_t(yy * screen.size + xx)] ? 1 : 0;
}

// The lowest value the screen turns on at (x, y) is its threshold there.
static unsigned char Threshold(SplashScreen& screen, int x, int y)
{
    for (int value = 0; value < 255; ++value)
        if (screen.test(x, y, (unsigned char)value))
            return (unsigned char)value;
    return 255;
}

HalftoneScreen CopyScreen(SplashScreen& screen, int size)
{
    HalftoneScreen copy;
    copy.size = size;
    copy.mat.resize(size_t(size * size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            copy.mat[size_t(y * size + x)] = Threshold(screen, x, y);
    int value = 0;
    while (value < 256 && screen.isStatic((unsigned char)value))
        ++value;
    copy.minVal = (unsigned char)(value < 256 ? value : 0);
    while (value < 256 && !screen.isStatic((unsigned char)value))
        ++value;
    copy.maxVal = (unsigned char)(value < 256 ? value : 255);
    return copy;
}
