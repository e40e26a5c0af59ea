// BMP and ICO files judged by outside readers: Python's imaging library for
// the pixels, netpbm's bmptopnm and winicontopam, and the header fields read
// from the bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "CodecFixtures.h"
#include "ImageProbe.h"
#include "image/CxIOFile.h"
#include "image/CxImageICO.h"

namespace {

struct RoundTrip {
    DWORD bpp;
    DWORD width;
    bool alpha;
};

void PrintTo(const RoundTrip& c, std::ostream* os)
{
    *os << c.bpp << " bpp, width " << c.width << (c.alpha ? ", alpha" : "");
}

const RoundTrip kDepths[] = {{1, 13, false}, {4, 5, false}, {8, 5, false},
                             {24, 5, false}, {24, 7, true}, {8, 3, true}};

class BmpRoundTrip : public testing::TestWithParam<RoundTrip> {};

// PIL gives the exact pixels back; an alpha plane of a 24-bit image rides in
// the fourth byte of 32-bit pixels, which PIL's BMP reader leaves out.
TEST_P(BmpRoundTrip, OutsideReadersGetThePixels)
{
    const RoundTrip& c = GetParam();
    CxImage image;
    Pattern(image, c.width, 3, c.bpp, c.alpha);
    std::string path = TempPath("round", "bmp");
    std::vector<BYTE> bytes = EncodeBoth(image, CXIMAGE_FORMAT_BMP, path);

    ExpectPilPixels(path, image, ExpectedRgbaWith(image, 255));
    EXPECT_TRUE(Has(ThroughPamfile("bmptopnm '" + path + "'"), std::to_string(c.width) + " by 3"));

    bool wide = c.alpha && c.bpp == 24;
    EXPECT_EQ(Le16(bytes, 28), wide ? 32u : c.bpp);  // biBitCount
    if (wide) {
        // Bottom row first, blue, green, red, alpha.
        for (LONG x = 0; x < LONG(c.width); x++) EXPECT_EQ(bytes[54 + 4 * x + 3], image.AlphaGet(x, 0));
    }
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, testing::ValuesIn(kDepths));

struct BmpHeaderCase {
    DWORD width, height, bpp;
    bool alpha;
    unsigned fileSize, offBits, bitCount, sizeImage;
};

void PrintTo(const BmpHeaderCase& c, std::ostream* os)
{
    *os << c.width << "x" << c.height << " at " << c.bpp << (c.alpha ? " with alpha" : "");
}

class BmpHeader : public testing::TestWithParam<BmpHeaderCase> {};

TEST_P(BmpHeader, FieldsDescribeTheFile)
{
    const BmpHeaderCase& c = GetParam();
    CxImage image;
    Pattern(image, c.width, c.height, c.bpp, c.alpha);
    std::string path = TempPath("header", "bmp");
    std::vector<BYTE> bytes = EncodeBoth(image, CXIMAGE_FORMAT_BMP, path);
    remove(path.c_str());
    ASSERT_EQ(bytes.size(), c.fileSize);
    EXPECT_EQ(memcmp(bytes.data(), "BM", 2), 0);
    EXPECT_EQ(Le32(bytes, 2), c.fileSize);   // bfSize
    EXPECT_EQ(Le32(bytes, 10), c.offBits);   // bfOffBits
    EXPECT_EQ(Le32(bytes, 14), 40u);         // biSize
    EXPECT_EQ(Le32(bytes, 18), c.width);     // biWidth
    EXPECT_EQ(Le32(bytes, 22), c.height);    // biHeight
    EXPECT_EQ(Le16(bytes, 28), c.bitCount);  // biBitCount
    EXPECT_EQ(Le32(bytes, 30), 0u);          // biCompression
    EXPECT_EQ(Le32(bytes, 34), c.sizeImage); // biSizeImage
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpHeader,
    testing::Values(BmpHeaderCase{3, 2, 24, false, 78, 54, 24, 24},
                    BmpHeaderCase{5, 3, 8, false, 1078 + 24, 1078, 8, 24},
                    BmpHeaderCase{5, 3, 24, true, 54 + 60, 54, 32, 60},
                    // The alpha plane of a palette image is not written.
                    BmpHeaderCase{5, 3, 8, true, 1078 + 24, 1078, 8, 24},
                    BmpHeaderCase{13, 2, 1, false, 62 + 8, 62, 1, 8}));

TEST(BmpTools, IdentifyReadsThePaletteHeader)
{
    CxImage image;
    Pattern(image, 5, 3, 8);
    image.SetXDPI(300);
    std::string path = TempPath("identify", "bmp");
    EncodeBoth(image, CXIMAGE_FORMAT_BMP, path);
    ToolRun run = RunTool("identify -verbose '" + path + "' 2>&1");
    remove(path.c_str());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "Geometry: 5x3+0+0")) << run.output;
    EXPECT_TRUE(Has(run.output, "Type: Palette")) << run.output;
    EXPECT_TRUE(Has(run.output, "Resolution: 118.11x37.8")) << run.output;
}

// --- ICO ---

class IcoRoundTrip : public testing::TestWithParam<RoundTrip> {};

// PIL turns the AND mask (or the 32-bit alpha) into the alpha channel.
TEST_P(IcoRoundTrip, OutsideReadersGetThePixels)
{
    const RoundTrip& c = GetParam();
    CxImage image;
    Pattern(image, c.width, 3, c.bpp, c.alpha);
    std::string path = TempPath("round", "ico");
    EncodeBoth(image, CXIMAGE_FORMAT_ICO, path);

    std::vector<unsigned char> expected = ExpectedRgbaWith(image, c.alpha && c.bpp == 24 ? -1 : 255);
    if (c.alpha && c.bpp == 8) {
        // The alpha plane's zeros still mark transparent pixels in the mask.
        for (LONG y = 2, i = 0; y >= 0; y--)
            for (LONG x = 0; x < LONG(c.width); x++, i++)
                if (image.AlphaGet(x, y) == 0) expected[4 * i + 3] = 0;
    }
    ExpectPilPixels(path, image, expected);
    EXPECT_TRUE(Has(ThroughPamfile("winicontopam '" + path + "'"), std::to_string(c.width) + " by 3"));
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, IcoRoundTrip, testing::ValuesIn(kDepths));

TEST(IcoLayout, SixteenSquareEightBitIcon)
{
    CxImage image;
    Pattern(image, 16, 16, 8);
    std::string path = TempPath("layout", "ico");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_ICO, path);
    remove(path.c_str());
    ASSERT_EQ(b.size(), 22u + 1384u);
    EXPECT_EQ(Le16(b, 0), 0u);     // idReserved
    EXPECT_EQ(Le16(b, 2), 1u);     // idType
    EXPECT_EQ(Le16(b, 4), 1u);     // idCount
    EXPECT_EQ(b[6], 16);           // bWidth
    EXPECT_EQ(b[7], 16);           // bHeight
    EXPECT_EQ(b[8], 0);            // bColorCount: 256 entries
    EXPECT_EQ(Le16(b, 10), 0u);    // wPlanes
    EXPECT_EQ(Le16(b, 12), 8u);    // wBitCount
    EXPECT_EQ(Le32(b, 14), 1384u); // dwBytesInRes: 40 + 1024 + 256 + 64
    EXPECT_EQ(Le32(b, 18), 22u);   // dwImageOffset
    EXPECT_EQ(Le32(b, 22), 40u);   // biSize
    EXPECT_EQ(Le32(b, 30), 32u);   // biHeight: pixels and mask
    EXPECT_EQ(Le32(b, 42), 256u);  // biSizeImage
}

// The transparent entry is written as zeros and its pixels are masked; the
// image keeps its palette.
TEST(IcoLayout, TransparentIndexGoesIntoTheMask)
{
    ImageProbe image;
    Pattern(image, 8, 2, 8);
    image.SetTransIndex(3);
    RGBQUAD before = image.GetPaletteColor(3);
    std::string path = TempPath("trans", "ico");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_ICO, path);
    remove(path.c_str());
    RGBQUAD after = image.GetPaletteColor(3);
    EXPECT_EQ(memcmp(&before, &after, 4), 0);

    const size_t palette = 22 + 40;
    EXPECT_EQ(Le32(b, palette + 12), 0u);
    EXPECT_NE(Le32(b, palette + 16), 0u);
    const size_t mask = palette + 1024 + 16;  // 2 rows of 8 padded pixels
    for (LONG y = 0; y < 2; y++)
        for (LONG x = 0; x < 8; x++) {
            bool bit = b[mask + 4 * y] & (0x80 >> x);
            EXPECT_EQ(bit, image.GetPixelIndex(x, y) == 3) << x << "," << y;
        }
}

TEST(IcoLayout, OpaqueColourIconHasAnEmptyMask)
{
    CxImage image;
    Pattern(image, 5, 3, 24);
    std::string path = TempPath("opaque", "ico");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_ICO, path);
    remove(path.c_str());
    const size_t mask = 22 + 40 + 3 * 16;
    ASSERT_EQ(b.size(), mask + 3 * 4);
    for (size_t i = mask; i < b.size(); i++) EXPECT_EQ(b[i], 0) << i;
}

TEST(IcoLayout, LargeIconHoldsAPng)
{
    CxImage image;
    Pattern(image, 256, 256, 24);
    std::string path = TempPath("large", "ico");
    std::vector<BYTE> b = EncodeBoth(image, CXIMAGE_FORMAT_ICO, path);
    ASSERT_GT(b.size(), 30u);
    EXPECT_EQ(b[6], 0);  // bWidth
    EXPECT_EQ(b[7], 0);  // bHeight
    EXPECT_EQ(Le32(b, 14), b.size() - 22);
    EXPECT_EQ(memcmp(b.data() + 22, "\x89PNG", 4), 0);
    ExpectPilPixels(path, image, ExpectedRgbaWith(image, 255));
    remove(path.c_str());
}

// libpng refuses widths above a million; the icon then gets no entry.
TEST(IcoLayout, FailedPngWritesNothing)
{
    CxImage image;
    ASSERT_NE(image.Create(1000001, 1, 1), nullptr);
    ExpectRefused(image, CXIMAGE_FORMAT_ICO, "Error saving PNG file");
}

TEST(IcoLayout, LowDepthWithoutPaletteIsRefusedSilently)
{
    ImageProbe image;
    Pattern(image, 4, 4, 8);
    image.Head().biClrUsed = 0;
    ExpectRefused(image, CXIMAGE_FORMAT_ICO, "");
}

// One object writes the directory for two images, their entries, then their
// data; winicontopam and PIL find both.
TEST(IcoMultiImage, TwoImagesThroughOneObject)
{
    CxImage small, large;
    Pattern(small, 16, 16, 8);
    Pattern(large, 300, 24, 24);  // held as a PNG
    std::string path = TempPath("multi", "ico");
    {
        CxIOFile file;
        ASSERT_TRUE(file.Open(path.c_str(), "wb"));
        CxImageICO icon;
        icon.Ghost(&large);
        ASSERT_TRUE(icon.Encode(&file, false, 2)) << icon.GetLastError();
        EXPECT_EQ(file.Tell(), 6);
        icon.Ghost(&small);
        ASSERT_TRUE(icon.Encode(&file, true, 0));
        icon.Ghost(&large);
        ASSERT_TRUE(icon.Encode(&file, true, 0));
        icon.Ghost(&small);
        ASSERT_TRUE(icon.Encode(&file, true, -1));
        icon.Ghost(&large);
        ASSERT_TRUE(icon.Encode(&file, true, -1));
        // A page count above the frame count writes nothing.
        long size = file.Tell();
        ASSERT_TRUE(icon.Encode(&file, true, 5));
        EXPECT_EQ(file.Tell(), size);
    }
    std::string report = ThroughPamfile("winicontopam -allimages '" + path + "'");
    EXPECT_TRUE(Has(report, "16 by 16")) << report;
    EXPECT_TRUE(Has(report, "300 by 24")) << report;
    // PIL warns that the PNG is not the 256 x 256 the entry's zeros stand for.
    ToolRun sizes = RunTool("/usr/bin/python3 -c \"import sys; from PIL import Image; "
                            "print(sorted(Image.open(sys.argv[1]).info['sizes']))\" " + ShellQuote(path) + " 2>/dev/null");
    EXPECT_EQ(sizes.output, "[(16, 16), (300, 24)]\n");
    remove(path.c_str());
}

}  // namespace
