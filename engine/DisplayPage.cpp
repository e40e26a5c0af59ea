#include "engine/DisplayPage.h"

#include "engine/PageDeviceHooks.h"

#include <PDFDoc.h>

void DisplayPage(PDFDoc* doc, OutputDev* device, int page, double dpi)
{
    g_lastDisplayedPage = page;
    doc->displayPage(device, page, dpi, dpi, 0, false, true, false);
}
