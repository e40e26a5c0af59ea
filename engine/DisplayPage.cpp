#include "engine/DisplayPage.h"

#include "engine/PageDeviceHooks.h"

#include <PDFDoc.h>

void DisplayPage(PDFDoc* doc, OutputDev* device, int page)
{
    g_lastDisplayedPage = page;
    doc->displayPage(device, page, renderDpi, renderDpi, 0, false, true, false);
}
