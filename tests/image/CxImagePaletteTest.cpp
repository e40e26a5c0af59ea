#include <gtest/gtest.h>

#include "ImageProbe.h"

namespace {

TEST(CxImagePalette, EntriesAreBoundedByThePalette)
{
    ImageProbe image;
    EXPECT_EQ(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 0);
    ASSERT_NE(image.Create(2, 2, 4), nullptr);
    EXPECT_EQ(image.GetPaletteSize(), 64u);
    image.SetPaletteColor(15, 1, 2, 3, 4);
    image.SetPaletteColor(16, 9, 9, 9, 9);  // past the 16 entries: ignored
    RGBQUAD c = image.GetPaletteColor(15);
    EXPECT_EQ(c.rgbRed, 1);
    EXPECT_EQ(c.rgbGreen, 2);
    EXPECT_EQ(c.rgbBlue, 3);
    EXPECT_EQ(c.rgbReserved, 4);
    EXPECT_EQ(image.GetPaletteColor(16).rgbRed, 0);
    BYTE r = 0, g = 0, b = 0;
    EXPECT_TRUE(image.GetPaletteColor(15, &r, &g, &b));
    EXPECT_EQ(r + g + b, 6);
    EXPECT_FALSE(image.GetPaletteColor(16, &r, &g, &b));

    ImageProbe rgb;
    ASSERT_NE(rgb.Create(2, 2, 24), nullptr);
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    EXPECT_FALSE(rgb.GetPaletteColor(0, &r, &g, &b));
    EXPECT_FALSE(rgb.HasPalette());
}

TEST(CxImagePalette, SetPaletteCopiesAtMostThePaletteSize)
{
    RGBQUAD source[256];
    for (int i = 0; i < 256; i++) source[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(255 - i), 0};
    ImageProbe image;
    ASSERT_NE(image.Create(2, 2, 1), nullptr);
    image.SetPalette(source, 256);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 254);
    image.SetPalette(nullptr, 2);
    EXPECT_EQ(image.GetPaletteColor(1).rgbRed, 254);
}

TEST(CxImagePalette, GrayPaletteStepsWithTheDepth)
{
    struct Case { DWORD bpp; BYTE index; BYTE level; bool grey; };
    for (Case c : {Case{1, 1, 255, false}, Case{4, 1, 17, false}, Case{4, 15, 255, false},
                   Case{8, 200, 200, true}}) {
        ImageProbe image;
        ASSERT_NE(image.Create(1, 1, c.bpp), nullptr);
        image.SetGrayPalette();
        RGBQUAD e = image.GetPaletteColor(c.index);
        EXPECT_EQ(e.rgbRed, c.level) << "bpp " << c.bpp;
        EXPECT_EQ(e.rgbGreen, c.level);
        EXPECT_EQ(e.rgbBlue, c.level);
        EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 0);
        EXPECT_EQ(image.IsGrayScale(), c.grey) << "bpp " << c.bpp;
    }
    ImageProbe rgb;
    ASSERT_NE(rgb.Create(1, 1, 24), nullptr);
    EXPECT_FALSE(rgb.IsGrayScale());
}

TEST(CxImagePalette, PaletteHasAlphaLooksAtTheFourthByte)
{
    ImageProbe image;
    EXPECT_FALSE(image.PaletteHasAlpha());
    ASSERT_NE(image.Create(1, 1, 8), nullptr);
    EXPECT_FALSE(image.PaletteHasAlpha());
    image.SetPaletteColor(255, 0, 0, 0, 1);
    EXPECT_TRUE(image.PaletteHasAlpha());
}

TEST(CxImagePalette, SwapIndexExchangesEntriesAndPixels)
{
    ImageProbe image;
    ASSERT_NE(image.Create(3, 2, 4), nullptr);
    image.SetPaletteColor(2, 20, 20, 20);
    image.SetPaletteColor(5, 50, 50, 50);
    BYTE indices[6] = {2, 5, 7, 5, 2, 2};
    for (int i = 0; i < 6; i++) image.SetPixelIndex(i % 3, i / 3, indices[i]);

    image.SwapIndex(2, 5);
    EXPECT_EQ(image.GetPaletteColor(2).rgbRed, 50);
    EXPECT_EQ(image.GetPaletteColor(5).rgbRed, 20);
    BYTE swapped[6] = {5, 2, 7, 2, 5, 5};
    for (int i = 0; i < 6; i++) EXPECT_EQ(image.GetPixelIndex(i % 3, i / 3), swapped[i]);

    image.SwapIndex(3, 3);
    for (int i = 0; i < 6; i++) EXPECT_EQ(image.GetPixelIndex(i % 3, i / 3), swapped[i]);
    // An index past the 16 entries is refused rather than read past the palette.
    image.SwapIndex(2, 200);
    EXPECT_EQ(image.GetPaletteColor(2).rgbRed, 50);
}

TEST(CxImagePalette, NearestIndexPrefersExactThenClosestThenFirst)
{
    ImageProbe image;
    ASSERT_NE(image.Create(1, 1, 4), nullptr);
    for (int i = 0; i < 16; i++) image.SetPaletteColor(BYTE(i), 0, 0, 0);
    image.SetPaletteColor(3, 100, 100, 100);
    image.SetPaletteColor(4, 100, 100, 100);
    image.SetPaletteColor(7, 200, 10, 10);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{100, 100, 100, 0}), 3);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{5, 5, 190, 0}), 7);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{90, 110, 95, 0}), 3);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{1, 1, 1, 0}), 0);
    // The largest distance still beats the starting distance.
    image.SetPaletteColor(0, 255, 255, 255);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{0, 0, 0, 9}), 1);

    ImageProbe rgb;
    ASSERT_NE(rgb.Create(1, 1, 24), nullptr);
    EXPECT_EQ(rgb.GetNearestIndex(RGBQUAD{1, 2, 3, 0}), 0);
}

TEST(CxImagePalette, NearestIndexCachesUntilThePaletteChanges)
{
    ImageProbe image;
    ASSERT_NE(image.Create(1, 1, 1), nullptr);
    image.SetPaletteColor(0, 0, 0, 0);
    image.SetPaletteColor(1, 255, 255, 255);
    RGBQUAD light{200, 200, 200, 0};
    EXPECT_EQ(image.GetNearestIndex(light), 1);
    // Written behind the cache's back: the cached answer stands.
    image.GetPalette()[0] = RGBQUAD{200, 200, 200, 0};
    EXPECT_EQ(image.GetNearestIndex(light), 1);
    // A different reserved byte is a different colour for the cache.
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{200, 200, 200, 1}), 0);
    image.SetPaletteColor(1, 200, 200, 200);
    image.SetPaletteColor(0, 0, 0, 0);
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{200, 200, 200, 1}), 1);
}

// The important-colour count may exceed the palette a codec left; the
// search still stays inside the palette.
TEST(CxImagePalette, NearestIndexNeverReadsPastThePalette)
{
    ImageProbe image;
    ASSERT_NE(image.Create(1, 1, 1), nullptr);
    image.SetPaletteColor(0, 0, 0, 0);
    image.SetPaletteColor(1, 10, 10, 10);
    image.Head().biClrImportant = 256;
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{250, 250, 250, 0}), 1);
    image.Head().biClrImportant = 1;
    EXPECT_EQ(image.GetNearestIndex(RGBQUAD{240, 240, 240, 0}), 0);
}

}  // namespace
