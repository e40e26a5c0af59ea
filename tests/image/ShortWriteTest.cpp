// Every encoder notices a stream that stops taking bytes, wherever that
// happens, and fails with its format's message instead of reporting a
// truncated file as written.
#include <gtest/gtest.h>

#include "CodecFixtures.h"

namespace {

struct ShortCase {
    DWORD id;
    DWORD bpp;
    bool alpha;
    const char* text;        // the message once the header is out
    const char* headerText;  // the message while the header is cut, if other
    long headerSize;
};

void PrintTo(const ShortCase& c, std::ostream* os)
{
    *os << "format " << c.id << ", " << c.bpp << " bpp" << (c.alpha ? ", alpha" : "");
}

class ShortWrite : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortWrite, FailsWithTheFormatsMessage)
{
    const ShortCase& c = GetParam();
    CxImage image;
    Pattern(image, 21, 9, c.bpp, c.alpha);
    CxMemFile whole;
    whole.Open();
    ASSERT_TRUE(image.Encode(&whole, c.id)) << image.GetLastError();
    long size = whole.Size();
    for (long room : {0L, 1L, c.headerSize - 1, c.headerSize, size / 2, size - 1}) {
        if (room < 0 || room >= size) continue;
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, c.id)) << room << " bytes of room";
        const char* text = c.headerText && room < c.headerSize ? c.headerText : c.text;
        EXPECT_STREQ(image.GetLastError(), text) << room << " bytes of room";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ShortWrite,
    testing::Values(ShortCase{CXIMAGE_FORMAT_BMP, 8, false, "Error saving BMP file", nullptr, 14},
                    ShortCase{CXIMAGE_FORMAT_BMP, 24, true, "Error saving BMP file", nullptr, 54},
                    ShortCase{CXIMAGE_FORMAT_ICO, 4, false, "Error saving ICO file", nullptr, 22},
                    ShortCase{CXIMAGE_FORMAT_ICO, 24, true, "Error saving ICO file", nullptr, 22},
                    ShortCase{CXIMAGE_FORMAT_TGA, 8, false, "Error saving TGA file", nullptr, 18},
                    ShortCase{CXIMAGE_FORMAT_TGA, 24, true, "Error saving TGA file", nullptr, 18},
                    ShortCase{CXIMAGE_FORMAT_PCX, 8, false, "Error saving PCX file",
                              "cannot write PCX header", 128},
                    ShortCase{CXIMAGE_FORMAT_PCX, 1, false, "Error saving PCX file",
                              "cannot write PCX header", 128},
                    ShortCase{CXIMAGE_FORMAT_WBMP, 1, false, "Error saving WBMP file", nullptr, 4},
                    ShortCase{CXIMAGE_FORMAT_SKA, 4, false, "Error saving SKA file", nullptr, 9}));

// A C stream on a full disk: the rows overflow the stream's buffer, and the
// failed write is noticed.
TEST(ShortWriteStream, FullDeviceFails)
{
    CxImage image;
    Pattern(image, 300, 300, 24);
    FILE* full = fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(image.Encode(full, CXIMAGE_FORMAT_TGA));
    fclose(full);
    EXPECT_STREQ(image.GetLastError(), "Error saving TGA file");
}

}  // namespace
