// Displaying one page on a page device at the engine's resolution.
#pragma once

class OutputDev;
class PDFDoc;

constexpr double renderDpi = 150;

// Records the page in g_lastDisplayedPage, then displays it at 150 dpi, not
// rotated, cropped, for the screen.
void DisplayPage(PDFDoc* doc, OutputDev* device, int page);
