// The core's page devices with the engine's drawChar: the raster device
// paints no text drawn through fonts, the text device keeps every character.
// Type 3 glyphs are painted as graphics by the raster device and reach the
// text device as characters.
#pragma once

#include <SplashOutputDev.h>
#include <TextOutputDev.h>

class EngineSplashOutputDev : public SplashOutputDev {
public:
    // 24-bit BGR, rows aligned to 1 byte, white paper, top-down rows.
    EngineSplashOutputDev();

    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override;
};

class EngineTextOutputDev : public TextOutputDev {
public:
    // No output file, physical layout, no fixed pitch, reading order.
    EngineTextOutputDev();

    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override;

protected:
    EngineTextOutputDev(TextOutputFunc func, void* stream);
};

// A text device that dumps each page's text to a stream, then, after a page
// with text, the page separator (g_pageDeviceOptions.pageSeparatorTemplate) and the page break.
class SeparatorTextOutputDev : public EngineTextOutputDev {
public:
    SeparatorTextOutputDev(TextOutputFunc func, void* stream);

    void endPage() override;

private:
    TextOutputFunc func_;
    void* stream_;
};
