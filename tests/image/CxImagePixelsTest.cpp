#include <gtest/gtest.h>

#include "ImageProbe.h"

namespace {

struct BitCase {
    DWORD bpp;
    LONG x;
    BYTE index;
    size_t byteOffset;
    BYTE byteValue;
};

void PrintTo(const BitCase& c, std::ostream* os) { *os << c.bpp << " bpp, x " << c.x; }

class CxImagePixelBits : public testing::TestWithParam<BitCase> {};

TEST_P(CxImagePixelBits, IndexLandsAtItsBitPosition)
{
    const BitCase& c = GetParam();
    ImageProbe image;
    ASSERT_NE(image.Create(16, 2, c.bpp), nullptr);
    image.SetPixelIndex(c.x, 1, c.index);
    BYTE* row = image.GetBits(1);
    EXPECT_EQ(row[c.byteOffset], c.byteValue);
    EXPECT_EQ(image.GetPixelIndex(c.x, 1), c.index & (c.bpp == 1 ? 1 : c.bpp == 4 ? 15 : 255));
    EXPECT_EQ(image.GetBits(0)[c.byteOffset], 0);
}

INSTANTIATE_TEST_SUITE_P(Positions, CxImagePixelBits,
                         testing::Values(BitCase{1, 0, 1, 0, 0x80}, BitCase{1, 7, 1, 0, 0x01},
                                         BitCase{1, 9, 3, 1, 0x40}, BitCase{4, 0, 0xA, 0, 0xA0},
                                         BitCase{4, 1, 0xA, 0, 0x0A}, BitCase{4, 3, 0x1F, 1, 0x0F},
                                         BitCase{8, 5, 0xC3, 5, 0xC3}));

TEST(CxImagePixels, SetIndexKeepsTheNeighbours)
{
    ImageProbe image;
    ASSERT_NE(image.Create(8, 1, 1), nullptr);
    image.Clear(1);
    image.SetPixelIndex(3, 0, 0);
    EXPECT_EQ(image.GetBits(0)[0], 0xEF);
    ImageProbe nibbles;
    ASSERT_NE(nibbles.Create(2, 1, 4), nullptr);
    nibbles.SetPixelIndex(0, 0, 0x3);
    nibbles.SetPixelIndex(1, 0, 0xC);
    nibbles.SetPixelIndex(0, 0, 0x5);
    EXPECT_EQ(nibbles.GetBits(0)[0], 0x5C);
}

TEST(CxImagePixels, IndexOutsideTheImage)
{
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 8), nullptr);
    image.SetPixelIndex(0, 0, 42);
    image.SetPixelIndex(2, 0, 9);   // outside: ignored
    image.SetPixelIndex(-1, 0, 9);
    EXPECT_EQ(image.GetPixelIndex(5, 5), 42);
    image.Info().nBkgndIndex = 7;
    EXPECT_EQ(image.GetPixelIndex(-1, 0), 7);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 0);

    ImageProbe rgb;
    ASSERT_NE(rgb.Create(2, 2, 24), nullptr);
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 0);
}

TEST(CxImagePixels, ColourOfRgbPixels)
{
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 24), nullptr);
    image.SetPixelColor(1, 0, RGBQUAD{10, 20, 30, 77});
    BYTE* pixel = image.GetPixelPointerUnchecked(1, 0);
    EXPECT_EQ(pixel[0], 10);
    EXPECT_EQ(pixel[2], 30);
    RGBQUAD c = image.GetPixelColor(1, 0, false);
    EXPECT_EQ(c.rgbBlue, 10);
    EXPECT_EQ(c.rgbGreen, 20);
    EXPECT_EQ(c.rgbRed, 30);
    EXPECT_EQ(c.rgbReserved, 0);
    image.SetPixelColor(9, 9, RGBQUAD{1, 1, 1, 0});  // outside: ignored
}

TEST(CxImagePixels, ColourOutsideTheImage)
{
    ImageProbe image;
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 0);
    ASSERT_NE(image.Create(2, 2, 24), nullptr);
    image.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
    ASSERT_TRUE(image.AlphaCreate());
    RGBQUAD c = image.GetPixelColor(-1, 0, false);
    EXPECT_EQ(c.rgbBlue, 1);
    EXPECT_EQ(c.rgbReserved, 255);
    image.Info().nBkgndIndex = 0;
    image.Info().nBkgndColor = RGBQUAD{9, 8, 7, 6};
    EXPECT_EQ(image.GetPixelColor(2, 0).rgbBlue, 9);

    ImageProbe palette;
    ASSERT_NE(palette.Create(2, 2, 8), nullptr);
    palette.SetPaletteColor(3, 30, 31, 32, 33);
    palette.Info().nBkgndIndex = 3;
    RGBQUAD e = palette.GetPixelColor(0, 5);
    EXPECT_EQ(e.rgbRed, 30);
    EXPECT_EQ(e.rgbReserved, 33);
    palette.Info().nBkgndIndex = 300;
    EXPECT_EQ(palette.GetPixelColor(0, 5).rgbRed, 0);
}

TEST(CxImagePixels, PaletteColoursGoThroughTheNearestEntry)
{
    ImageProbe image;
    ASSERT_NE(image.Create(2, 1, 1), nullptr);
    image.SetPaletteColor(0, 0, 0, 0, 5);
    image.SetPaletteColor(1, 255, 255, 255, 6);
    ASSERT_TRUE(image.AlphaCreate());
    image.SetPixelColor(1, 0, RGBQUAD{250, 240, 230, 17}, true);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.AlphaGet(1, 0), 17);
    RGBQUAD c = image.GetPixelColor(1, 0, false);
    EXPECT_EQ(c.rgbRed, 255);
    EXPECT_EQ(c.rgbReserved, 6);
    EXPECT_EQ(image.GetPixelColor(1, 0, true).rgbReserved, 17);
    EXPECT_EQ(image.GetPixelPointerUnchecked(0, 0), nullptr);
}

TEST(CxImagePixels, SwapRedBlueTouchesWholeTriplesOnly)
{
    ImageProbe image;
    ASSERT_NE(image.Create(3, 1, 24), nullptr);
    BYTE row[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    image.SwapRedBlue(row, 12);  // clipped to 3 pixels
    BYTE expected[12] = {3, 2, 1, 6, 5, 4, 9, 8, 7, 10, 11, 12};
    for (int i = 0; i < 12; i++) EXPECT_EQ(row[i], expected[i]) << i;

    BYTE shortRow[4] = {1, 2, 3, 4};
    image.SwapRedBlue(shortRow, 4);
    EXPECT_EQ(shortRow[0], 3);
    EXPECT_EQ(shortRow[3], 4);
    image.SwapRedBlue(nullptr, 3);

    ImageProbe palette;
    ASSERT_NE(palette.Create(3, 1, 8), nullptr);
    BYTE untouched[3] = {1, 2, 3};
    palette.SwapRedBlue(untouched, 3);
    EXPECT_EQ(untouched[0], 1);
}

}  // namespace
