#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ImageProbe.h"

namespace {

// A w x h 24-bit image whose pixel (x, y) is blue x, green y, red 7.
void FillRgb(CxImage& image, DWORD w, DWORD h)
{
    ASSERT_NE(image.Create(w, h, 24, CXIMAGE_FORMAT_BMP), nullptr);
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++)
            image.SetPixelColor(x, y, RGBQUAD{BYTE(x), BYTE(y), 7, 0});
}

bool SamePixels(const CxImage& a, const CxImage& b)
{
    return a.GetSize() == b.GetSize() && memcmp(a.GetBits(0), b.GetBits(0), a.GetEffWidth() * a.GetHeight()) == 0;
}

TEST(CxImageCopy, DeepCopyOwnsItsPixelsAndPlanes)
{
    ImageProbe source;
    FillRgb(source, 4, 3);
    source.SetXDPI(300);
    source.Info().nBkgndIndex = 2;
    ASSERT_TRUE(source.AlphaCreate());
    source.AlphaSet(1, 1, 9);
    ASSERT_TRUE(source.SelectionCreate());
    source.SelectionSet(2, 2, 5);

    ImageProbe copy(source);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_NE(copy.Dib(), source.Dib());
    EXPECT_TRUE(SamePixels(copy, source));
    EXPECT_EQ(copy.GetType(), CXIMAGE_FORMAT_BMP);
    EXPECT_EQ(copy.GetXDPI(), 300);
    EXPECT_EQ(copy.Head().biXPelsPerMeter, 11811);
    EXPECT_EQ(copy.Info().nBkgndIndex, 2);
    EXPECT_EQ(copy.Info().pImage, copy.GetBits(0));
    ASSERT_NE(copy.Alpha(), nullptr);
    EXPECT_NE(copy.Alpha(), source.Alpha());
    EXPECT_EQ(copy.AlphaGet(1, 1), 9);
    ASSERT_NE(copy.Selection(), nullptr);
    EXPECT_EQ(copy.SelectionGetUnchecked(2, 2), 5);

    source.SetPixelColor(0, 0, RGBQUAD{99, 99, 99, 0});
    EXPECT_EQ(copy.GetPixelColor(0, 0).rgbBlue, 0);
}

TEST(CxImageCopy, WithoutPixelsCopiesThePaletteOnly)
{
    ImageProbe source;
    ASSERT_NE(source.Create(3, 3, 8), nullptr);
    source.SetPaletteColor(1, 10, 20, 30);
    source.SetPixelIndex(0, 0, 1);
    ASSERT_TRUE(source.AlphaCreate());

    ImageProbe copy(source, false, false, false);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.GetPaletteColor(1).rgbGreen, 20);
    EXPECT_EQ(copy.GetPixelIndex(0, 0), 0);
    EXPECT_FALSE(copy.AlphaIsValid());
    EXPECT_FALSE(copy.SelectionIsValid());
}

TEST(CxImageCopy, AssignmentReplacesTheImageAndIgnoresItself)
{
    ImageProbe a, b;
    FillRgb(a, 2, 2);
    FillRgb(b, 5, 1);
    b = a;
    EXPECT_EQ(b.GetWidth(), 2u);
    EXPECT_TRUE(SamePixels(a, b));
    BYTE* block = b.Dib();
    b = b;
    EXPECT_EQ(b.Dib(), block);
    EXPECT_EQ(b.GetPixelColor(1, 1).rgbGreen, 1);
}

TEST(CxImageCopy, CopyKeepsTheFrameCountOfItsOwnFrames)
{
    ImageProbe source;
    FillRgb(source, 2, 2);
    source.Info().nNumFrames = 3;  // counts with no array behind them

    ImageProbe target;
    target.Frames() = new CxImage*[1]{new CxImage};
    target.Info().nNumFrames = 1;
    target.Copy(source);
    EXPECT_EQ(target.GetNumFrames(), 1);
    source.Info().nNumFrames = 0;
}

TEST(CxImageGhost, BorrowsEverythingAndFreesNothing)
{
    ImageProbe source;
    FillRgb(source, 3, 2);
    ASSERT_TRUE(source.AlphaCreate());
    {
        ImageProbe ghost;
        ghost.Ghost(&source);
        EXPECT_EQ(ghost.Info().pGhost, &source);
        EXPECT_EQ(ghost.Dib(), source.Dib());
        EXPECT_EQ(ghost.Alpha(), source.Alpha());
        EXPECT_EQ(ghost.GetWidth(), 3u);
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_FALSE(ghost.DestroyFrames());
        EXPECT_EQ(ghost.Create(5, 5, 8), nullptr);
        EXPECT_EQ(ghost.Dib(), source.Dib());
        EXPECT_FALSE(ghost.Transfer(source));
    }
    EXPECT_TRUE(source.IsValid());
    EXPECT_EQ(source.GetPixelColor(2, 1).rgbBlue, 2);
}

TEST(CxImageGhost, CopyOfAGhostIsAGhost)
{
    ImageProbe source;
    FillRgb(source, 2, 2);
    ImageProbe ghost;
    ghost.Ghost(&source);
    ImageProbe copy;
    FillRgb(copy, 4, 4);
    copy.Copy(ghost);
    EXPECT_NE(copy.Info().pGhost, nullptr);
    EXPECT_EQ(copy.Dib(), source.Dib());
    EXPECT_FALSE(copy.Destroy());
}

// The ghost's block belongs to its source: copying into the ghost must
// neither free it nor write another picture over it.
TEST(CxImageGhost, CopyIntoAGhostLeavesTheSourceAlone)
{
    ImageProbe source;
    FillRgb(source, 2, 2);
    std::vector<BYTE> before(source.Dib(), source.Dib() + source.GetSize());
    ImageProbe other;
    FillRgb(other, 2, 2);
    other.Clear(0xEE);

    ImageProbe ghost;
    ghost.Ghost(&source);
    ghost.Copy(other);
    EXPECT_EQ(ghost.Info().pGhost, &source);
    EXPECT_EQ(ghost.Dib(), source.Dib());
    EXPECT_EQ(memcmp(source.Dib(), before.data(), before.size()), 0);
    ghost = other;
    EXPECT_EQ(memcmp(source.Dib(), before.data(), before.size()), 0);
}

TEST(CxImageTransfer, MovesEverythingAndEmptiesTheSource)
{
    ImageProbe from;
    FillRgb(from, 3, 3);
    ASSERT_TRUE(from.AlphaCreate());
    from.Frames() = new CxImage*[2]{new CxImage, new CxImage};
    from.Info().nNumFrames = 2;
    BYTE* block = from.Dib();

    ImageProbe to;
    FillRgb(to, 1, 1);
    ASSERT_TRUE(to.Transfer(from));
    EXPECT_EQ(to.Dib(), block);
    EXPECT_EQ(to.GetWidth(), 3u);
    EXPECT_TRUE(to.AlphaIsValid());
    EXPECT_EQ(to.GetNumFrames(), 2);
    EXPECT_FALSE(from.IsValid());
    EXPECT_FALSE(from.AlphaIsValid());
    EXPECT_EQ(from.Info().nBkgndIndex, 0);
    EXPECT_EQ(from.Frames(), nullptr);
    EXPECT_EQ(from.GetNumFrames(), 0);
}

TEST(CxImageTransfer, WithoutFramesEachSideKeepsItsOwn)
{
    ImageProbe from;
    FillRgb(from, 2, 2);
    from.Frames() = new CxImage*[1]{new CxImage};
    from.Info().nNumFrames = 1;
    ImageProbe to;
    to.Frames() = new CxImage*[2]{new CxImage, new CxImage};
    to.Info().nNumFrames = 2;

    ASSERT_TRUE(to.Transfer(from, false));
    EXPECT_EQ(to.GetNumFrames(), 2);
    EXPECT_EQ(from.GetNumFrames(), 1);
    EXPECT_NE(from.Frames(), nullptr);
}

TEST(CxImageDestroy, ReleasesPlanesAndLayersButKeepsFrames)
{
    ImageProbe image;
    FillRgb(image, 2, 2);
    ASSERT_TRUE(image.AlphaCreate());
    ASSERT_TRUE(image.SelectionCreate());
    image.Layers() = new CxImage*[2]{new CxImage, nullptr};
    image.Info().nNumLayers = 2;
    image.Frames() = new CxImage*[1]{new CxImage};
    image.Info().nNumFrames = 1;

    EXPECT_TRUE(image.Destroy());
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Info().pImage, nullptr);
    EXPECT_FALSE(image.AlphaIsValid());
    EXPECT_FALSE(image.SelectionIsValid());
    EXPECT_EQ(image.Layers(), nullptr);
    EXPECT_EQ(image.Info().nNumLayers, 0);
    EXPECT_EQ(image.GetNumFrames(), 1);
    EXPECT_TRUE(image.DestroyFrames());
    EXPECT_EQ(image.GetNumFrames(), 0);
    EXPECT_TRUE(image.DestroyFrames());
}

TEST(CxImageCopyInfo, OnlyIntoAnImageWithoutPixels)
{
    ImageProbe source(CXIMAGE_FORMAT_GIF);
    source.Info().dwFrameDelay = 40;
    ImageProbe empty;
    empty.CopyInfo(source);
    EXPECT_EQ(empty.Info().dwFrameDelay, 40u);
    EXPECT_EQ(empty.GetType(), CXIMAGE_FORMAT_GIF);

    ImageProbe full;
    FillRgb(full, 1, 1);
    full.CopyInfo(source);
    EXPECT_EQ(full.Info().dwFrameDelay, 0u);
}

// A source array of h rows, row r filled with bytes r * 16 + column.
std::vector<BYTE> Rows(DWORD h, DWORD bytesPerLine)
{
    std::vector<BYTE> data(h * bytesPerLine);
    for (DWORD r = 0; r < h; r++)
        for (DWORD i = 0; i < bytesPerLine; i++) data[r * bytesPerLine + i] = BYTE(r * 16 + i);
    return data;
}

TEST(CxImageFromArray, FlipPutsTheFirstSourceRowOnTop)
{
    for (bool flip : {true, false}) {
        std::vector<BYTE> data = Rows(3, 6);
        ImageProbe image;
        ASSERT_TRUE(image.CreateFromArray(data.data(), 2, 3, 24, 6, flip));
        EXPECT_EQ(image.GetBpp(), 24);
        EXPECT_EQ(image.GetType(), 0u);
        for (DWORD r = 0; r < 3; r++) {
            DWORD row = flip ? 2 - r : r;
            RGBQUAD c = image.GetPixelColor(1, row, false);
            EXPECT_EQ(c.rgbBlue, r * 16 + 3) << "flip " << flip << " row " << r;
            EXPECT_EQ(c.rgbGreen, r * 16 + 4);
            EXPECT_EQ(c.rgbRed, r * 16 + 5);
        }
    }
}

TEST(CxImageFromArray, CopiesAtMostTheShorterRow)
{
    // Shorter than the padded row of 8 bytes: the rest of the row stays zero.
    std::vector<BYTE> narrow = Rows(2, 5);
    ImageProbe a;
    ASSERT_TRUE(a.CreateFromArray(narrow.data(), 2, 2, 24, 5, false));
    EXPECT_EQ(a.GetBits(1)[4], 16 + 4);
    EXPECT_EQ(a.GetBits(1)[5], 0);
    // Longer: only the padded row is taken, and rows step by the source's length.
    std::vector<BYTE> wide = Rows(2, 12);
    ImageProbe b;
    ASSERT_TRUE(b.CreateFromArray(wide.data(), 2, 2, 24, 12, false));
    EXPECT_EQ(b.GetBits(1)[0], 16);
    EXPECT_EQ(b.GetBits(1)[7], 16 + 7);
}

TEST(CxImageFromArray, ThirtyTwoBitsGiveAnAlphaPlane)
{
    std::vector<BYTE> data = {1, 2, 3, 4, 5, 6, 7, 8,   // top row
                              9, 10, 11, 12, 13, 14, 15, 16};
    ImageProbe image;
    ASSERT_TRUE(image.CreateFromArray(data.data(), 2, 2, 32, 8, true));
    EXPECT_EQ(image.GetBpp(), 24);
    ASSERT_TRUE(image.AlphaIsValid());
    RGBQUAD c = image.GetPixelColor(1, 1, true);
    EXPECT_EQ(c.rgbBlue, 5);
    EXPECT_EQ(c.rgbRed, 7);
    EXPECT_EQ(c.rgbReserved, 8);
    EXPECT_EQ(image.AlphaGet(0, 0), 12);
}

// Rows shorter than the width's pixels: only whole pixels of each row are read.
TEST(CxImageFromArray, ThirtyTwoBitRowsNeverReadPastTheirLength)
{
    std::vector<BYTE> data(2 * 5, 0x40);
    ImageProbe image;
    ASSERT_TRUE(image.CreateFromArray(data.data(), 3, 2, 32, 5, false));
    EXPECT_EQ(image.GetPixelColor(0, 1, true).rgbReserved, 0x40);
    EXPECT_EQ(image.GetPixelColor(1, 1, true).rgbReserved, 255);
}

TEST(CxImageFromArray, LowDepthsGetAGreyPalette)
{
    BYTE data[4] = {0x80, 0, 0, 0};
    ImageProbe one;
    ASSERT_TRUE(one.CreateFromArray(data, 1, 1, 1, 4, false));
    EXPECT_EQ(one.GetPaletteColor(1).rgbRed, 255);
    EXPECT_EQ(one.GetPixelIndex(0, 0), 1);
    ImageProbe eight;
    ASSERT_TRUE(eight.CreateFromArray(data, 1, 1, 8, 4, false));
    EXPECT_TRUE(eight.IsGrayScale());
    EXPECT_EQ(eight.GetPixelColor(0, 0).rgbGreen, 0x80);
}

TEST(CxImageFromArray, RefusesBadArguments)
{
    BYTE data[16] = {};
    ImageProbe image;
    EXPECT_FALSE(image.CreateFromArray(nullptr, 2, 2, 24, 8, false));
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_FALSE(image.CreateFromArray(data, 2, 2, 16, 8, false));
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_FALSE(image.CreateFromArray(data, 0, 2, 24, 8, false));
    EXPECT_STREQ(image.GetLastError(),
                 "CxImage::Create : width and height must be greater than zero");
}

}  // namespace
