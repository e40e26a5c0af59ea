#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ImageProbe.h"

namespace {

TEST(CxImageCreate, FreshImageHoldsTheStartingState)
{
    ImageProbe image(CXIMAGE_FORMAT_PNG);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    image.Info().fQuality = 74.5f;
    EXPECT_EQ(image.GetJpegQuality(), 75);
    image.Info().fQuality = 74.4f;
    EXPECT_EQ(image.GetJpegQuality(), 74);
    image.Info().fQuality = 1000.0f;
    EXPECT_EQ(image.GetJpegQuality(), 255);
    image.Info().fQuality = 90.0f;
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetYDPI(), 96);
    EXPECT_EQ(image.Head().biXPelsPerMeter, 3780);
    EXPECT_EQ(image.Head().biYPelsPerMeter, 3780);
    EXPECT_EQ(image.Info().nBkgndIndex, -1);
    EXPECT_FALSE(image.HasTransIndex());
    EXPECT_EQ(image.Info().nAlphaMax, 255);
    EXPECT_TRUE(image.Info().bEnabled);
    EXPECT_TRUE(image.Info().bLittleEndianHost);
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_EQ(image.GetBits(0), nullptr);
}

struct Geometry {
    DWORD width;
    DWORD bppAsked;
    WORD bpp;
    DWORD colours;
    DWORD effWidth;
};

void PrintTo(const Geometry& g, std::ostream* os) { *os << g.width << " px at " << g.bppAsked << " bpp"; }

class CxImageGeometry : public testing::TestWithParam<Geometry> {};

TEST_P(CxImageGeometry, RoundsDepthAndPadsRows)
{
    const Geometry& g = GetParam();
    ImageProbe image;
    BYTE* block = image.Create(g.width, 3, g.bppAsked, CXIMAGE_FORMAT_BMP);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(image.GetBpp(), g.bpp);
    EXPECT_EQ(image.GetNumColors(), g.colours);
    EXPECT_EQ(image.GetEffWidth(), g.effWidth);
    EXPECT_EQ(image.Head().biSizeImage, g.effWidth * 3);
    EXPECT_EQ(image.GetSize(), 40 + 4 * g.colours + g.effWidth * 3);
    EXPECT_EQ(image.GetType(), CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(image.GetBits(0), block + 40 + 4 * g.colours);
    EXPECT_EQ(image.GetBits(2), image.GetBits(0) + 2 * g.effWidth);
    EXPECT_EQ(image.GetBits(3), nullptr);
    EXPECT_EQ(image.Info().pImage, image.GetBits(0));

    // The block starts with the header and a zeroed palette and rows.
    BITMAPINFOHEADER stored;
    memcpy(&stored, block, sizeof(stored));
    EXPECT_EQ(stored.biSize, 40u);
    EXPECT_EQ(stored.biWidth, static_cast<LONG>(g.width));
    EXPECT_EQ(stored.biHeight, 3);
    EXPECT_EQ(stored.biPlanes, 1);
    EXPECT_EQ(stored.biBitCount, g.bpp);
    EXPECT_EQ(stored.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(stored.biXPelsPerMeter, 3780);
    std::vector<BYTE> zero(image.GetSize() - 40, 0);
    EXPECT_EQ(memcmp(block + 40, zero.data(), zero.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, CxImageGeometry,
                         testing::Values(Geometry{1, 0, 1, 2, 4}, Geometry{1, 1, 1, 2, 4},
                                         Geometry{33, 1, 1, 2, 8}, Geometry{9, 3, 4, 16, 8},
                                         Geometry{5, 8, 8, 256, 8}, Geometry{3, 24, 24, 0, 12},
                                         Geometry{5, 24, 24, 0, 16}, Geometry{4, 16, 24, 0, 12},
                                         Geometry{4, 32, 24, 0, 12}));

struct Refusal {
    DWORD width;
    DWORD height;
    DWORD bpp;
    const char* text;  // null: accepted
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.width << " x " << r.height << " x " << r.bpp; }

class CxImageRefusal : public testing::TestWithParam<Refusal> {};

// Accepted blocks of up to 256 MiB are calloc'ed, so their pages are never
// touched here.
TEST_P(CxImageRefusal, ChecksSizeAndMemoryLimit)
{
    const Refusal& r = GetParam();
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 24), nullptr);
    BYTE* block = image.Create(r.width, r.height, r.bpp);
    if (!r.text) {
        EXPECT_NE(block, nullptr);
        EXPECT_TRUE(image.IsValid());
        return;
    }
    EXPECT_EQ(block, nullptr);
    EXPECT_STREQ(image.GetLastError(), r.text);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Info().pImage, nullptr);
    EXPECT_EQ(image.GetBits(0), nullptr);
}

const char* const kZero = "CxImage::Create : width and height must be greater than zero";
const char* const kLimit = "CXIMAGE_MAX_MEMORY exceeded";

INSTANTIATE_TEST_SUITE_P(
    Limits, CxImageRefusal,
    testing::Values(Refusal{0, 5, 24, kZero}, Refusal{5, 0, 24, kZero},
                    Refusal{16384, 16384, 8, nullptr}, Refusal{16384, 16385, 8, kLimit},
                    Refusal{65536, 65537, 8, kLimit},
                    // 2^31 pixels of 1 bit: 2^28 bytes unpadded, 2^33 padded.
                    Refusal{1, 0x80000000u, 1, kLimit},
                    // Padding alone takes the block past the limit.
                    Refusal{1, 134217728, 1, kLimit},
                    // A width that fits the limit but not the header's signed field.
                    Refusal{0x80000000u, 1, 1, kLimit},
                    Refusal{0xFFFFFFFFu, 0xFFFFFFFFu, 24, kLimit}));

TEST(CxImageCreate, ClearFillsRowsButNotThePalette)
{
    struct Case { DWORD bpp; BYTE value; BYTE stored; };
    for (Case c : {Case{1, 7, 255}, Case{1, 0, 0}, Case{4, 0x35, 0x55}, Case{8, 9, 9},
                   Case{24, 200, 200}}) {
        ImageProbe image;
        ASSERT_NE(image.Create(3, 2, c.bpp), nullptr);
        image.SetPaletteColor(0, 1, 2, 3);
        image.Clear(c.value);
        for (DWORD i = 0; i < image.Head().biSizeImage; i++)
            ASSERT_EQ(image.GetBits(0)[i], c.stored) << "bpp " << c.bpp;
        if (c.bpp < 24) {
            EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 1);
        }
    }
}

struct DpiCase {
    LONG dpi;
    LONG stored;
    LONG perMetre;
};

void PrintTo(const DpiCase& c, std::ostream* os) { *os << c.dpi << " dpi"; }

class CxImageDpi : public testing::TestWithParam<DpiCase> {};

TEST_P(CxImageDpi, SetsResolutionAndPixelsPerMetre)
{
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 24), nullptr);
    image.SetXDPI(GetParam().dpi);
    image.SetYDPI(GetParam().dpi);
    EXPECT_EQ(image.GetXDPI(), GetParam().stored);
    EXPECT_EQ(image.GetYDPI(), GetParam().stored);
    EXPECT_EQ(image.Head().biXPelsPerMeter, GetParam().perMetre);
    EXPECT_EQ(image.Head().biYPelsPerMeter, GetParam().perMetre);
    BITMAPINFOHEADER stored;
    memcpy(&stored, image.Dib(), sizeof(stored));
    EXPECT_EQ(stored.biXPelsPerMeter, GetParam().perMetre);
    EXPECT_EQ(stored.biYPelsPerMeter, GetParam().perMetre);
}

INSTANTIATE_TEST_SUITE_P(Values, CxImageDpi,
                         testing::Values(DpiCase{96, 96, 3780}, DpiCase{0, 96, 3780},
                                         DpiCase{-5, 96, 3780}, DpiCase{300, 300, 11811},
                                         DpiCase{72, 72, 2835}));

TEST(CxImageCreate, ResolutionSurvivesCreate)
{
    ImageProbe image;
    image.SetXDPI(300);
    ASSERT_NE(image.Create(2, 2, 8), nullptr);
    EXPECT_EQ(image.Head().biXPelsPerMeter, 11811);
    BITMAPINFOHEADER stored;
    memcpy(&stored, image.Dib(), sizeof(stored));
    EXPECT_EQ(stored.biXPelsPerMeter, 11811);
}

TEST(CxImageCreate, TypeIndexAndCodecOptions)
{
    struct Slot { DWORD id; DWORD slot; };
    for (Slot s : {Slot{0, 0}, Slot{1, 1}, Slot{4, 4}, Slot{15, 15}, Slot{16, 0},
                   Slot{17, 16}, Slot{18, 17}, Slot{19, 18}, Slot{20, 0}, Slot{0xFFFFFFFF, 0}})
        EXPECT_EQ(CxImage::GetTypeIndexFromId(s.id), s.slot) << "id " << s.id;

    ImageProbe image(CXIMAGE_FORMAT_PNG);
    EXPECT_TRUE(image.SetCodecOption(7, CXIMAGE_FORMAT_RAW));
    EXPECT_EQ(image.Info().dwCodecOpt[18], 7u);
    // Ids without a slot fall back to the image's own type.
    EXPECT_TRUE(image.SetCodecOption(1, 16));
    EXPECT_EQ(image.Info().dwCodecOpt[4], 1u);
    EXPECT_EQ(image.GetCodecOption(20), 1u);
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_PNG), 1u);
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_RAW), 7u);
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_BMP), 0u);
}

TEST(CxImageCreate, SetTransIndexKeepsOnlyIndicesInsideThePalette)
{
    ImageProbe palette;
    ASSERT_NE(palette.Create(2, 2, 4), nullptr);
    palette.SetTransIndex(5);
    EXPECT_EQ(palette.Info().nBkgndIndex, 5);
    palette.SetTransIndex(16);
    EXPECT_EQ(palette.Info().nBkgndIndex, 0);
    palette.SetTransIndex(-1);
    EXPECT_EQ(palette.Info().nBkgndIndex, -1);

    ImageProbe rgb;
    ASSERT_NE(rgb.Create(2, 2, 24), nullptr);
    rgb.SetTransIndex(5);
    EXPECT_EQ(rgb.Info().nBkgndIndex, 0);
    rgb.SetTransIndex(-1);
    EXPECT_EQ(rgb.Info().nBkgndIndex, -1);
}

TEST(CxImageCreate, TransColorComesFromThePaletteBelowTwentyFourBits)
{
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 8), nullptr);
    image.SetPaletteColor(3, 10, 20, 30, 40);
    image.Info().nBkgndColor = RGBQUAD{1, 2, 3, 4};
    image.SetTransIndex(3);
    RGBQUAD c = image.GetTransColor();
    EXPECT_EQ(c.rgbRed, 10);
    EXPECT_EQ(c.rgbBlue, 30);
    EXPECT_EQ(c.rgbReserved, 40);

    ImageProbe rgb;
    ASSERT_NE(rgb.Create(2, 2, 24), nullptr);
    rgb.Info().nBkgndColor = RGBQUAD{1, 2, 3, 4};
    rgb.Info().nBkgndIndex = 0;
    EXPECT_EQ(rgb.GetTransColor().rgbRed, 3);
}

TEST(CxImageCreate, ByteOrderHelpersSwapOnlyOnABigEndianHost)
{
    ImageProbe image;
    EXPECT_EQ((image.ntohs)(0x1234), 0x1234);
    EXPECT_EQ((image.ntohl)(0x12345678u), 0x12345678u);
    BITMAPINFOHEADER header{40, 2, 3, 1, 24, 0, 18, 3780, 3780, 0, 0};
    BITMAPINFOHEADER original = header;
    image.SwapHeaderByteOrder(&header);
    EXPECT_EQ(memcmp(&header, &original, sizeof(header)), 0);

    image.Info().bLittleEndianHost = false;
    EXPECT_EQ((image.ntohs)(0x1234), 0x3412);
    EXPECT_EQ((image.ntohl)(0x12345678u), 0x78563412u);
    image.SwapHeaderByteOrder(&header);
    EXPECT_EQ(header.biSize, 0x28000000u);
    EXPECT_EQ(header.biBitCount, 0x1800);
    EXPECT_EQ(header.biXPelsPerMeter, static_cast<LONG>(0xC40E0000u));
    EXPECT_EQ(header.biClrImportant, 0u);
    image.SwapHeaderByteOrder(&header);
    EXPECT_EQ(memcmp(&header, &original, sizeof(header)), 0);
}

TEST(CxImageCreate, CompareColorsByBrightness)
{
    RGBQUAD black{0, 0, 0, 0}, white{255, 255, 255, 0}, green{0, 255, 0, 0}, red{0, 0, 255, 0};
    EXPECT_EQ(CxImage::CompareColors(&black, &black), 0);
    EXPECT_EQ(CxImage::CompareColors(&white, &black), (1024 * 255) >> 10);
    EXPECT_LT(CxImage::CompareColors(&black, &white), 0);
    EXPECT_GT(CxImage::CompareColors(&green, &red), 0);
}

}  // namespace
