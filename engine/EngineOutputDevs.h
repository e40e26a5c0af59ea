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

    // A CID font the document does not carry first gets its display font.
    void updateFont(GfxState* state) override;

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
// with text, the page separator (g_pageDeviceOptions.pageSeparatorTemplate)
// and, when the page-break setting is on, the page break.
class SeparatorTextOutputDev : public EngineTextOutputDev {
public:
    SeparatorTextOutputDev(TextOutputFunc func, void* stream);

    // The page-break setting is the core's own (setTextPageBreaks), on by
    // default; these name it too. The break follows the separator, so this
    // device writes it, not the core.
    void setPageBreaks(bool on) { setTextPageBreaks(on); }
    bool getPageBreaks() const;

    void endPage() override;

private:
    TextOutputFunc func_;
    void* stream_;
};
