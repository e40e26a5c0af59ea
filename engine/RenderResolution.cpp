#include "engine/RenderResolution.h"

#include "engine/PageSet.h"

#include <PDFDoc.h>

#include <algorithm>
#include <climits>
#include <cmath>

int PixelSide(double points, double dpi)
{
    const double pixels = dpi / 72.0 * points + 0.5;
    return pixels < double(INT_MAX) ? int(pixels) : INT_MAX;
}

double ResolutionToFit(double points)
{
    if (!std::isfinite(points) || PixelSide(points, renderDpi) <= kMaxSlideSide)
        return renderDpi;
    double dpi = kMaxSlideSide * 72.0 / points;
    while (PixelSide(points, dpi) > kMaxSlideSide) // rounding may leave it one over
        dpi = std::nextafter(dpi, 0.0);
    return dpi;
}

double DocumentResolution(PDFDoc* doc)
{
    double largest = 0;
    for (int n = 1; n <= doc->getNumPages(); ++n) {
        if (!IsPageSelected(n))
            continue;
        const double side = std::max(doc->getPageCropWidth(n), doc->getPageCropHeight(n));
        if (std::isfinite(side))
            largest = std::max(largest, side);
    }
    return ResolutionToFit(largest);
}
