// Displaying one page on a page device.
#pragma once

#include "engine/RenderResolution.h"

class OutputDev;
class PDFDoc;

// Records the page in g_lastDisplayedPage, then displays it at dpi (150
// unless given), not rotated, cropped, for the screen.
void DisplayPage(PDFDoc* doc, OutputDev* device, int page, double dpi = renderDpi);
