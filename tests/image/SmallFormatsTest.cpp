// TGA, PCX, WBMP and SKA files judged by outside readers (Python's imaging
// library, netpbm) and by their bytes; RAW and WMF refuse.
#include <gtest/gtest.h>

#include <cstring>

#include "CodecFixtures.h"
#include "ImageProbe.h"

namespace {

struct RoundTrip {
    DWORD id;
    DWORD bpp;
    DWORD width;
    bool alpha;
    const char* converter;  // netpbm's converter, or ImageMagick's convert for alpha
    bool pil;            // PIL reads it back pixel for pixel
};

void PrintTo(const RoundTrip& c, std::ostream* os)
{
    *os << "format " << c.id << ", " << c.bpp << " bpp, width " << c.width << (c.alpha ? ", alpha" : "");
}

class SmallRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(SmallRoundTrip, OutsideReadersGetThePixels)
{
    const RoundTrip& c = GetParam();
    CxImage image;
    Pattern(image, c.width, 3, c.bpp, c.alpha);
    std::string path = TempPath("round", "img");
    EncodeBoth(image, c.id, path);

    // The converter's reading, through PIL's reading of what it wrote.
    bool keepsAlpha = c.alpha && c.bpp == 24;
    std::string converted = TempPath("round", "converted");
    std::string command = std::string(c.converter) + " '" + path + "'";
    if (Has(c.converter, "convert")) {
        command += " PNG32:'" + converted + "'";
    } else {
        std::string size = std::to_string(c.width) + " by 3";
        EXPECT_TRUE(Has(ThroughPamfile(command), size));
        command += " > '" + converted + "'";
        keepsAlpha = false;
    }
    ASSERT_EQ(RunTool(command + " 2>/dev/null").status, 0) << command;
    {
        SCOPED_TRACE(c.converter);
        ExpectPilPixels(converted, image, ExpectedRgbaWith(image, keepsAlpha ? -1 : 255));
    }
    remove(converted.c_str());

    if (c.pil) {
        bool pilAlpha = c.alpha && c.bpp == 24;
        ExpectPilPixels(path, image, ExpectedRgbaWith(image, pilAlpha ? -1 : 255));
    }
    remove(path.c_str());
}

// PIL's reader of 4-plane PCX lines skips no pad byte, so the padded lines
// of odd widths are judged by netpbm alone; only ImageMagick reads the alpha
// plane of a 4-plane PCX.
INSTANTIATE_TEST_SUITE_P(
    Formats, SmallRoundTrip,
    testing::Values(RoundTrip{CXIMAGE_FORMAT_TGA, 8, 5, false, "tgatoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_TGA, 24, 5, false, "tgatoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_TGA, 24, 7, true, "tgatoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_TGA, 8, 3, true, "tgatoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 1, 13, false, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 1, 17, false, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 4, 5, false, "pcxtoppm", false},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 4, 16, false, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 8, 5, false, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 8, 3, true, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 24, 5, false, "pcxtoppm", true},
                    RoundTrip{CXIMAGE_FORMAT_PCX, 24, 7, true, "convert", false},
                    RoundTrip{CXIMAGE_FORMAT_WBMP, 1, 13, false, "wbmptopbm", false},
                    RoundTrip{CXIMAGE_FORMAT_WBMP, 1, 200, false, "wbmptopbm", false}));

// A large run of the same value codes into runs of at most 63.
TEST(PcxRuns, LongRunsAndHighValues)
{
    CxImage image;
    ASSERT_NE(image.Create(200, 1, 8), nullptr);
    image.SetGrayPalette();
    for (LONG x = 0; x < 200; x++) image.SetPixelIndex(x, 0, 7);
    std::string path = TempPath("runs", "pcx");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_PCX, path);
    remove(path.c_str());
    ASSERT_EQ(b.size(), 128u + 8 + 769);
    const BYTE lines[] = {0xFF, 7, 0xFF, 7, 0xFF, 7, 0xCB, 7};
    EXPECT_EQ(memcmp(b.data() + 128, lines, sizeof(lines)), 0);
    EXPECT_EQ(b[128 + 8], 12);  // palette marker
}

struct LineCase {
    DWORD bpp, width;
    std::vector<int> indices;     // of the one row
    unsigned bytesPerLine;
    std::vector<BYTE> coded;      // the coded line
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.bpp << " bpp, width " << c.width; }

class PcxLine : public testing::TestWithParam<LineCase> {};

TEST_P(PcxLine, CodesOneLine)
{
    const LineCase& c = GetParam();
    CxImage image;
    ASSERT_NE(image.Create(c.width, 1, c.bpp), nullptr);
    image.SetPaletteColor(0, 0, 0, 0);
    image.SetPaletteColor(1, 255, 255, 255);
    for (DWORD x = 0; x < c.width; x++) image.SetPixelIndex(x, 0, BYTE(c.indices[x]));
    CxMemFile file;
    file.Open();
    ASSERT_TRUE(image.Encode(&file, CXIMAGE_FORMAT_PCX)) << image.GetLastError();
    std::vector<BYTE> b(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
    EXPECT_EQ(Le16(b, 66), c.bytesPerLine);
    std::vector<BYTE> coded(b.begin() + 128, b.end() - (c.bpp == 8 ? 769 : 0));
    EXPECT_EQ(coded, c.coded);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PcxLine,
    testing::Values(
        // Three values and the pad byte of the odd width.
        LineCase{8, 3, {1, 1, 0x20}, 4, {0xC2, 1, 0x20, 0}},
        // A lone value of 0xC0 or more takes a count byte.
        LineCase{8, 2, {0xC5, 0x20}, 2, {0xC1, 0xC5, 0x20}},
        // 9 pixels pack into 2 bytes; 17 into 3 plus a pad byte.
        LineCase{1, 9, {1, 0, 1, 0, 1, 0, 1, 0, 1}, 2, {0xAA, 0x80}},
        LineCase{1, 17, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}, 4, {0xC2, 0xFF, 0xC2, 0}}));

// White, black: the bits are inverted so that set bits are white under the
// header's black, white map.
TEST(PcxBits, BrightEntryZeroIsInverted)
{
    CxImage image;
    ASSERT_NE(image.Create(8, 1, 1), nullptr);
    image.SetPaletteColor(0, 255, 255, 255);
    image.SetPaletteColor(1, 0, 0, 0);
    for (LONG x = 0; x < 8; x++) image.SetPixelIndex(x, 0, BYTE(x < 2));
    std::string path = TempPath("invert", "pcx");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_PCX, path);
    ASSERT_EQ(b.size(), 128u + 2);
    EXPECT_EQ(b[128], 0x3F);  // two black pixels, six white
    ExpectPilPixels(path, image, ExpectedRgbaWith(image, 255));
    remove(path.c_str());
}

TEST(PcxHeader, FieldsDescribeTheImage)
{
    CxImage image;
    Pattern(image, 5, 3, 4);
    image.SetXDPI(300);
    image.SetYDPI(72);
    std::string path = TempPath("header", "pcx");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_PCX, path);
    ToolRun run = RunTool("identify -verbose '" + path + "' 2>&1");
    remove(path.c_str());
    ASSERT_GE(b.size(), 128u);
    EXPECT_EQ(b[0], 0x0A);          // manufacturer
    EXPECT_EQ(b[1], 5);             // version
    EXPECT_EQ(b[2], 1);             // run-length coding
    EXPECT_EQ(b[3], 1);             // bits per pixel per plane
    EXPECT_EQ(Le16(b, 8), 4u);      // x max
    EXPECT_EQ(Le16(b, 10), 2u);     // y max
    EXPECT_EQ(Le16(b, 12), 300u);   // horizontal resolution
    EXPECT_EQ(Le16(b, 14), 72u);    // vertical resolution
    RGBQUAD c = image.GetPaletteColor(9);
    EXPECT_EQ(b[16 + 27], c.rgbRed);  // colour map entry 9
    EXPECT_EQ(b[16 + 29], c.rgbBlue);
    EXPECT_EQ(b[65], 4);            // planes
    EXPECT_EQ(Le16(b, 66), 2u);     // bytes per plane line
    EXPECT_EQ(Le16(b, 68), 0u);     // palette information
    EXPECT_TRUE(Has(run.output, "Geometry: 5x3+0+0")) << run.output;
    EXPECT_TRUE(Has(run.output, "Resolution: 300x72")) << run.output;
}

TEST(TgaHeader, FieldsDescribeTheImage)
{
    struct Case {
        DWORD bpp;
        bool alpha;
        BYTE cmapType, imageType, depth;
        unsigned cmapLength, size;
    };
    const Case cases[] = {{8, false, 1, 1, 8, 256, 18 + 768 + 15},
                          {24, false, 0, 2, 24, 0, 18 + 45},
                          {24, true, 0, 2, 32, 0, 18 + 60}};
    for (const Case& c : cases) {
        CxImage image;
        Pattern(image, 5, 3, c.bpp, c.alpha);
        std::string path = TempPath("header", "tga");
        std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_TGA, path);
        ToolRun run = RunTool("identify -verbose '" + path + "' 2>&1");
        remove(path.c_str());
        SCOPED_TRACE(std::to_string(c.bpp) + (c.alpha ? " with alpha" : ""));
        ASSERT_EQ(b.size(), c.size);
        EXPECT_EQ(b[0], 0);                   // identification length
        EXPECT_EQ(b[1], c.cmapType);          // colour map type
        EXPECT_EQ(b[2], c.imageType);         // image type
        EXPECT_EQ(Le16(b, 5), c.cmapLength);  // colour map length
        EXPECT_EQ(b[7], c.cmapLength ? 24 : 0);
        EXPECT_EQ(Le16(b, 12), 5u);           // width
        EXPECT_EQ(Le16(b, 14), 3u);           // height
        EXPECT_EQ(b[16], c.depth);            // pixel depth
        EXPECT_EQ(b[17], 0);                  // image descriptor
        EXPECT_TRUE(Has(run.output, "Geometry: 5x3+0+0")) << run.output;
    }
}

TEST(WbmpHeader, MultiByteSizes)
{
    CxImage image;
    Pattern(image, 200, 100, 1);
    std::string path = TempPath("header", "wbmp");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_WBMP, path);
    remove(path.c_str());
    ASSERT_EQ(b.size(), 5u + 25 * 100);
    const BYTE header[] = {0x00, 0x00, 0x81, 0x48, 0x64};
    EXPECT_EQ(memcmp(b.data(), header, 5), 0);
}

// The imaging library reads the netpbm form of the WBMP: its bits are the
// stored indices, whatever colours the palette holds.
TEST(WbmpBits, IndicesComeOutAsBits)
{
    CxImage image;
    Pattern(image, 13, 3, 1);
    std::string path = TempPath("bits", "wbmp");
    EncodeBoth(image, CXIMAGE_FORMAT_WBMP, path);
    std::string pbm = TempPath("bits", "pbm");
    ASSERT_EQ(RunTool("wbmptopbm '" + path + "' > '" + pbm + "'").status, 0);
    ReadBack back = ReadWithPil(pbm);
    remove(path.c_str());
    remove(pbm.c_str());
    ASSERT_TRUE(back.ok) << back.error;
    // A set WBMP bit is white, as index 1 is in the test picture's palette.
    for (LONG y = 2, i = 0; y >= 0; y--)
        for (LONG x = 0; x < 13; x++, i++)
            EXPECT_EQ(back.rgba[4 * i], image.GetPixelIndex(x, y) ? 255 : 0) << x << "," << y;
}

// The SKA file read field by field.
TEST(SkaFile, FieldsAndPixels)
{
    for (DWORD bpp : {1u, 4u, 8u}) {
        SCOPED_TRACE(bpp);
        CxImage image;
        Pattern(image, 7, 3, bpp);
        std::string path = TempPath("fields", "ska");
        std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_SKA, path);
        remove(path.c_str());
        ASSERT_EQ(b.size(), 9u + 768 + 21);
        EXPECT_EQ(Le16(b, 0), 7u);            // width
        EXPECT_EQ(Le16(b, 2), 3u);            // height
        EXPECT_EQ(b[4], 3);                   // bit depth code
        EXPECT_EQ(Le32(b, 5), 0x01000000u);   // fixed value
        for (unsigned i = 0; i < 256; i++) {
            RGBQUAD c = image.GetPaletteColor(BYTE(i));
            bool own = i < image.GetNumColors();
            EXPECT_EQ(b[9 + 3 * i], own ? c.rgbRed : 0) << i;
            EXPECT_EQ(b[10 + 3 * i], own ? c.rgbGreen : 0) << i;
            EXPECT_EQ(b[11 + 3 * i], own ? c.rgbBlue : 0) << i;
        }
        for (LONG y = 2, i = 0; y >= 0; y--)
            for (LONG x = 0; x < 7; x++, i++) EXPECT_EQ(b[777 + i], image.GetPixelIndex(x, y));
    }
}

struct RefusalCase {
    DWORD id;
    DWORD bpp;
    DWORD width;
    const char* text;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << "format " << c.id << ", " << c.bpp << " bpp, width " << c.width;
}

class SmallRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(SmallRefusal, SaysWhyAndWritesNothing)
{
    const RefusalCase& c = GetParam();
    CxImage image;
    ASSERT_NE(image.Create(c.width, 1, c.bpp), nullptr);
    ExpectRefused(image, c.id, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmallRefusal,
    testing::Values(RefusalCase{CXIMAGE_FORMAT_TGA, 1, 4, "Bit depth must be 8 or 24"},
                    RefusalCase{CXIMAGE_FORMAT_TGA, 4, 4, "Bit depth must be 8 or 24"},
                    RefusalCase{CXIMAGE_FORMAT_WBMP, 4, 4, "Can't save this image as WBMP"},
                    RefusalCase{CXIMAGE_FORMAT_WBMP, 8, 4, "Can't save this image as WBMP"},
                    RefusalCase{CXIMAGE_FORMAT_WBMP, 24, 4, "Can't save this image as WBMP"},
                    RefusalCase{CXIMAGE_FORMAT_SKA, 24, 4, "SKA Images must be 8 bit or less"},
                    RefusalCase{CXIMAGE_FORMAT_RAW, 24, 4, "Save RAW not supported"},
                    RefusalCase{CXIMAGE_FORMAT_WMF, 8, 4, "Save WMF not supported"},
                    // Sizes the 16-bit header fields cannot hold.
                    RefusalCase{CXIMAGE_FORMAT_TGA, 8, 65536, "Image too large for TGA"},
                    RefusalCase{CXIMAGE_FORMAT_SKA, 8, 65536, "Image too large for SKA"},
                    RefusalCase{CXIMAGE_FORMAT_PCX, 8, 65535, "Image too large for PCX"},
                    RefusalCase{CXIMAGE_FORMAT_PCX, 1, 65537, "Image too large for PCX"}));

// The largest sizes the fields hold are still written.
TEST(SmallLimits, WidestImagesFit)
{
    struct Case {
        DWORD id, bpp, width;
    };
    for (Case c : {Case{CXIMAGE_FORMAT_TGA, 8, 65535}, Case{CXIMAGE_FORMAT_SKA, 8, 65535},
                   Case{CXIMAGE_FORMAT_PCX, 8, 65534}, Case{CXIMAGE_FORMAT_PCX, 1, 65536}}) {
        CxImage image;
        ASSERT_NE(image.Create(c.width, 1, c.bpp), nullptr);
        CxMemFile file;
        file.Open();
        EXPECT_TRUE(image.Encode(&file, c.id)) << c.id << ": " << image.GetLastError();
    }
}

// Without a stream, RAW and WMF leave the last error alone.
TEST(SmallRefusal, RawAndWmfWithoutAStream)
{
    CxImage image;
    ASSERT_NE(image.Create(2, 2, 24), nullptr);
    for (DWORD id : {CXIMAGE_FORMAT_RAW, CXIMAGE_FORMAT_WMF}) {
        EXPECT_FALSE(image.Encode(static_cast<CxFile*>(nullptr), id));
        EXPECT_STREQ(image.GetLastError(), "");
    }
}

}  // namespace
