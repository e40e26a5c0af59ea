// The page picture as the engine makes it: a top-down 24-bit bitmap of
// 1275 x 1650 (a letter page at 150 dpi), rows of width * 3 bytes with no
// padding, blue-green-red, handed to CreateFromArray with the flip on.
#include <gtest/gtest.h>

#include <vector>

#include "image/CxImage.h"
#include "OutsideTools.h"

namespace {

constexpr DWORD kWidth = 1275;
constexpr DWORD kHeight = 1650;
constexpr DWORD kRowSize = kWidth * 3;

// Every row differs, so a row out of place shows.
std::vector<BYTE> PageBitmap()
{
    std::vector<BYTE> bitmap(size_t(kRowSize) * kHeight);
    for (DWORD y = 0; y < kHeight; y++) {
        BYTE* row = bitmap.data() + size_t(y) * kRowSize;
        for (DWORD x = 0; x < kWidth; x++) {
            row[3 * x + 0] = BYTE(x + y);         // blue
            row[3 * x + 1] = BYTE(y * 7 + x / 5);  // green
            row[3 * x + 2] = BYTE(y >> 3);         // red
        }
    }
    return bitmap;
}

TEST(PageImage, CreateFromArrayKeepsThePageUpright)
{
    std::vector<BYTE> bitmap = PageBitmap();
    CxImage image;
    ASSERT_TRUE(image.CreateFromArray(bitmap.data(), kWidth, kHeight, 24, kRowSize, true));
    EXPECT_EQ(image.GetWidth(), kWidth);
    EXPECT_EQ(image.GetHeight(), kHeight);
    // Source row 0 is the top of the picture, the image's last row.
    for (DWORD y : {0u, 1u, 824u, kHeight - 1}) {
        for (DWORD x : {0u, 1u, 640u, kWidth - 1}) {
            RGBQUAD c = image.GetPixelColor(x, kHeight - 1 - y, false);
            const BYTE* source = bitmap.data() + size_t(y) * kRowSize + 3 * x;
            EXPECT_EQ(c.rgbBlue, source[0]);
            EXPECT_EQ(c.rgbGreen, source[1]);
            EXPECT_EQ(c.rgbRed, source[2]);
        }
    }
}

TEST(PageImage, SavesAsPngThatReadsBackIdentical)
{
    std::vector<BYTE> bitmap = PageBitmap();
    CxImage image;
    ASSERT_TRUE(image.CreateFromArray(bitmap.data(), kWidth, kHeight, 24, kRowSize, true));
    std::string path = TempPngPath("page");
    ASSERT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG)) << image.GetLastError();

    std::string missing = MissingTool("pngcheck");
    ASSERT_EQ(missing, "");
    ToolRun check = RunTool("pngcheck -v '" + path + "' 2>&1");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("1275 x 1650 image, 24-bit RGB, non-interlaced"),
              std::string::npos) << check.output;

    ReadBack back = ReadWithPil(path);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.mode, "RGB");
    ASSERT_EQ(back.width, int(kWidth));
    ASSERT_EQ(back.height, int(kHeight));
    size_t differing = 0;
    for (DWORD y = 0; y < kHeight; y++) {
        for (DWORD x = 0; x < kWidth; x++) {
            const BYTE* source = bitmap.data() + size_t(y) * kRowSize + 3 * x;
            const unsigned char* read = back.rgba.data() + (size_t(y) * kWidth + x) * 4;
            if (read[0] != source[2] || read[1] != source[1] || read[2] != source[0]
                || read[3] != 255)
                differing++;
        }
    }
    EXPECT_EQ(differing, 0u);
    // The caller's pixels are still blue-green-red after the save.
    EXPECT_EQ(image.GetPixelColor(5, kHeight - 1, false).rgbBlue, bitmap[15]);
    remove(path.c_str());
}

}  // namespace
