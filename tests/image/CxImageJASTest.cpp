// JPEG 2000, PGX, PNM and Sun raster files judged by outside readers:
// OpenJPEG's opj_dump, opj_decompress and opj_compress, netpbm's pamfile and
// rasttopnm, and Python's imaging library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "FormatTools.h"
#include "ImageProbe.h"
#include "OutsideTools.h"
#include "image/CxMemFile.h"

namespace {


// A smooth picture: what the wavelet codes well and a rate limit keeps close.
void Smooth(CxImage& image, DWORD w, DWORD h)
{
    ASSERT_NE(image.Create(w, h, 24), nullptr);
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++)
            image.SetPixelColor(LONG(x), LONG(y),
                                RGBQUAD{BYTE(x * 255 / w), BYTE(y * 255 / h), BYTE((x + y) * 2), 0});
}

// Every sample independent: nothing compresses it.
void Noise(CxImage& image, DWORD w, DWORD h, DWORD bpp)
{
    ASSERT_NE(image.Create(w, h, bpp), nullptr);
    if (bpp == 8) image.SetGrayPalette();
    unsigned seed = w * 31 + h;
    for (DWORD y = 0; y < h; y++) {
        for (DWORD x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            if (bpp == 8)
                image.SetPixelIndex(LONG(x), LONG(y), BYTE(seed >> 16));
            else
                image.SetPixelColor(LONG(x), LONG(y), RGBQUAD{BYTE(seed >> 8), BYTE(seed >> 16), BYTE(seed >> 24), 0});
        }
    }
}

// The smooth picture with a little noise: no longer fits a small rate
// without loss.
void Textured(CxImage& image, DWORD w, DWORD h)
{
    Smooth(image, w, h);
    unsigned seed = 7;
    for (DWORD y = 0; y < h; y++) {
        for (DWORD x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            RGBQUAD c = image.GetPixelColor(LONG(x), LONG(y), false);
            c.rgbRed = BYTE(c.rgbRed ^ ((seed >> 16) & 15));
            c.rgbGreen = BYTE(c.rgbGreen ^ ((seed >> 20) & 15));
            image.SetPixelColor(LONG(x), LONG(y), c);
        }
    }
}

void GreyRamp(CxImage& image, DWORD w, DWORD h)
{
    ASSERT_NE(image.Create(w, h, 8), nullptr);
    image.SetGrayPalette();
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++) image.SetPixelIndex(LONG(x), LONG(y), BYTE(x * 9 + y * 5));
}

std::string Save(CxImage& image, DWORD id, const std::string& name, const std::string& extension)
{
    std::string path = TempPath(name, extension);
    EXPECT_TRUE(image.Save(path.c_str(), id)) << image.GetLastError();
    return path;
}

// The picture as the imaging library reads the file.
Raster PilRaster(const std::string& path)
{
    ReadBack back = ReadWithPil(path);
    EXPECT_TRUE(back.ok) << back.error;
    return RasterFromRgba(back.rgba, back.width, back.height);
}

// opj_decompress turns the codestream into a PNG, read by the imaging library.
Raster DecompressedRaster(const std::string& path)
{
    std::string png = path + ".png";
    Tool("opj_decompress", "-i '" + path + "' -o '" + png + "'");
    Raster r = PilRaster(png);
    remove(png.c_str());
    return r;
}

double RootMeanSquare(const Raster& a, const Raster& b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); i++) {
        double d = double(a.rgb[i]) - b.rgb[i];
        sum += d * d;
    }
    return std::sqrt(sum / a.rgb.size());
}

// --- JP2 and JPC ---

// The largest difference of any sample.
int LargestError(const Raster& a, const Raster& b)
{
    if (a.rgb.size() != b.rgb.size()) return 256;
    int largest = 0;
    for (size_t i = 0; i < a.rgb.size(); i++) largest = std::max(largest, std::abs(int(a.rgb[i]) - b.rgb[i]));
    return largest;
}

struct Jpeg2000Case {
    DWORD id;
    const char* extension;
    bool grey;
    DWORD width, height;
    int resolutions;  // what opj_dump must show
    bool noisy;
    int largestError;  // 0: exact; else the bound of a lossy result
};

void PrintTo(const Jpeg2000Case& c, std::ostream* os)
{
    *os << c.extension << (c.grey ? " grey " : " rgb ") << (c.noisy ? "noise " : "") << c.width << "x"
        << c.height;
}

class Jpeg2000 : public testing::TestWithParam<Jpeg2000Case> {};

// The default quality 90 is the reversible transform cut to 90% of the raw
// samples: a smooth picture fits and comes back exact, noise does not fit
// and loses a little (a tiny noisy picture, whose headers alone pass the
// limit, loses much more).
TEST_P(Jpeg2000, DefaultIsReversibleAndExactWhereItFits)
{
    const Jpeg2000Case& c = GetParam();
    CxImage image;
    if (c.noisy)
        Noise(image, c.width, c.height, c.grey ? 8 : 24);
    else if (c.grey)
        GreyRamp(image, c.width, c.height);
    else
        Smooth(image, c.width, c.height);
    std::string path = Save(image, c.id, "j2k", c.extension);

    std::string dump = Tool("opj_dump", "-i '" + path + "'");
    // qmfbid=1 is the reversible 5/3 wavelet.
    ExpectHasAll(dump, {"x1=" + std::to_string(c.width) + ", y1=" + std::to_string(c.height),
                        std::string("numcomps=") + (c.grey ? "1" : "3"), "prec=8", "qmfbid=1",
                        std::string("mct=") + (c.grey ? "0" : "1"),
                        "numresolutions=" + std::to_string(c.resolutions)});

    Raster decompressed = DecompressedRaster(path);
    EXPECT_TRUE(PilRaster(path) == decompressed) << "opj_decompress and the imaging library disagree";
    if (c.largestError == 0) {
        EXPECT_TRUE(decompressed == RasterOf(image)) << "opj_decompress gives other pixels";
    } else {
        int error = LargestError(decompressed, RasterOf(image));
        EXPECT_GT(error, 0) << "noise cannot fit the default rate without loss";
        EXPECT_LE(error, c.largestError);
    }
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Jpeg2000,
    testing::Values(Jpeg2000Case{CXIMAGE_FORMAT_JP2, "jp2", false, 97, 61, 6, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JP2, "jp2", true, 40, 33, 6, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JPC, "jpc", false, 64, 48, 6, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JPC, "jpc", true, 50, 70, 6, false, 0},
                    // Small pictures get fewer resolutions instead of failing.
                    Jpeg2000Case{CXIMAGE_FORMAT_JP2, "jp2", false, 1, 1, 1, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JPC, "jpc", true, 3, 2, 2, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JP2, "jp2", false, 200, 20, 5, false, 0},
                    Jpeg2000Case{CXIMAGE_FORMAT_JP2, "jp2", false, 200, 150, 6, true, 10},
                    Jpeg2000Case{CXIMAGE_FORMAT_JPC, "jpc", true, 64, 64, 6, true, 10},
                    Jpeg2000Case{CXIMAGE_FORMAT_JPC, "jpc", false, 2, 3, 2, true, 255}));

struct RateCase {
    float quality;
    bool exact;
    double maxRms;
};

void PrintTo(const RateCase& c, std::ostream* os) { *os << "quality " << c.quality; }

class Jpeg2000Rate : public testing::TestWithParam<RateCase> {};

// The quality sets the size as a fraction of the raw samples; noise at
// full size is still exact, a smaller rate stays close to the picture.
TEST_P(Jpeg2000Rate, QualityLimitsTheSize)
{
    const RateCase& c = GetParam();
    ImageProbe image;
    if (c.exact)
        Noise(image, 64, 64, 24);
    else
        Textured(image, 64, 64);
    image.Info().fQuality = c.quality;
    std::string path = Save(image, CXIMAGE_FORMAT_JP2, "rate", "jp2");
    long raw = 64 * 64 * 3;
    long size = long(ReadFileBytes(path).size());
    Raster back = DecompressedRaster(path);
    if (c.exact) {
        EXPECT_TRUE(back == RasterOf(image));
    } else {
        EXPECT_LE(size, long(raw * c.quality / 100) + 400) << "bytes";
        double rms = RootMeanSquare(back, RasterOf(image));
        EXPECT_GT(rms, 0) << "a rate this small cannot keep every bit";
        EXPECT_LT(rms, c.maxRms);
    }
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Qualities, Jpeg2000Rate,
                         testing::Values(RateCase{100, true, 0}, RateCase{150, true, 0},
                                         RateCase{20, false, 5.0}, RateCase{5, false, 8.0}));

// The codestream's boxes are placed relative to where it starts, so it can
// follow other bytes in the file.
TEST(Jpeg2000Stream, FollowsEarlierBytesInTheFile)
{
    CxImage image;
    Smooth(image, 30, 20);
    std::string path = TempPath("after_prefix", "bin");
    FILE* fp = fopen(path.c_str(), "wb+");
    ASSERT_NE(fp, nullptr);
    fputs("PREFIX", fp);
    ASSERT_TRUE(image.Encode(fp, CXIMAGE_FORMAT_JP2)) << image.GetLastError();
    fclose(fp);
    std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.substr(0, 6), "PREFIX");
    std::string jp2 = TempPath("after_prefix", "jp2");
    FILE* out = fopen(jp2.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    fwrite(bytes.data() + 6, 1, bytes.size() - 6, out);
    fclose(out);
    EXPECT_TRUE(DecompressedRaster(jp2) == RasterOf(image));
    remove(path.c_str());
    remove(jp2.c_str());
}

// --- PGX, PNM and Sun raster ---

// A small PGX reader: "PG", byte order, sign, depth, width, height, a line
// feed, then one byte a sample up to 8 bits deep (two, big-endian, above).
Raster ReadPgx(const std::string& bytes)
{
    Raster r;
    char order[3] = {}, sign = 0;
    int depth = 0, consumed = 0;
    if (sscanf(bytes.c_str(), "PG %2s %c %d %d %d%n", order, &sign, &depth, &r.width, &r.height, &consumed) != 5)
        return r;
    size_t at = size_t(consumed) + 1;
    size_t step = depth > 8 ? 2 : 1;
    for (size_t i = 0; i < size_t(r.width) * r.height && at + step <= bytes.size(); i++, at += step)
        r.rgb.insert(r.rgb.end(), 3, BYTE(bytes[at + step - 1]));
    return r;
}

// PGX as its layout gives it: "PG ML + 8 width height", a line feed, samples.
TEST(Pgx, HeaderAndSamplesAsTheLayoutGivesThem)
{
    CxImage image;
    GreyRamp(image, 7, 5);
    std::string path = Save(image, CXIMAGE_FORMAT_PGX, "grey", "pgx");
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 14), "PG ML + 8 7 5\n");
    EXPECT_EQ(bytes.size(), 14u + 7 * 5);
    EXPECT_TRUE(ReadPgx(bytes) == RasterOf(image));

    // OpenJPEG takes it as input; its own PGX output has the same samples.
    std::string j2k = path + ".j2k", back = path + ".back.pgx";
    Tool("opj_compress", "-i '" + path + "' -o '" + j2k + "' -n 1");
    Tool("opj_decompress", "-i '" + j2k + "' -o '" + back + "'");
    // It names the output after the component.
    std::string written = path + ".back_0.pgx";
    EXPECT_TRUE(ReadPgx(ReadFileBytes(written)) == RasterOf(image)) << "OpenJPEG read other samples";
    remove(written.c_str());
    remove(j2k.c_str());
    remove(path.c_str());
}

struct PlainCase {
    DWORD id;
    const char* extension;
    bool grey;
    DWORD width, height;
    const char* pamfile;  // pamfile's description, for PNM
};

void PrintTo(const PlainCase& c, std::ostream* os)
{
    *os << c.extension << (c.grey ? " grey " : " rgb ") << c.width << "x" << c.height;
}

class PlainFormats : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainFormats, ReadersGetThePixelsBack)
{
    const PlainCase& c = GetParam();
    CxImage image;
    if (c.grey)
        GreyRamp(image, c.width, c.height);
    else
        Noise(image, c.width, c.height, 24);
    std::string path = Save(image, c.id, "plain", c.extension);
    Raster expected = RasterOf(image);

    EXPECT_TRUE(PilRaster(path) == expected) << "the imaging library gives other pixels";
    if (c.id == CXIMAGE_FORMAT_PNM) {
        std::string description = Tool("pamfile", "'" + path + "'");
        EXPECT_TRUE(Has(description, c.pamfile)) << description;
        std::vector<Raster> read = ParsePnm(ReadFileBytes(path));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_TRUE(read[0] == expected);
    } else {
        std::vector<Raster> read = ParsePnm(Tool("rasttopnm", "'" + path + "'"));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_TRUE(read[0] == expected) << "rasttopnm gives other pixels";
    }
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PlainFormats,
    testing::Values(PlainCase{CXIMAGE_FORMAT_PNM, "ppm", false, 13, 7, "PPM raw, 13 by 7  maxval 255"},
                    PlainCase{CXIMAGE_FORMAT_PNM, "pgm", true, 13, 7, "PGM raw, 13 by 7  maxval 255"},
                    // Odd widths: Sun raster rows are padded to 16 bits.
                    PlainCase{CXIMAGE_FORMAT_RAS, "ras", false, 13, 7, ""},
                    PlainCase{CXIMAGE_FORMAT_RAS, "ras", true, 13, 7, ""},
                    PlainCase{CXIMAGE_FORMAT_RAS, "ras", false, 16, 3, ""}));

// --- refusals and failing streams ---

struct Refusal {
    DWORD id;
    const char* picture;  // "bw", "palette", "rgb", "empty"
    const char* text;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << "id " << c.id << ", " << c.picture; }

class JasRefused : public testing::TestWithParam<Refusal> {};

TEST_P(JasRefused, SaysWhyAndWritesNothing)
{
    const std::string picture = GetParam().picture;
    CxImage image;
    if (picture == "bw") {
        // Black and white is not the identity grey ramp: entry 1 is not 1,1,1.
        image.Create(4, 4, 1);
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
    } else if (picture == "palette") {
        GreyRamp(image, 4, 4);
        image.SetPaletteColor(3, 9, 9, 9);
    } else if (picture == "rgb") {
        Smooth(image, 4, 4);
    }
    ExpectRefused(image, GetParam().id, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JasRefused,
    testing::Values(Refusal{CXIMAGE_FORMAT_JP2, "bw", "JasPer can save only RGB or GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_JPC, "palette", "JasPer can save only RGB or GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_PGX, "bw", "JasPer can save only RGB or GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_PNM, "palette", "JasPer can save only RGB or GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_RAS, "bw", "JasPer can save only RGB or GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_PGX, "rgb", "PGX can save only GrayScale images"},
                    Refusal{CXIMAGE_FORMAT_JP2, "empty", "null image!!!"},
                    Refusal{CXIMAGE_FORMAT_RAS, "empty", "null image!!!"}));

struct ShortCase {
    DWORD id;
    bool grey;
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << "id " << c.id << (c.grey ? " grey" : " rgb"); }

class JasShortWrite : public testing::TestWithParam<ShortCase> {};

// Wherever the stream stops taking bytes, the encode fails.
TEST_P(JasShortWrite, FailsWherever)
{
    CxImage image;
    if (GetParam().grey)
        GreyRamp(image, 40, 30);
    else
        Noise(image, 40, 30, 24);
    CxMemFile memory;
    memory.Open();
    ASSERT_TRUE(image.Encode(&memory, GetParam().id)) << image.GetLastError();
    const long size = memory.Size();
    for (long room : {0L, 10L, 40L, size / 2, size - 1}) {
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, GetParam().id)) << "room " << room << " of " << size;
        EXPECT_STREQ(image.GetLastError(), "error: cannot encode image") << "room " << room;
    }
    ShortFile enough(size);
    EXPECT_TRUE(image.Encode(&enough, GetParam().id)) << image.GetLastError();
}

INSTANTIATE_TEST_SUITE_P(Formats, JasShortWrite,
                         testing::Values(ShortCase{CXIMAGE_FORMAT_JP2, false}, ShortCase{CXIMAGE_FORMAT_JPC, true},
                                         ShortCase{CXIMAGE_FORMAT_PGX, true}, ShortCase{CXIMAGE_FORMAT_PNM, false},
                                         ShortCase{CXIMAGE_FORMAT_RAS, false}));

}  // namespace
