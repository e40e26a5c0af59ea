#include "engine/EngineOutputDevs.h"

#include "engine/CorePrivateField.h"
#include "engine/PageDeviceHooks.h"
#include "engine/resources/DisplayFonts.h"

#include <GfxState.h>
#include <GlobalParams.h>

#include <string_view>

static_assert(std::string_view(POPPLER_VERSION).starts_with("22.12."),
              "the private page-break field was checked against Poppler 22.12 only");

static SplashColor whitePaper = {255, 255, 255};

EngineSplashOutputDev::EngineSplashOutputDev() : SplashOutputDev(splashModeBGR8, 1, false, whitePaper, true) {}

void EngineSplashOutputDev::drawChar(GfxState* state, double x, double y, double dx, double dy, double originX,
                                     double originY, CharCode code, int nBytes, const Unicode* u, int uLen)
{
    if (g_pageDeviceOptions.drawRotatedTextInPicture == 0)
        return;
    if (IsTextRotated(state) == 0)
        return;
    if (state->getRender() == 3)
        return; // invisible
    // Font update, fill, stroke and text clip are the core's own steps.
    g_drawingGlyph = 1;
    SplashOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
    g_drawingGlyph = 0;
}

void EngineSplashOutputDev::updateFont(GfxState* state)
{
    RegisterDisplayCIDFont(globalParams.get(), state->getFont().get());
    SplashOutputDev::updateFont(state);
}

EngineTextOutputDev::EngineTextOutputDev() : TextOutputDev(nullptr, true, 0.0, false, false) {}

EngineTextOutputDev::EngineTextOutputDev(TextOutputFunc func, void* stream)
    : TextOutputDev(func, stream, true, 0.0, false)
{
}

void EngineTextOutputDev::drawChar(GfxState* state, double x, double y, double dx, double dy, double originX,
                                   double originY, CharCode code, int nBytes, const Unicode* u, int uLen)
{
    if (g_pageDeviceOptions.drawRotatedTextInPicture != 0 && IsTextRotated(state) == 1)
        return; // left to the picture
    TextOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
}

namespace {

CORE_PRIVATE_FIELD(PageBreaks, TextOutputDev, bool, textPageBreaks);

} // namespace

SeparatorTextOutputDev::SeparatorTextOutputDev(TextOutputFunc func, void* stream)
    : EngineTextOutputDev(func, stream), func_(func), stream_(stream)
{
}

bool SeparatorTextOutputDev::getPageBreaks() const
{
    return CoreField<PageBreaks>(static_cast<const TextOutputDev*>(this));
}

void SeparatorTextOutputDev::endPage()
{
    // The core's break would come before the separator, and on an empty
    // page too: held back while the core dumps the page's text.
    const bool pageBreaks = getPageBreaks();
    setTextPageBreaks(false);
    EngineTextOutputDev::endPage();
    setTextPageBreaks(pageBreaks);
    if (!getFlows())
        return; // an empty page gets neither separator nor page break
    if (!g_pageDeviceOptions.pageSeparatorTemplate.empty()) {
        std::string separator = PageSeparatorText();
        func_(stream_, separator.data(), int(separator.size()));
    }
    if (pageBreaks)
        func_(stream_, "\f", 1);
}
