#include "engine/PageBitmap.h"

#include <splash/SplashBitmap.h>

PageBitmap PageBitmapOf(SplashBitmap* bitmap)
{
    if (!bitmap)
        return {};
    PageBitmap page;
    page.data = bitmap->getDataPtr();
    page.width = bitmap->getWidth();
    page.height = bitmap->getHeight();
    page.rowSize = bitmap->getRowSize();
    page.blueGreenRed = bitmap->getMode() == splashModeBGR8;
    return page;
}
