// Flip, mirror and the quarter turns judged by Python's imaging library: the
// untouched image goes out as PNG, PIL transforms it, and our transform must
// give the same pixels. The planes are judged the same way through an 8-bit
// picture of their bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "ImageJudges.h"
#include "ImageProbe.h"

namespace {

// A picture of odd size at the given depth with a palette of distinct
// colours, random pixels, and random alpha and selection planes.
void Fill(ImageProbe& image, DWORD bpp, DWORD width, DWORD height, unsigned seed)
{
    ASSERT_NE(image.Create(width, height, bpp), nullptr);
    std::mt19937 random(seed);
    for (DWORD i = 0; i < image.GetNumColors(); i++)
        image.SetPaletteColor(BYTE(i), BYTE(i * 37 + 11), BYTE(255 - i * 5), BYTE(i * 101 + 3));
    for (DWORD i = 0; i < image.GetSize() - image.Head().biSize - image.GetPaletteSize(); i++)
        image.Info().pImage[i] = BYTE(random());
    ASSERT_TRUE(image.AlphaCreate());
    ASSERT_TRUE(image.SelectionCreate());
    for (LONG y = 0; y < LONG(height); y++) {
        for (LONG x = 0; x < LONG(width); x++) {
            image.AlphaSet(x, y, BYTE(random()));
            image.SelectionSet(x, y, BYTE(random() % 3 ? 0 : 255));
        }
    }
}

// A 24-bit picture of the planes: red is the alpha byte, green the
// selection byte.
ImageProbe PlanePicture(const ImageProbe& image)
{
    ImageProbe planes;
    planes.Create(image.GetWidth(), image.GetHeight(), 24);
    for (LONG y = 0; y < LONG(image.GetHeight()); y++)
        for (LONG x = 0; x < LONG(image.GetWidth()); x++)
            planes.SetPixelColor(x, y, RGBQUAD{0, image.SelectionGetUnchecked(x, y), image.AlphaGet(x, y), 0});
    return planes;
}

// The picture PIL makes of the image with the operation.
std::vector<unsigned char> PilTransformed(CxImage& image, const std::string& op, int* width)
{
    std::string path = JudgePath("transform", "png");
    EXPECT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    PilPicture picture = PilDump(path, "--op " + op);
    remove(path.c_str());
    EXPECT_TRUE(picture.ok) << picture.error;
    *width = picture.width;
    return picture.bytes;
}

// Pixels without the alpha plane, which the plane pictures judge.
std::vector<unsigned char> Opaque(const CxImage& image)
{
    CxImage copy(image, true, false, false);
    return ExpectedRgba(copy);
}

struct Operation {
    const char* name;
    const char* pilOp;
    std::function<bool(CxImage&)> apply;
};

const Operation kOperations[] = {
    {"Flip", "FLIP_TOP_BOTTOM", [](CxImage& i) { return i.Flip(true, true); }},
    {"Mirror", "FLIP_LEFT_RIGHT", [](CxImage& i) { return i.Mirror(true, true); }},
    {"RotateLeft", "ROTATE_LEFT", [](CxImage& i) { return i.RotateLeft(); }},
    {"RotateRight", "ROTATE_RIGHT", [](CxImage& i) { return i.RotateRight(); }},
};

struct Size {
    DWORD width, height;
};

class CxImageTransformDepth : public testing::TestWithParam<DWORD> {};

TEST_P(CxImageTransformDepth, MatchesTheImagingLibrary)
{
    // Odd sizes, one of them crossing the 64-pixel rotation tiles.
    const Size sizes[] = {{13, 7}, {1, 5}, {70, 67}};
    DWORD bpp = GetParam();
    {
        for (const Size& size : sizes) {
            for (const Operation& op : kOperations) {
                SCOPED_TRACE(std::string(op.name) + " at " + std::to_string(bpp) + " bits, "
                             + std::to_string(size.width) + " x " + std::to_string(size.height));
                ImageProbe image;
                Fill(image, bpp, size.width, size.height, bpp * 1000 + size.width);
                ImageProbe opaque(image, true, false, false);
                ImageProbe planes = PlanePicture(image);
                int width = 0, planesWidth = 0;
                std::vector<unsigned char> expected = PilTransformed(opaque, op.pilOp, &width);
                std::vector<unsigned char> expectedPlanes = PilTransformed(planes, op.pilOp, &planesWidth);

                ASSERT_TRUE(op.apply(image));
                ASSERT_EQ(LONG(image.GetWidth()), width);
                EXPECT_EQ(image.GetBpp(), bpp);
                EXPECT_EQ(FirstDifference(expected, Opaque(image), width), "");
                EXPECT_EQ(FirstDifference(expectedPlanes, ExpectedRgba(PlanePicture(image)), width), "");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, CxImageTransformDepth, testing::Values(1, 4, 8, 24),
                         [](const testing::TestParamInfo<DWORD>& info) {
                             return std::to_string(info.param) + "bits";
                         });

TEST(CxImageTransform, RotationIntoATargetLeavesTheSourceAlone)
{
    ImageProbe image;
    Fill(image, 24, 3, 2, 7);
    ImageProbe before(image);
    CxImage target;
    ASSERT_TRUE(image.RotateLeft(&target));
    EXPECT_EQ(target.GetWidth(), 2u);
    EXPECT_EQ(target.GetHeight(), 3u);
    // The old top-left pixel lands bottom-left.
    RGBQUAD moved = target.GetPixelColor(0, 0, false), topLeft = image.GetPixelColor(0, 1, false);
    EXPECT_EQ(memcmp(&moved, &topLeft, 3), 0);
    EXPECT_EQ(ExpectedRgba(image), ExpectedRgba(before));
    // Turning back restores the image.
    ASSERT_TRUE(target.RotateRight());
    EXPECT_EQ(ExpectedRgba(target), ExpectedRgba(before));
}

// The bits past the last pixel of each 1-bit row stay clear, whatever the
// source held in its own padding.
TEST(CxImageTransform, OneBitRotationLeavesRowPaddingClear)
{
    for (bool left : {true, false}) {
        for (Size size : {Size{9, 13}, Size{13, 9}, Size{3, 70}, Size{70, 3}}) {
            SCOPED_TRACE(std::string(left ? "left " : "right ") + std::to_string(size.width) + " x "
                         + std::to_string(size.height));
            ImageProbe image;
            ASSERT_NE(image.Create(size.width, size.height, 1), nullptr);
            memset(image.Info().pImage, 0xFF, image.Head().biSizeImage);
            ASSERT_TRUE(left ? image.RotateLeft() : image.RotateRight());
            DWORD width = image.GetWidth();
            for (DWORD y = 0; y < image.GetHeight(); y++) {
                const BYTE* row = image.Info().pImage + (size_t)y * image.GetEffWidth();
                for (DWORD bit = 0; bit < image.GetEffWidth() * 8; bit++) {
                    bool set = row[bit / 8] & (0x80 >> (bit % 8));
                    ASSERT_EQ(set, bit < width) << "row " << y << " bit " << bit;
                }
            }
        }
    }
}

// The selection box keeps bounding the selected pixels (right and top
// exclusive, rows from the bottom).
TEST(CxImageTransform, SelectionBoxFollowsTheSelectedPixels)
{
    for (const Operation& op : kOperations) {
        SCOPED_TRACE(op.name);
        ImageProbe image;
        ASSERT_NE(image.Create(10, 6, 8), nullptr);
        ASSERT_TRUE(image.SelectionCreate());
        for (LONG y = 1; y < 3; y++)
            for (LONG x = 2; x < 5; x++) image.SelectionSet(x, y, 255);
        image.Info().rSelectionBox = RECT{2, 3, 5, 1};
        ASSERT_TRUE(op.apply(image));

        RECT found{LONG(image.GetWidth()), 0, 0, LONG(image.GetHeight())};
        for (LONG y = 0; y < LONG(image.GetHeight()); y++) {
            for (LONG x = 0; x < LONG(image.GetWidth()); x++) {
                if (!image.SelectionGetUnchecked(x, y)) continue;
                found.left = std::min(found.left, x);
                found.right = std::max(found.right, x + 1);
                found.bottom = std::min(found.bottom, y);
                found.top = std::max(found.top, y + 1);
            }
        }
        const RECT& box = image.Info().rSelectionBox;
        EXPECT_EQ(box.left, found.left);
        EXPECT_EQ(box.right, found.right);
        EXPECT_EQ(box.bottom, found.bottom);
        EXPECT_EQ(box.top, found.top);
    }
}

TEST(CxImageTransform, EdgesAndRefusals)
{
    // One row: a flip changes nothing; an odd height keeps its middle row.
    for (DWORD height : {1u, 5u}) {
        ImageProbe image;
        Fill(image, 24, 4, height, height);
        ImageProbe before(image);
        ASSERT_TRUE(image.Flip());
        RGBQUAD middle = image.GetPixelColor(2, LONG(height / 2)), old = before.GetPixelColor(2, LONG(height / 2));
        EXPECT_EQ(memcmp(&middle, &old, 3), 0);
    }
    // Without pixels every transform refuses.
    CxImage empty;
    for (const Operation& op : kOperations) EXPECT_FALSE(op.apply(empty)) << op.name;
    EXPECT_FALSE(empty.IncreaseBpp(8));
    EXPECT_FALSE(empty.AlphaFlip());
    EXPECT_FALSE(empty.SelectionMirror());
}

// Mirror, the rotations and IncreaseBpp replace the image, frames included.
TEST(CxImageTransform, RebuildingTransformsDropTheFrames)
{
    const std::function<bool(CxImage&)> rebuilds[] = {
        [](CxImage& i) { return i.Mirror(); }, [](CxImage& i) { return i.RotateLeft(); },
        [](CxImage& i) { return i.RotateRight(); }, [](CxImage& i) { return i.IncreaseBpp(24); }};
    for (const auto& rebuild : rebuilds) {
        ImageProbe image;
        ASSERT_NE(image.Create(5, 3, 8), nullptr);
        image.Frames() = new CxImage*[2]{new CxImage, new CxImage};
        image.Info().nNumFrames = 2;
        ASSERT_TRUE(rebuild(image));
        EXPECT_EQ(image.Frames(), nullptr);
    }
}

TEST(CxImageIncreaseBpp, KeepsIndicesColoursAndTransparency)
{
    // 1 to 8 bits: the two entries and the indices stay.
    ImageProbe bilevel;
    Fill(bilevel, 1, 11, 3, 5);
    ImageProbe before(bilevel);
    ASSERT_TRUE(bilevel.IncreaseBpp(8));
    EXPECT_EQ(bilevel.GetBpp(), 8);
    for (LONG y = 0; y < 3; y++)
        for (LONG x = 0; x < 11; x++) ASSERT_EQ(bilevel.GetPixelIndex(x, y), before.GetPixelIndex(x, y));
    EXPECT_EQ(memcmp(bilevel.GetPalette(), before.GetPalette(), 8), 0);
    EXPECT_EQ(ExpectedRgba(bilevel), ExpectedRgba(before));

    // 4 and 8 to 24 bits: the same colours; the transparent entry becomes the
    // background colour.
    for (DWORD bpp : {4u, 8u}) {
        ImageProbe indexed;
        Fill(indexed, bpp, 9, 4, bpp);
        indexed.SetTransIndex(3);
        ImageProbe old(indexed);
        ASSERT_TRUE(indexed.IncreaseBpp(24));
        EXPECT_EQ(indexed.GetBpp(), 24);
        EXPECT_EQ(ExpectedRgba(indexed), ExpectedRgba(old));
        RGBQUAD background = indexed.Info().nBkgndColor, entry = old.GetPaletteColor(3);
        EXPECT_EQ(memcmp(&background, &entry, 3), 0);
    }

    ImageProbe colour;
    Fill(colour, 8, 2, 2, 1);
    EXPECT_TRUE(colour.IncreaseBpp(8));    // already there
    EXPECT_FALSE(colour.IncreaseBpp(4));   // lower
    EXPECT_FALSE(colour.IncreaseBpp(16));  // no such depth
    EXPECT_EQ(colour.GetBpp(), 8);
}

}  // namespace
