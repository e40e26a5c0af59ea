// The engine's page devices on small PDFs made by Ghostscript: the raster
// device paints no text drawn through fonts, the text device keeps all of
// it, Type 3 glyphs are painted, clipping text modes clip nothing, and the
// dumping text device writes a page separator after each non-empty page.
#include "engine/DisplayPage.h"
#include "engine/EngineOutputDevs.h"
#include "engine/PageDeviceHooks.h"
#include "tests/ScopedValue.h"
#include "tests/support/PdfMaker.h"

#include <Error.h>
#include <GfxState.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

void Silent(ErrorCategory, Goffset, const char*) {}

class PageDevices : public testing::Test {
protected:
    void SetUp() override
    {
        setErrorCallback(Silent);
        globalParams = std::make_unique<GlobalParams>();
        globalParams->setTextEncoding("UTF-8");
    }
    void TearDown() override { globalParams.reset(); }

    std::unique_ptr<PDFDoc> Open(const std::string& name, const std::string& postScript)
    {
        auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(MakePdf(folder, name, postScript)));
        EXPECT_TRUE(doc->isOk());
        return doc;
    }

    // Starts the raster device on doc and paints page 1 into it.
    static void PaintFirstPage(PDFDoc* doc, EngineSplashOutputDev* raster)
    {
        raster->startDoc(doc);
        DisplayPage(doc, raster, 1);
    }

    ScratchFolder folder;
};

// Points of the page, y up, to a pixel box of the 150 dpi bitmap.
struct Box {
    double x0, y0, x1, y1; // page points
};

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(SplashBitmap* bitmap, int x, int y)
{
    const unsigned char* p = bitmap->getDataPtr() + y * bitmap->getRowSize() + x * 3;
    return {p[2], p[1], p[0]}; // blue, green, red
}

// Counts the pixels in the box (page points, page height h) that are not white.
int InkIn(SplashBitmap* bitmap, double pageHeight, const Box& box)
{
    const double scale = 150.0 / 72.0;
    int ink = 0;
    int left = int(box.x0 * scale), right = int(box.x1 * scale);
    int top = int((pageHeight - box.y1) * scale), bottom = int((pageHeight - box.y0) * scale);
    for (int y = std::max(top, 0); y < std::min(bottom, bitmap->getHeight()); ++y)
        for (int x = std::max(left, 0); x < std::min(right, bitmap->getWidth()); ++x) {
            Rgb c = PixelAt(bitmap, x, y);
            ink += c.r < 255 || c.g < 255 || c.b < 255;
        }
    return ink;
}

std::string PageText(TextOutputDev* device)
{
    std::unique_ptr<GooString> text(device->getText(0, 0, 1e6, 1e6));
    return text ? text->toStr() : std::string();
}

const char* const helloPage = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (Hello) show
0 0 0 setrgbcolor 200 20 60 40 rectfill
showpage
)";

TEST_F(PageDevices, ThePictureHasNoTextButKeepsGraphics)
{
    auto doc = Open("hello", helloPage);
    EngineSplashOutputDev raster;
    PaintFirstPage(doc.get(), &raster);
    SplashBitmap* bitmap = raster.getBitmap();
    EXPECT_EQ(bitmap->getWidth(), 625);
    EXPECT_EQ(bitmap->getHeight(), 417);
    EXPECT_EQ(InkIn(bitmap, 200, {0, 60, 190, 200}), 0) << "text pixels in the picture";
    EXPECT_GT(InkIn(bitmap, 200, {205, 25, 255, 55}), 5000) << "the rectangle is missing";

    // The core's own device paints the text there.
    SplashColor white = {255, 255, 255};
    SplashOutputDev core(splashModeBGR8, 1, false, white, true);
    core.startDoc(doc.get());
    DisplayPage(doc.get(), &core, 1);
    EXPECT_GT(InkIn(core.getBitmap(), 200, {0, 60, 190, 200}), 500);

    EngineTextOutputDev text;
    DisplayPage(doc.get(), &text, 1);
    EXPECT_EQ(PageText(&text), "Hello");
    EXPECT_EQ(g_lastDisplayedPage, 1);
}

// Remembers, per character, whether it counted as rotated.
class RotationRecorder : public EngineTextOutputDev {
public:
    void drawChar(GfxState* state, double x, double y, double dx, double dy, double originX, double originY,
                  CharCode code, int nBytes, const Unicode* u, int uLen) override
    {
        if (uLen > 0)
            (IsTextRotated(state) ? rotated : upright) += char(u[0]);
        EngineTextOutputDev::drawChar(state, x, y, dx, dy, originX, originY, code, nBytes, u, uLen);
    }
    std::string rotated, upright;
};

const char* const rotatedPage = R"(%!PS
<< /PageSize [300 300] >> setpagedevice
/Helvetica findfont 20 scalefont setfont
20 250 moveto (Upright) show
gsave 200 40 translate 90 rotate 0 0 moveto (Turned) show grestore
gsave 150 120 translate 180 rotate 0 0 moveto (Flip) show grestore
showpage
)";

TEST_F(PageDevices, RotatedTextIsDetectedAndKeptInTheTextLayer)
{
    auto doc = Open("rotated", rotatedPage);
    RotationRecorder text;
    DisplayPage(doc.get(), &text, 1);
    EXPECT_EQ(text.rotated, "Turned");
    EXPECT_EQ(text.upright, "UprightFlip");
    std::string all = PageText(&text);
    EXPECT_NE(all.find("Upright"), std::string::npos) << all;
    EXPECT_NE(all.find("Turned"), std::string::npos) << all;

    EngineSplashOutputDev raster;
    PaintFirstPage(doc.get(), &raster);
    EXPECT_EQ(InkIn(raster.getBitmap(), 300, {0, 0, 300, 300}), 0);
}

TEST_F(PageDevices, WithRotatedTextInThePictureOnlyThatTextIsPainted)
{
    ScopedValue rotatedInPicture(g_pageDeviceOptions.drawRotatedTextInPicture, 1);
    auto doc = Open("rotated", rotatedPage);
    EngineSplashOutputDev raster;
    PaintFirstPage(doc.get(), &raster);
    SplashBitmap* bitmap = raster.getBitmap();
    EXPECT_GT(InkIn(bitmap, 300, {175, 35, 205, 110}), 200) << "turned text missing";
    EXPECT_EQ(InkIn(bitmap, 300, {0, 235, 150, 280}), 0) << "upright text painted";
    EXPECT_EQ(InkIn(bitmap, 300, {90, 95, 155, 125}), 0) << "upside-down text painted";
    EXPECT_EQ(g_drawingGlyph, 0);

    EngineTextOutputDev text;
    DisplayPage(doc.get(), &text, 1);
    std::string all = PageText(&text);
    EXPECT_NE(all.find("Upright"), std::string::npos) << all;
    EXPECT_EQ(all.find("Turned"), std::string::npos) << all;
}

const char* const type3Page = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
8 dict begin
/FontType 3 def
/FontMatrix [0.001 0 0 0.001 0 0] def
/FontBBox [0 0 1000 1000] def
/Encoding 256 array def
0 1 255 { Encoding exch /.notdef put } for
Encoding 65 /A put
/CharProcs 2 dict def
CharProcs begin
  /.notdef {} def
  /A { 0 0 moveto 800 0 lineto 800 800 lineto 0 800 lineto closepath fill } def
end
/BuildGlyph { 1000 0 0 0 800 800 setcachedevice exch /CharProcs get exch get exec } def
/BuildChar { 1 index /Encoding get exch get 1 index /BuildGlyph get exec } def
currentdict end /BoxFont exch definefont pop
/BoxFont findfont 20 scalefont setfont
20 150 moveto (AAA) show
showpage
)";

TEST_F(PageDevices, Type3TextIsPaintedAndReachesTheTextLayer)
{
    auto doc = Open("type3", type3Page);
    EngineSplashOutputDev raster;
    PaintFirstPage(doc.get(), &raster);
    // Three 16-point boxes from x 20 to 76 at y 150 to 166.
    EXPECT_GT(InkIn(raster.getBitmap(), 200, {21, 151, 35, 165}), 700);
    EXPECT_EQ(InkIn(raster.getBitmap(), 200, {100, 0, 300, 200}), 0);

    EngineTextOutputDev text;
    DisplayPage(doc.get(), &text, 1);
    EXPECT_EQ(PageText(&text), "AAA");
}

const char* const clipPage = R"(%!PS
<< /PageSize [300 300] >> setpagedevice
/Helvetica findfont 20 scalefont setfont
4 1 7 {
  /mode exch def
  gsave
  20 260 mode 4 sub 60 mul sub moveto
  mode .settextrenderingmode (Clip) show
  0 0 1 setrgbcolor 200 260 mode 4 sub 60 mul sub 40 20 rectfill
  grestore
} for
showpage
)";

// The PDF writer closes a graphics state right after each text object; with
// that "Q" blanked out (same length, so the file stays consistent) the
// rectangle after the text is drawn under the text's clip.
std::unique_ptr<PDFDoc> OpenWithTextClipKept(const ScratchFolder& folder)
{
    std::string pdf = MakePdf(folder, "clip", clipPage, "-r72 -dCompressPages=false");
    std::ifstream in(pdf, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    size_t blanked = 0;
    for (size_t at = bytes.find("ET\nQ\n"); at != std::string::npos; at = bytes.find("ET\nQ\n", at + 1), ++blanked)
        bytes[at + 3] = ' ';
    EXPECT_EQ(blanked, 4u);
    std::ofstream(pdf, std::ios::binary) << bytes;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(pdf));
    EXPECT_TRUE(doc->isOk());
    return doc;
}

TEST_F(PageDevices, ClippingTextModesLeaveThePictureUnclipped)
{
    auto doc = OpenWithTextClipKept(folder);
    EngineSplashOutputDev raster;
    PaintFirstPage(doc.get(), &raster);
    SplashBitmap* bitmap = raster.getBitmap();
    const double scale = 150.0 / 72.0;
    for (int mode = 4; mode <= 7; ++mode) {
        double y = 260 - (mode - 4) * 60 + 10; // the middle of the filled rectangle
        Rgb c = PixelAt(bitmap, int(220 * scale), int((300 - y) * scale));
        EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 255) << "mode " << mode << ": " << c.r << "," << c.g << "," << c.b;
    }
    EXPECT_EQ(InkIn(bitmap, 300, {0, 0, 150, 300}), 0);

    // The core's own device clips the rectangles away to the glyphs.
    SplashColor white = {255, 255, 255};
    SplashOutputDev core(splashModeBGR8, 1, false, white, true);
    core.startDoc(doc.get());
    DisplayPage(doc.get(), &core, 1);
    Rgb clipped = PixelAt(core.getBitmap(), int(220 * scale), int((300 - 270) * scale));
    EXPECT_NE(clipped.b - clipped.r, 255);

    EngineTextOutputDev text;
    DisplayPage(doc.get(), &text, 1);
    EXPECT_NE(PageText(&text).find("Clip"), std::string::npos);
}

void Append(void* stream, const char* text, int length)
{
    static_cast<std::string*>(stream)->append(text, size_t(length));
}

// Three pages: text, none, text.
const char* const textEmptyText = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 20 scalefont setfont
20 100 moveto (One) show showpage
showpage
20 100 moveto (Three) show showpage
)";

TEST_F(PageDevices, TheDumpWritesTheSeparatorAfterEachPageWithText)
{
    auto doc = Open("three", textEmptyText);
    ASSERT_EQ(doc->getNumPages(), 3);
    std::string dump;
    {
        ScopedValue separator(g_pageDeviceOptions.pageSeparatorTemplate, "<%PageNumber%/%PageCount%>");
        SeparatorTextOutputDev device(Append, &dump);
        for (int page = 1; page <= 3; ++page)
            DisplayPage(doc.get(), &device, page);
    }
    EXPECT_EQ(dump, "One\n<1/0>\fThree\n<3/0>\f");

    std::string plain;
    SeparatorTextOutputDev noTemplate(Append, &plain);
    for (int page = 1; page <= 3; ++page)
        DisplayPage(doc.get(), &noTemplate, page);
    EXPECT_EQ(plain, "One\n\fThree\n\f");

    // With the page-break setting off, the separator alone ends a page.
    for (const char* separator : {"<%PageNumber%>", ""}) {
        ScopedValue kept(g_pageDeviceOptions.pageSeparatorTemplate, separator);
        std::string unbroken;
        SeparatorTextOutputDev device(Append, &unbroken);
        EXPECT_TRUE(device.getPageBreaks());
        device.setPageBreaks(false);
        for (int page = 1; page <= 3; ++page)
            DisplayPage(doc.get(), &device, page);
        EXPECT_EQ(unbroken, *separator ? "One\n<1>Three\n<3>" : "One\nThree\n");
    }
}

// The core's page-break setting and the device's are one: set either way
// through either name, a page with text ends in one break or in none, and
// the empty page gets none.
TEST_F(PageDevices, TheCoresPageBreakSettingIsTheDevicesOne)
{
    auto doc = Open("breaks", textEmptyText);
    ASSERT_EQ(doc->getNumPages(), 3);
    ScopedValue separator(g_pageDeviceOptions.pageSeparatorTemplate, "<%PageNumber%>");
    struct Case {
        bool throughCore, on;
        const char* dump;
    } cases[] = {
        {true, true, "One\n<1>\fThree\n<3>\f"},
        {true, false, "One\n<1>Three\n<3>"},
        {false, true, "One\n<1>\fThree\n<3>\f"},
        {false, false, "One\n<1>Three\n<3>"},
    };
    for (const Case& c : cases) {
        std::string dump;
        SeparatorTextOutputDev device(Append, &dump);
        if (c.throughCore)
            static_cast<TextOutputDev&>(device).setTextPageBreaks(c.on);
        else
            device.setPageBreaks(c.on);
        EXPECT_EQ(device.getPageBreaks(), c.on);
        for (int page = 1; page <= 3; ++page)
            DisplayPage(doc.get(), &device, page);
        EXPECT_EQ(dump, c.dump) << c.throughCore << c.on;
    }
}

} // namespace
