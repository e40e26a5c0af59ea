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

PixelSize PagePixelSize(PDFDoc* doc, int page, double dpi)
{
    double width = doc->getPageCropWidth(page), height = doc->getPageCropHeight(page);
    if (!std::isfinite(width) || !std::isfinite(height))
        return {};
    const int rotate = doc->getPageRotate(page); // the core turns only by these
    if (rotate == 90 || rotate == 270)
        std::swap(width, height);
    return {std::max(1, PixelSide(width, dpi)), std::max(1, PixelSide(height, dpi))};
}
