// MNG files judged by outside readers: pngcheck for the chunks and their
// CRCs, ImageMagick for the pixels, file for the type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormatTools.h"
#include "OutsideTools.h"
#include "image/CxMemFile.h"

namespace {

constexpr DWORD MNG = CXIMAGE_FORMAT_MNG;

// Smooth pictures compress; noise does not, so its data grows under zlib.
void Picture(CxImage& image, DWORD w, DWORD h, bool noise)
{
    ASSERT_NE(image.Create(w, h, 24), nullptr);
    unsigned seed = w + 97 * h;
    for (DWORD y = 0; y < h; y++) {
        for (DWORD x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            RGBQUAD c = noise ? RGBQUAD{BYTE(seed >> 8), BYTE(seed >> 16), BYTE(seed >> 24), 0}
                              : RGBQUAD{BYTE(x * 40), BYTE(y * 50), BYTE(200 - x - y), 0};
            image.SetPixelColor(LONG(x), LONG(y), c);
        }
    }
}

struct MngCase {
    DWORD width, height;
    bool noise;
};

void PrintTo(const MngCase& c, std::ostream* os)
{
    *os << c.width << "x" << c.height << (c.noise ? " noise" : " smooth");
}

class MngFrame : public testing::TestWithParam<MngCase> {};

TEST_P(MngFrame, ReadersSeeOneFrameBetweenMhdrAndMend)
{
    const MngCase& c = GetParam();
    CxImage image;
    Picture(image, c.width, c.height, c.noise);
    std::string path = TempPath("frame", "mng");
    ASSERT_TRUE(image.Save(path.c_str(), MNG)) << image.GetLastError();

    ToolRun check = RunTool("pngcheck -v '" + path + "' 2>&1");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_TRUE(Has(check.output, "No errors detected")) << check.output;
    size_t at = 0;
    for (const char* chunk : {"chunk MHDR", "chunk DEFI", "chunk IHDR", "chunk IDAT", "chunk IEND", "chunk MEND"}) {
        size_t found = check.output.find(chunk, at);
        EXPECT_NE(found, std::string::npos) << chunk << " missing or out of order:\n" << check.output;
        if (found != std::string::npos) at = found;
    }
    EXPECT_TRUE(Has(check.output, std::to_string(c.width) + " x " + std::to_string(c.height))) << check.output;

    EXPECT_TRUE(Has(Tool("file", "-b '" + path + "'"), "MNG"));

    std::string rgb = Tool("convert", "'" + path + "' -depth 8 rgb:-");
    Raster shown;
    shown.width = int(c.width);
    shown.height = int(c.height);
    shown.rgb.assign(rgb.begin(), rgb.end());
    EXPECT_TRUE(shown == RasterOf(image)) << "ImageMagick shows other pixels";
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Pictures, MngFrame,
                         testing::Values(MngCase{1, 1, false},
                                         // Rows padded to 4 bytes in the image, not in the stream.
                                         MngCase{5, 3, false}, MngCase{64, 40, false},
                                         // Data that zlib makes larger must still be written.
                                         MngCase{90, 70, true}));

struct Refusal {
    const char* picture;
    const char* text;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.picture; }

class MngRefused : public testing::TestWithParam<Refusal> {};

TEST_P(MngRefused, SaysWhyAndWritesNothing)
{
    const std::string picture = GetParam().picture;
    CxImage image;
    if (picture == "8 bpp")
        image.Create(4, 4, 8);
    else if (picture == "1 bpp")
        image.Create(4, 4, 1);
    ExpectRefused(image, MNG, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, MngRefused,
                         testing::Values(Refusal{"8 bpp", "MNG encoder can save only RGB images"},
                                         Refusal{"1 bpp", "MNG encoder can save only RGB images"},
                                         Refusal{"empty", "null image!!!"}));

// Wherever the stream stops taking bytes, the encode fails.
TEST(MngShortWrite, FailsWherever)
{
    CxImage image;
    Picture(image, 40, 30, true);
    CxMemFile memory;
    memory.Open();
    ASSERT_TRUE(image.Encode(&memory, MNG)) << image.GetLastError();
    const long size = memory.Size();
    for (long room : {0L, 7L, 30L, size / 2, size - 1}) {
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, MNG)) << "room " << room << " of " << size;
        EXPECT_STREQ(image.GetLastError(), "could not write MNG stream") << "room " << room;
    }
    ShortFile enough(size);
    EXPECT_TRUE(image.Encode(&enough, MNG)) << image.GetLastError();
}

}  // namespace
