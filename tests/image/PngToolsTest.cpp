// PNG files judged by outside tools: pngcheck for the chunks, Python's
// imaging library for the pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ImageProbe.h"
#include "OutsideTools.h"

namespace {

// pngcheck -v output of a file that pngcheck accepts.
std::string Pngcheck(const std::string& path)
{
    std::string missing = MissingTool("pngcheck");
    if (!missing.empty()) {
        ADD_FAILURE() << missing;
        return "";
    }
    ToolRun run = RunTool("pngcheck -v '" + path + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("No errors detected"), std::string::npos) << run.output;
    return run.output;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

struct Judged {
    std::string report;  // pngcheck's
    ReadBack back;       // the imaging library's
};

// Saves the image, has both tools judge the file, and removes it.
Judged SaveAndRead(CxImage& image, const std::string& name)
{
    Judged judged;
    std::string path = TempPngPath(name);
    EXPECT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    judged.report = Pngcheck(path);
    judged.back = ReadWithPil(path);
    remove(path.c_str());
    return judged;
}

// Saves the image and checks that the imaging library reads back exactly
// its pixels; returns pngcheck's report.
std::string SaveAndJudge(CxImage& image, const std::string& name, const char* mode)
{
    std::vector<unsigned char> expected = ExpectedRgba(image);
    Judged judged = SaveAndRead(image, name);
    const ReadBack& back = judged.back;
    EXPECT_TRUE(back.ok) << back.error;
    if (back.ok) {
        EXPECT_EQ(back.mode, mode);
        EXPECT_EQ(back.width, LONG(image.GetWidth()));
        EXPECT_EQ(back.height, LONG(image.GetHeight()));
        EXPECT_TRUE(back.rgba == expected) << name << ": pixels differ";
    }
    return judged.report;
}

void Gradient(CxImage& image, DWORD w, DWORD h)
{
    ASSERT_NE(image.Create(w, h, 24), nullptr);
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++)
            image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 40), BYTE(y * 60), BYTE(255 - x * 20 - y), 0});
}

// A picture with the grey palette, every pixel index 0.
void Grey(CxImage& image, DWORD w, DWORD h, DWORD bpp)
{
    ASSERT_NE(image.Create(w, h, bpp), nullptr);
    image.SetGrayPalette();
}

// A palette picture whose entry i is (i*3, 255-i, i*7) and whose pixel
// (x, y) uses entry (x + 3y) mod colours.
void Indexed(CxImage& image, DWORD w, DWORD h, DWORD bpp)
{
    ASSERT_NE(image.Create(w, h, bpp), nullptr);
    DWORD colours = image.GetNumColors();
    for (DWORD i = 0; i < colours; i++)
        image.SetPaletteColor(BYTE(i), BYTE(i * 3), BYTE(255 - i), BYTE(i * 7));
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++) image.SetPixelIndex(x, y, BYTE((x + 3 * y) % colours));
}

TEST(PngTools, RgbPictureIsPlainTwentyFourBit)
{
    ImageProbe image;
    Gradient(image, 2, 2);
    std::string report = SaveAndJudge(image, "rgb", "RGB");
    EXPECT_TRUE(Has(report, "2 x 2 image, 24-bit RGB, non-interlaced")) << report;
    EXPECT_TRUE(Has(report, "chunk bKGD")) << report;
    EXPECT_TRUE(Has(report, "red = 0x00ff, green = 0x00ff, blue = 0x00ff")) << report;
    EXPECT_TRUE(Has(report, "3780x3780 pixels/meter")) << report;
    EXPECT_FALSE(Has(report, "PLTE")) << report;
    EXPECT_FALSE(Has(report, "tRNS")) << report;
}

TEST(PngTools, ResolutionFollowsTheImage)
{
    ImageProbe image;
    Gradient(image, 3, 1);
    image.SetXDPI(300);
    image.SetYDPI(150);
    std::string report = SaveAndJudge(image, "dpi", "RGB");
    EXPECT_TRUE(Has(report, "11811x5906 pixels/meter")) << report;
}

struct PaletteCase {
    DWORD bpp;
    DWORD important;
    const char* header;
    const char* plte;
};

void PrintTo(const PaletteCase& c, std::ostream* os) { *os << c.bpp << " bpp, " << c.important << " important"; }

class PngPalette : public testing::TestWithParam<PaletteCase> {};

TEST_P(PngPalette, WritesPlteOfTheUsedEntries)
{
    const PaletteCase& c = GetParam();
    ImageProbe image;
    Indexed(image, 9, 5, c.bpp);
    if (c.important) {
        image.Head().biClrImportant = c.important;
        for (DWORD y = 0; y < 5; y++)
            for (DWORD x = 0; x < 9; x++) image.SetPixelIndex(x, y, BYTE((x + y) % c.important));
    }
    std::string report = SaveAndJudge(image, "palette", "P");
    EXPECT_TRUE(Has(report, c.header)) << report;
    EXPECT_TRUE(Has(report, c.plte)) << report;
    EXPECT_TRUE(Has(report, "index = 0")) << report;
    EXPECT_FALSE(Has(report, "tRNS")) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Depths, PngPalette,
    testing::Values(PaletteCase{1, 0, "1-bit palette, non-interlaced", "2 palette entries"},
                    PaletteCase{4, 0, "4-bit palette, non-interlaced", "16 palette entries"},
                    PaletteCase{8, 0, "8-bit palette, non-interlaced", "256 palette entries"},
                    PaletteCase{8, 4, "8-bit palette, non-interlaced", "4 palette entries"},
                    // More important colours than the palette holds: capped.
                    PaletteCase{4, 300, "4-bit palette, non-interlaced", "16 palette entries"}));

TEST(PngTools, BlackAndWhitePaletteIsNotGrey)
{
    ImageProbe image;
    Grey(image, 10, 2, 1);
    image.SetPixelIndex(3, 1, 1);
    std::string report = SaveAndJudge(image, "bilevel", "P");
    EXPECT_TRUE(Has(report, "1-bit palette")) << report;
    EXPECT_TRUE(Has(report, "2 palette entries")) << report;
}

TEST(PngTools, IdentityGreyPaletteIsWrittenAsGrey)
{
    ImageProbe image;
    Grey(image, 7, 3, 8);
    for (DWORD i = 0; i < 21; i++) image.SetPixelIndex(i % 7, i / 7, BYTE(i * 12));
    std::string report = SaveAndJudge(image, "grey", "L");
    EXPECT_TRUE(Has(report, "8-bit grayscale, non-interlaced")) << report;
    EXPECT_TRUE(Has(report, "gray = 0x0000")) << report;
    EXPECT_FALSE(Has(report, "PLTE")) << report;
}

// A grey sample of n bits is the level sample x 255 / (2^n - 1), so only the
// ramp of the picture's own depth can go out as grey. Entry i = (i, i, i) at
// 1 or 4 bits is a palette of near-black colours and is written as one.
struct GreyCase {
    DWORD bpp;
    const char* palette;  // "ramp", "identity" or "ramp but one"
    bool alpha;
    const char* header;   // pngcheck's
    const char* mode;     // the imaging library's
};

void PrintTo(const GreyCase& c, std::ostream* os)
{
    *os << c.bpp << " bpp " << c.palette << (c.alpha ? " with alpha" : "");
}

void GreyCasePicture(CxImage& image, const GreyCase& c)
{
    ASSERT_NE(image.Create(9, 4, c.bpp), nullptr);
    image.SetGrayPalette();
    DWORD colours = image.GetNumColors();
    std::string palette = c.palette;
    if (palette == "identity")
        for (DWORD i = 0; i < colours; i++) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
    if (palette == "ramp but one") image.SetPaletteColor(BYTE(colours - 1), 254, 254, 254);
    for (DWORD y = 0; y < 4; y++)
        for (DWORD x = 0; x < 9; x++) image.SetPixelIndex(x, y, BYTE((x + 3 * y) % colours));
    if (!c.alpha) return;
    ASSERT_TRUE(image.AlphaCreate());
    for (LONG y = 0; y < 4; y++)
        for (LONG x = 0; x < 9; x++) image.AlphaSet(x, y, BYTE(x * 30 + y));
}

class PngGrey : public testing::TestWithParam<GreyCase> {};

TEST_P(PngGrey, OnlyTheRampOfTheDepthIsGrey)
{
    const GreyCase& c = GetParam();
    ImageProbe image;
    GreyCasePicture(image, c);
    std::string report = SaveAndJudge(image, "greyramp", c.mode);
    EXPECT_TRUE(Has(report, c.header)) << report;
    EXPECT_EQ(Has(report, "PLTE"), std::string(c.mode) == "P") << report;
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, PngGrey,
    testing::Values(GreyCase{4, "ramp", false, "4-bit grayscale, non-interlaced", "L"},
                    GreyCase{8, "ramp", false, "8-bit grayscale, non-interlaced", "L"},
                    GreyCase{1, "identity", false, "1-bit palette, non-interlaced", "P"},
                    GreyCase{4, "identity", false, "4-bit palette, non-interlaced", "P"},
                    GreyCase{8, "ramp but one", false, "8-bit palette, non-interlaced", "P"},
                    GreyCase{4, "ramp but one", false, "4-bit palette, non-interlaced", "P"},
                    // Black and white keeps its palette.
                    GreyCase{1, "ramp", false, "1-bit palette, non-interlaced", "P"},
                    GreyCase{4, "ramp", true, "16-bit grayscale+alpha, non-interlaced", "LA"},
                    GreyCase{4, "identity", true, "32-bit RGB+alpha, non-interlaced", "RGBA"}));

TEST(PngTools, GreyTransparentIndexIsOneGreyValue)
{
    ImageProbe image;
    Grey(image, 4, 1, 8);
    image.SetPixelIndex(2, 0, 9);
    image.SetTransIndex(9);
    Judged judged = SaveAndRead(image, "greytrns");
    EXPECT_TRUE(Has(judged.report, "chunk tRNS")) << judged.report;
    EXPECT_TRUE(Has(judged.report, "gray = 0x0009")) << judged.report;
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.rgba[2 * 4 + 3], 0);
    EXPECT_EQ(back.rgba[1 * 4 + 3], 255);
}

TEST(PngTools, TransparentIndexMovesToEntryZeroInTheFileOnly)
{
    ImageProbe image;
    Indexed(image, 6, 4, 8);
    image.SetTransIndex(5);
    std::vector<BYTE> before(image.Dib(), image.Dib() + image.GetSize());
    std::vector<unsigned char> expected = ExpectedRgba(image);
    RGBQUAD transparent = image.GetPaletteColor(5);
    for (size_t i = 0; i < expected.size(); i += 4) {
        if (expected[i] == transparent.rgbRed && expected[i + 1] == transparent.rgbGreen
            && expected[i + 2] == transparent.rgbBlue)
            expected[i + 3] = 0;
    }

    Judged judged = SaveAndRead(image, "trns");
    EXPECT_TRUE(Has(judged.report, "256 palette entries")) << judged.report;
    EXPECT_TRUE(Has(judged.report, "chunk tRNS")) << judged.report;
    EXPECT_TRUE(Has(judged.report, "1 transparency entry")) << judged.report;
    EXPECT_TRUE(Has(judged.report, "index = 0")) << judged.report;
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.mode, "P");
    EXPECT_TRUE(back.rgba == expected);
    // The caller's palette and pixels are as before.
    EXPECT_EQ(memcmp(image.Dib(), before.data(), before.size()), 0);
}

TEST(PngTools, AlphaPaletteFillsTrns)
{
    ImageProbe image;
    Indexed(image, 4, 4, 4);
    for (int i = 0; i < 16; i++) image.GetPalette()[i].rgbReserved = BYTE(i * 16);
    image.Info().bAlphaPaletteEnabled = true;
    Judged judged = SaveAndRead(image, "alphapalette");
    EXPECT_TRUE(Has(judged.report, "16 transparency entries")) << judged.report;
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    // Top row is y = 3: pixel (1, 3) uses entry (1 + 9) mod 16 = 10.
    EXPECT_EQ(back.rgba[1 * 4 + 3], 160);
}

TEST(PngTools, RgbWithAlphaPlaneIsRgba)
{
    ImageProbe image;
    Gradient(image, 5, 3);
    ASSERT_TRUE(image.AlphaCreate());
    for (LONG y = 0; y < 3; y++)
        for (LONG x = 0; x < 5; x++) image.AlphaSet(x, y, BYTE(x * 50 + y));
    std::string report = SaveAndJudge(image, "rgba", "RGBA");
    EXPECT_TRUE(Has(report, "32-bit RGB+alpha, non-interlaced")) << report;
    EXPECT_FALSE(Has(report, "tRNS")) << report;
}

TEST(PngTools, GreyWithAlphaPlaneIsGreyAlpha)
{
    ImageProbe image;
    Grey(image, 3, 2, 8);
    image.SetPixelIndex(1, 1, 77);
    ASSERT_TRUE(image.AlphaCreate());
    image.AlphaSet(1, 1, 33);
    std::string report = SaveAndJudge(image, "greyalpha", "LA");
    EXPECT_TRUE(Has(report, "16-bit grayscale+alpha")) << report;
}

// PNG has no palette type with an alpha channel: such a picture goes out as
// RGBA with the palette's colours.
TEST(PngTools, PaletteWithAlphaPlaneIsRgba)
{
    for (DWORD bpp : {1u, 4u, 8u}) {
        ImageProbe image;
        Indexed(image, 7, 3, bpp);
        ASSERT_TRUE(image.AlphaCreate());
        image.AlphaSet(2, 1, 0);
        image.AlphaSet(6, 2, 128);
        std::string report = SaveAndJudge(image, "palettealpha", "RGBA");
        EXPECT_TRUE(Has(report, "32-bit RGB+alpha")) << "bpp " << bpp << "\n" << report;
        EXPECT_FALSE(Has(report, "PLTE")) << report;
    }
}

TEST(PngTools, PaletteWithAlphaPlaneAndTransparentIndexClearsThatEntrysAlpha)
{
    ImageProbe image;
    Indexed(image, 6, 2, 8);
    ASSERT_TRUE(image.AlphaCreate());
    image.SetTransIndex(4);
    Judged judged = SaveAndRead(image, "palettekey");
    // Pixel (4, 0) and (1, 1) use entry 4.
    EXPECT_EQ(image.AlphaGet(4, 0), 0);
    EXPECT_EQ(image.AlphaGet(1, 1), 0);
    EXPECT_EQ(image.AlphaGet(2, 1), 255);
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.mode, "RGBA");
    EXPECT_TRUE(back.rgba == ExpectedRgba(image));
}

TEST(PngTools, TransparentColourOfRgbPicture)
{
    ImageProbe image;
    Gradient(image, 3, 2);
    image.Info().nBkgndColor = RGBQUAD{40, 60, 234, 0};  // the colour of pixel (1, 1)
    image.Info().nBkgndIndex = 0;
    Judged judged = SaveAndRead(image, "rgbtrns");
    EXPECT_TRUE(Has(judged.report, "chunk tRNS")) << judged.report;
    EXPECT_TRUE(Has(judged.report, "red = 0x00ea, green = 0x003c, blue = 0x0028")) << judged.report;
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.rgba[1 * 4 + 3], 0);   // top row is y = 1
    EXPECT_EQ(back.rgba[0 * 4 + 3], 255);
}

TEST(PngTools, TransparentColourClearsAlphaOfRgbaPicture)
{
    ImageProbe image;
    Gradient(image, 3, 2);
    ASSERT_TRUE(image.AlphaCreate());
    image.Info().nBkgndColor = RGBQUAD{40, 60, 234, 0};
    image.Info().nBkgndIndex = 0;
    Judged judged = SaveAndRead(image, "rgbakey");
    EXPECT_EQ(image.AlphaGet(1, 1), 0);
    EXPECT_EQ(image.AlphaGet(0, 1), 255);
    const ReadBack& back = judged.back;
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.rgba[1 * 4 + 3], 0);
    EXPECT_EQ(back.rgba[2 * 4 + 3], 255);
}

TEST(PngTools, CodecOptionOneInterlaces)
{
    struct Case { DWORD option; const char* text; };
    for (Case c : {Case{1, "24-bit RGB, interlaced"}, Case{2, "24-bit RGB, non-interlaced"}}) {
        ImageProbe image;
        Gradient(image, 11, 9);
        image.SetCodecOption(c.option, CXIMAGE_FORMAT_PNG);
        std::string report = SaveAndJudge(image, "interlace", "RGB");
        EXPECT_TRUE(Has(report, c.text)) << report;
    }
}

}  // namespace
