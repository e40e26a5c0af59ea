// The resolution a document is rendered at. Slide geometry is the page
// picture's pixels written as points, so a page whose picture would be
// larger than the presentation application's largest slide renders the
// whole document at the one lower resolution at which it fits.
#pragma once

class PDFDoc;

constexpr double renderDpi = 150;

// The application's largest slide side in points. Shapes must end within
// 4095 points, which leaves room for the 50 points a text box is wider
// than its text.
constexpr int kMaxSlideSide = 4032;
// The edge no shape may end past, in points from the slide's corner.
constexpr int kMaxShapeEdge = 4095;

// The pixels a page side of so many points spans at dpi, rounded as the
// core rounds its bitmap's size; at most INT_MAX.
int PixelSide(double points, double dpi);

// 150 dpi when a page side of so many points fits a slide at 150 dpi, else
// the resolution at which it spans exactly the largest slide side.
double ResolutionToFit(double points);

// The resolution for the document's largest selected page (its cropped
// size, either way up), computed once before the first slide.
double DocumentResolution(PDFDoc* doc);

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The size of the bitmap the core renders the page into at dpi: its cropped
// size, turned with the page, at least one pixel each way. All zero when
// the page's size is not a finite number.
PixelSize PagePixelSize(PDFDoc* doc, int page, double dpi);
