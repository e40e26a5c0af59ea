// JPEG files judged by djpeg (markers, sampling, density, coding) and by
// Python's imaging library (pixels within a small mean error), and the
// source manager driven by libjpeg's own decompressor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "CodecFixtures.h"
#include "ImageProbe.h"
#include "image/CxFileJpg.h"
#include "image/CxImageJPG.h"

namespace {

// A smooth picture, different in every direction, so that a flipped,
// mirrored or colour-swapped file shows as a large error.
void Smooth(CxImage& image, DWORD width, DWORD height)
{
    ASSERT_NE(image.Create(width, height, 24), nullptr);
    for (DWORD y = 0; y < height; y++)
        for (DWORD x = 0; x < width; x++)
            image.SetPixelColor(x, y, RGBQUAD{BYTE(40 + y * 4), BYTE(200 - x * 3), BYTE(30 + x * 5), 0});
}

// A grey-ramp picture of the given depth; pixel levels follow x + y.
void GreyRamp(CxImage& image, DWORD width, DWORD height, DWORD bpp)
{
    ASSERT_NE(image.Create(width, height, bpp), nullptr);
    DWORD levels = image.GetNumColors();
    for (DWORD i = 0; i < levels; i++) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
    for (DWORD y = 0; y < height; y++)
        for (DWORD x = 0; x < width; x++) image.SetPixelIndex(x, y, BYTE((x + y) / 4 % levels));
}

double MeanError(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.size(); i++) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / double(a.size());
}

std::string Djpeg(const std::string& path)
{
    ToolRun run = RunTool("djpeg -verbose '" + path + "' 2>&1 >/dev/null");
    EXPECT_EQ(run.status, 0) << run.output;
    return run.output;
}

struct RoundTrip {
    const char* name;
    DWORD bpp;
    DWORD width;
    int components;
    double mostError;  // mean per channel, 0 to 255
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

class JpegRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(JpegRoundTrip, DecodesCloseToThePicture)
{
    const RoundTrip& c = GetParam();
    CxImage image;
    if (c.bpp == 24)
        Smooth(image, c.width, 23);
    else
        GreyRamp(image, c.width, 23, c.bpp);
    std::string path = TempPath(c.name, "jpg");
    EncodeBoth(image, CXIMAGE_FORMAT_JPG, path);

    std::string report = Djpeg(path);
    EXPECT_TRUE(Has(report, "width=" + std::to_string(c.width) + ", height=23, components="
                                + std::to_string(c.components)))
        << report;
    ReadBack back = ReadWithPil(path);
    remove(path.c_str());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.mode, c.components == 1 ? "L" : "RGB");
    EXPECT_LT(MeanError(back.rgba, ExpectedRgbaWith(image, 255)), c.mostError);
}

INSTANTIATE_TEST_SUITE_P(Depths, JpegRoundTrip,
                         testing::Values(RoundTrip{"rgb", 24, 37, 3, 3.0},
                                         RoundTrip{"grey8", 8, 37, 1, 2.0},
                                         // Packed grey rows are widened, never read past.
                                         RoundTrip{"grey4", 4, 37, 1, 1.0},
                                         RoundTrip{"grey1", 1, 37, 1, 1.0}));

struct OptionCase {
    const char* name;
    DWORD options;
    float quality;
    std::vector<const char*> seen;     // in djpeg's report
    std::vector<const char*> notSeen;
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class JpegOptions : public testing::TestWithParam<OptionCase> {};

TEST_P(JpegOptions, ShowInTheMarkers)
{
    const OptionCase& c = GetParam();
    ImageProbe image;
    Smooth(image, 37, 23);
    image.SetCodecOption(c.options, CXIMAGE_FORMAT_JPG);
    image.Info().fQuality = c.quality;
    std::string path = TempPath(c.name, "jpg");
    EncodeBoth(image, CXIMAGE_FORMAT_JPG, path);
    std::string report = Djpeg(path);
    remove(path.c_str());
    for (const char* text : c.seen) EXPECT_TRUE(Has(report, text)) << text << "\n" << report;
    for (const char* text : c.notSeen) EXPECT_FALSE(Has(report, text)) << text << "\n" << report;
}

INSTANTIATE_TEST_SUITE_P(
    Bits, JpegOptions,
    testing::Values(
        OptionCase{"plain", 0, 90, {"Start Of Frame 0xc0", "Component 1: 2hx2v", "Component 2: 1hx1v",
                                    "density 96x96  1"}, {}},
        OptionCase{"sub422", CxImageJPG::ENCODE_SUBSAMPLE_422, 90, {"Component 1: 2hx1v"}, {}},
        OptionCase{"sub444", CxImageJPG::ENCODE_SUBSAMPLE_444, 90, {"Component 1: 1hx1v"}, {}},
        OptionCase{"both", CxImageJPG::ENCODE_SUBSAMPLE_422 | CxImageJPG::ENCODE_SUBSAMPLE_444, 90,
                   {"Component 1: 1hx1v"}, {}},
        OptionCase{"progressive", CxImageJPG::ENCODE_PROGRESSIVE, 90, {"Start Of Frame 0xc2"}, {}},
        OptionCase{"grey", CxImageJPG::ENCODE_GRAYSCALE, 90, {"components=1"}, {}},
        // libjpeg-turbo writes arithmetic coding (SOF9) and djpeg reads it.
        OptionCase{"arithmetic", CxImageJPG::ENCODE_ARITHMETIC, 90, {"Start Of Frame 0xc9"}, {}},
        // At quality 1 the tables need 16-bit entries unless baseline is forced.
        OptionCase{"extended", 0, 1, {"precision 1"}, {}},
        OptionCase{"baseline", CxImageJPG::ENCODE_BASELINE, 1, {"precision 0"}, {"precision 1"}}));

TEST(JpegHeader, DensityKeepsItsLowSixteenBits)
{
    CxImage image;
    Smooth(image, 9, 9);
    image.SetXDPI(300);
    image.SetYDPI(70000);
    std::string path = TempPath("density", "jpg");
    EncodeBoth(image, CXIMAGE_FORMAT_JPG, path);
    std::string report = Djpeg(path);
    remove(path.c_str());
    EXPECT_TRUE(Has(report, "density 300x4464  1")) << report;
}

TEST(JpegHeader, QualityIsRounded)
{
    ImageProbe image;
    Smooth(image, 16, 16);
    image.Info().fQuality = 74.5f;
    std::string path = TempPath("quality", "jpg");
    EncodeBoth(image, CXIMAGE_FORMAT_JPG, path);
    ToolRun run = RunTool("identify -verbose '" + path + "' 2>&1");
    remove(path.c_str());
    EXPECT_TRUE(Has(run.output, "Quality: 75")) << run.output;
}

// Optimised tables and smoothing change the coded data, never the size of
// the picture.
TEST(JpegOptions, OptimizeAndSmoothingChangeTheData)
{
    struct Probe : CxImageJPG {
        void Smoothing(int factor) { m_nSmoothing = factor; }
    };
    CxImage image;
    Smooth(image, 40, 40);
    auto encode = [&](DWORD options, int smoothing) {
        Probe jpg;
        jpg.Ghost(&image);
        jpg.SetCodecOption(options, CXIMAGE_FORMAT_JPG);
        jpg.Smoothing(smoothing);
        CxMemFile file;
        file.Open();
        EXPECT_TRUE(jpg.Encode(&file)) << jpg.GetLastError();
        return std::vector<BYTE>(file.GetBuffer(false), file.GetBuffer(false) + file.Size());
    };
    std::vector<BYTE> plain = encode(0, 50);
    EXPECT_LT(encode(CxImageJPG::ENCODE_OPTIMIZE, 0).size(), plain.size());
    EXPECT_NE(encode(CxImageJPG::ENCODE_SMOOTHING, 50), plain);
    EXPECT_EQ(encode(CxImageJPG::ENCODE_SMOOTHING, 0), plain);
}

TEST(JpegInput, AlphaIsLeftOut)
{
    CxImage image;
    Smooth(image, 9, 5);
    CxMemFile plain;
    plain.Open();
    ASSERT_TRUE(image.Encode(&plain, CXIMAGE_FORMAT_JPG));
    AddAlpha(image);
    CxMemFile withAlpha;
    withAlpha.Open();
    ASSERT_TRUE(image.Encode(&withAlpha, CXIMAGE_FORMAT_JPG));
    ASSERT_EQ(plain.Size(), withAlpha.Size());
    EXPECT_EQ(memcmp(plain.GetBuffer(false), withAlpha.GetBuffer(false), plain.Size()), 0);
}

TEST(JpegInput, ColourPaletteIsRefused)
{
    for (DWORD bpp : {1u, 4u, 8u}) {
        CxImage image;
        Pattern(image, 5, 3, bpp);
        ExpectRefused(image, CXIMAGE_FORMAT_JPG, "JPEG can save only RGB or GreyScale images");
    }
}

// Both the full-buffer write and the final flush are checked.
TEST(JpegShortWrite, FailsWithLibjpegsMessage)
{
    CxImage image;
    ASSERT_NE(image.Create(120, 120, 24), nullptr);
    unsigned noise = 1;  // noise needs several buffers
    for (LONG y = 0; y < 120; y++)
        for (LONG x = 0; x < 120; x++) {
            noise = noise * 1103515245u + 12345u;
            image.SetPixelColor(x, y, RGBQUAD{BYTE(noise >> 8), BYTE(noise >> 16), BYTE(noise >> 24), 0});
        }
    CxMemFile whole;
    whole.Open();
    ASSERT_TRUE(image.Encode(&whole, CXIMAGE_FORMAT_JPG));
    ASSERT_GT(whole.Size(), 3 * 4096);
    for (long room : {0L, 4095L, 4096L, 8191L, whole.Size() - 1}) {
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, CXIMAGE_FORMAT_JPG)) << room;
        EXPECT_STREQ(image.GetLastError(), "Output file write error --- out of disk space?") << room;
    }
}

// --- the source manager, driven by libjpeg's decompressor ---

struct Decoded {
    bool ok = false;
    JDIMENSION width = 0, height = 0;
    long warnings = 0;
    char message[JMSG_LENGTH_MAX] = "";
};

Decoded DecodeThroughSource(CxFile* file)
{
    Decoded result;
    jpeg_decompress_struct cinfo;
    CxJpgErrorManager jerr;
    jerr.buffer = result.message;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = CxJpgErrorExit;
    jerr.pub.output_message = [](j_common_ptr) {};  // warnings are counted, not printed
    CxFileJpg source(file);
    if (setjmp(jerr.setjmp_buffer)) {
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.src = &source.src;
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(cinfo.output_width * cinfo.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, rows, 1);
    jpeg_finish_decompress(&cinfo);
    result.ok = true;
    result.width = cinfo.output_width;
    result.height = cinfo.output_height;
    result.warnings = jerr.pub.num_warnings;
    jpeg_destroy_decompress(&cinfo);
    return result;
}

TEST(JpegSource, ReadsWholeCutAndEmptyStreams)
{
    CxImage image;
    Pattern(image, 150, 100, 24);
    CxMemFile whole;
    whole.Open();
    ASSERT_TRUE(image.Encode(&whole, CXIMAGE_FORMAT_JPG));

    whole.Seek(0, SEEK_SET);
    Decoded full = DecodeThroughSource(&whole);
    ASSERT_TRUE(full.ok) << full.message;
    EXPECT_EQ(full.width, 150u);
    EXPECT_EQ(full.height, 100u);
    EXPECT_EQ(full.warnings, 0);

    // Cut in the scan: the missing end is made up and warned about.
    CxMemFile cut(whole.GetBuffer(false), size_t(whole.Size() * 2 / 3));
    Decoded partial = DecodeThroughSource(&cut);
    EXPECT_TRUE(partial.ok) << partial.message;
    EXPECT_GT(partial.warnings, 0);

    CxMemFile empty;
    empty.Open();
    Decoded none = DecodeThroughSource(&empty);
    EXPECT_FALSE(none.ok);
    EXPECT_STREQ(none.message, "Empty input file");
}

}  // namespace
