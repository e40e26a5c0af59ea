// TIFF files made by ImageMagick and tiffcp, decoded by us and judged by
// Python's imaging library or by libtiff's tiff2rgba.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>
#include <algorithm>

#include "ImageJudges.h"
#include "image/CxIOFile.h"
#include "image/CxImageTIF.h"

namespace {

struct TifProbe : CxImageTIF {
    CXIMAGEINFO& Info() { return info; }
};

// Base pictures every case starts from, made once in the test's folder.
class TiffDecode : public testing::Test {
protected:
    static std::string dir;

    static void SetUpTestSuite()
    {
        dir = testing::TempDir() + "tiffdecode_" + std::to_string(getpid()) + "/";
        std::string setup = "mkdir -p " + ShellQuote(dir) + " && cd " + ShellQuote(dir)
            + " && /usr/bin/convert rose: rose.tif"
              " && /usr/bin/convert rose: -colorspace Gray grey.tif"
              " && /usr/bin/convert rose: -monochrome -depth 1 bilevel.tif"
              " && /usr/bin/convert rose: -colors 200 -type Palette pal8.tif"
              " && /usr/bin/convert rose: -colors 12 -type Palette pal4.tif"
              " && echo made";
        ToolRun run = RunTool(setup + " 2>&1");
        ASSERT_NE(run.output.find("made"), std::string::npos) << run.output;
    }
    static void TearDownTestSuite() { RunTool("rm -rf " + ShellQuote(dir)); }

    // Runs a command in the folder that writes OUT, a name without spaces
    // inside it; returns OUT's path.
    static std::string Make(const std::string& command, const std::string& name)
    {
        std::string file = "case_" + name + ".tif";
        ToolRun run = RunTool("cd " + ShellQuote(dir) + " && OUT=" + ShellQuote(file) + " && " + command +
                              " 2>&1 && echo made");
        EXPECT_NE(run.output.find("made"), std::string::npos) << command << ": " << run.output;
        return dir + file;
    }
};
std::string TiffDecode::dir;

bool DecodeFile(const std::string& path, CxImageTIF& image, LONG frame = 0)
{
    FILE* fp = fopen(path.c_str(), "rb");
    if (!fp) return false;
    static_cast<TifProbe&>(image).Info().nFrame = frame;
    bool ok = image.Decode(fp);
    fclose(fp);
    return ok;
}

// tiff2rgba's reading of the file, without alpha.
PilPicture Tiff2rgba(const std::string& path)
{
    std::string out = path + ".rgba.tif";
    RunTool("tiff2rgba -n '" + path + "' '" + out + "' 2>&1");
    PilPicture picture = PilDump(out);
    remove(out.c_str());
    return picture;
}

enum class Judge { Pil, Tiff2rgba };

struct FileCase {
    const char* name;
    const char* command;
    Judge judge;
};

const FileCase kFiles[] = {
    {"rgb_lzw_predictor", "/usr/bin/convert rose: -compress lzw -define tiff:predictor=2 $OUT", Judge::Pil},
    {"rgb_deflate", "tiffcp -c zip rose.tif $OUT", Judge::Pil},
    {"rgb_packbits", "tiffcp -c packbits rose.tif $OUT", Judge::Pil},
    {"rgb_jpeg", "tiffcp -c jpeg:90 -r 16 rose.tif $OUT", Judge::Tiff2rgba},
    {"rgb_tiled", "tiffcp -t -w 16 -l 16 rose.tif $OUT", Judge::Pil},
    {"rgb_planar_separate", "tiffcp -p separate rose.tif $OUT", Judge::Pil},
    {"rgb_16bit", "/usr/bin/convert rose: -depth 16 $OUT", Judge::Tiff2rgba},
    {"rgba", "/usr/bin/convert rose: -alpha set -channel A -fx i/w +channel $OUT", Judge::Pil},
    {"rgb_mirrored", "/usr/bin/convert rose: -orient TopRight $OUT", Judge::Pil},
    {"rgb_turned", "/usr/bin/convert rose: -orient RightTop $OUT", Judge::Pil},
    {"grey_lzw_predictor", "/usr/bin/convert grey.tif -compress lzw -define tiff:predictor=2 $OUT", Judge::Pil},
    {"grey_tiled_deflate", "tiffcp -c zip -t -w 16 -l 16 grey.tif $OUT", Judge::Pil},
    {"grey_strips_of_3", "tiffcp -r 3 grey.tif $OUT", Judge::Pil},
    {"grey_min_is_white", "/usr/bin/convert grey.tif -define tiff:photometric=min-is-white $OUT", Judge::Pil},
    {"grey_4bit", "/usr/bin/convert grey.tif -depth 4 $OUT", Judge::Pil},
    {"grey_2bit", "/usr/bin/convert grey.tif -depth 2 $OUT", Judge::Pil},
    {"grey_alpha", "/usr/bin/convert grey.tif -alpha set -channel A -fx i/w +channel $OUT", Judge::Pil},
    {"bilevel", "cp bilevel.tif $OUT", Judge::Pil},
    {"bilevel_g3", "tiffcp -c g3 bilevel.tif $OUT", Judge::Pil},
    {"bilevel_g4", "tiffcp -c g4 bilevel.tif $OUT", Judge::Pil},
    {"bilevel_g4_tiled", "tiffcp -c g4 -t -w 16 -l 16 bilevel.tif $OUT", Judge::Pil},
    {"palette_8bit", "cp pal8.tif $OUT", Judge::Pil},
    {"palette_4bit", "cp pal4.tif $OUT", Judge::Pil},
    {"palette_4bit_tiled", "tiffcp -t -w 16 -l 16 pal4.tif $OUT", Judge::Pil},
    {"palette_packbits", "tiffcp -c packbits pal8.tif $OUT", Judge::Pil},
};

TEST_F(TiffDecode, FilesDecodeAsTheJudgeDecodesThem)
{
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.name);
        std::string path = Make(c.command, c.name);
        PilPicture expected = c.judge == Judge::Pil ? PilDump(path) : Tiff2rgba(path);
        ASSERT_TRUE(expected.ok) << expected.error;
        TifProbe image;
        ASSERT_TRUE(DecodeFile(path, image)) << image.GetLastError();
        EXPECT_EQ(LONG(image.GetWidth()), expected.width);
        EXPECT_EQ(LONG(image.GetHeight()), expected.height);
        EXPECT_EQ(FirstDifference(expected.bytes, ExpectedRgba(image), expected.width), "");
    }
}

// Orientation: where the file's first row and column belong, every value.
TEST_F(TiffDecode, OrientationTagsAreApplied)
{
    for (const char* base : {"grey.tif", "pal4.tif", "bilevel.tif", "rose.tif"}) {
        for (int value = 1; value <= 8; value++) {
            SCOPED_TRACE(std::string(base) + " orientation " + std::to_string(value));
            std::string path = Make(std::string("cp ") + base + " $OUT && tiffset -s 274 " + std::to_string(value) + " $OUT",
                                    "orient");
            PilPicture expected = PilDump(path);
            ASSERT_TRUE(expected.ok) << expected.error;
            TifProbe image;
            ASSERT_TRUE(DecodeFile(path, image)) << image.GetLastError();
            EXPECT_EQ(FirstDifference(expected.bytes, ExpectedRgba(image), expected.width), "");
            EXPECT_EQ(image.GetNumFrames(), 1);
        }
    }
}

// 16-bit grey samples take the scale of the row with the widest samples,
// in strips and in tiles alike.
TEST_F(TiffDecode, SixteenBitGreyScales)
{
    struct Case {
        const char* name;
        const char* command;
        int shift;  // sample >> shift; -1: from the page's largest sample
    };
    const Case cases[] = {
        {"grey16_narrow", "/usr/bin/convert grey.tif -depth 16 -evaluate divide 16 $OUT", -1},
        {"grey16_full", "/usr/bin/convert grey.tif -depth 16 $OUT", -1},
        {"grey16_tiled", "/usr/bin/convert grey.tif -depth 16 -evaluate divide 16 t.tif && tiffcp -t -w 16 -l 16 t.tif $OUT", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = Make(c.command, c.name);
        PilPicture raw = PilDump(path, "--raw16");
        ASSERT_TRUE(raw.ok) << raw.error;
        ASSERT_EQ(raw.bytes.size(), size_t(raw.width) * raw.height * 2);
        std::vector<unsigned> samples;
        unsigned largest = 0;
        for (size_t i = 0; i < raw.bytes.size(); i += 2) {
            samples.push_back(raw.bytes[i] | (raw.bytes[i + 1] << 8));
            largest = std::max(largest, samples.back());
        }
        int shift = c.shift;
        if (shift < 0) {
            shift = 0;
            while ((largest >> shift) > 255) shift++;
        }
        // The narrow page scales up: its samples are not just their high bytes.
        if (std::string(c.name) == "grey16_narrow") {
            EXPECT_LT(shift, 8);
        }

        TifProbe image;
        ASSERT_TRUE(DecodeFile(path, image)) << image.GetLastError();
        ASSERT_EQ(image.GetBpp(), 8);
        for (int y = 0; y < raw.height; y++) {
            for (int x = 0; x < raw.width; x++) {
                unsigned expected = samples[size_t(y) * raw.width + x] >> shift;
                ASSERT_EQ(image.GetPixelIndex(x, raw.height - 1 - y), expected) << x << ", " << y;
                ASSERT_EQ(image.GetPixelColor(x, raw.height - 1 - y).rgbGreen, expected);
            }
        }
    }
}

TEST_F(TiffDecode, PagesOfAMultiPageFile)
{
    std::string path = Make("tiffcp rose.tif grey.tif pal4.tif $OUT", "three");
    for (LONG frame = 0; frame < 3; frame++) {
        SCOPED_TRACE("page " + std::to_string(frame));
        PilPicture expected = PilDump(path, "--frame " + std::to_string(frame));
        ASSERT_TRUE(expected.ok) << expected.error;
        TifProbe image;
        ASSERT_TRUE(DecodeFile(path, image, frame)) << image.GetLastError();
        EXPECT_EQ(image.GetNumFrames(), 3);
        EXPECT_EQ(FirstDifference(expected.bytes, ExpectedRgba(image), expected.width), "");
    }
    TifProbe missing;
    EXPECT_FALSE(DecodeFile(path, missing, 4));
    EXPECT_STREQ(missing.GetLastError(), "Error: page not present in TIFF file");
    EXPECT_EQ(missing.GetNumFrames(), 3);
    EXPECT_FALSE(missing.IsValid());
}

// Our own multi-page file, written page by page, reads back page by page.
TEST_F(TiffDecode, OurAppendedPagesReadBack)
{
    std::string source = dir + "rose.tif";
    TifProbe rose;
    ASSERT_TRUE(DecodeFile(source, rose));
    TifProbe pal;
    ASSERT_TRUE(DecodeFile(dir + "pal8.tif", pal));
    std::string path = dir + "ours.tif";
    FILE* fp = fopen(path.c_str(), "w+b");
    ASSERT_NE(fp, nullptr);
    {
        CxIOFile file(fp);
        CxImageTIF writer;
        for (CxImage* page : {static_cast<CxImage*>(&rose), static_cast<CxImage*>(&pal)}) {
            writer.Ghost(page);
            ASSERT_TRUE(writer.Encode(&file, true)) << writer.GetLastError();
        }
    }
    fclose(fp);
    int frame = 0;
    for (CxImage* page : {static_cast<CxImage*>(&rose), static_cast<CxImage*>(&pal)}) {
        TifProbe back;
        ASSERT_TRUE(DecodeFile(path, back, frame++)) << back.GetLastError();
        EXPECT_EQ(back.GetNumFrames(), 2);
        EXPECT_EQ(ExpectedRgba(back), ExpectedRgba(*page));
    }
}

TEST_F(TiffDecode, SizeQueryResolutionAndCompressionOption)
{
    std::string path = Make("/usr/bin/convert rose: -units PixelsPerCentimeter -density 100 -compress lzw $OUT", "res");
    TifProbe query;
    query.Info().nEscape = -1;
    EXPECT_TRUE(DecodeFile(path, query));
    EXPECT_STREQ(query.GetLastError(), "output dimensions returned");
    EXPECT_EQ(query.GetWidth(), 70u);
    EXPECT_EQ(query.GetHeight(), 46u);
    EXPECT_EQ(query.GetType(), CXIMAGE_FORMAT_TIF);
    EXPECT_FALSE(query.IsValid());

    TifProbe image;
    ASSERT_TRUE(DecodeFile(path, image));
    EXPECT_EQ(image.GetXDPI(), 254);  // 100 per centimetre
    EXPECT_EQ(image.GetYDPI(), 254);
    EXPECT_EQ(image.GetCodecOption(CXIMAGE_FORMAT_TIF), 5u);  // LZW, kept for the next save

    TifProbe cancelled;
    cancelled.Info().nEscape = 1;
    EXPECT_FALSE(DecodeFile(path, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

// Planes stored one after another decode as the same page with its samples
// interleaved, as the imaging library reads that one.
TEST_F(TiffDecode, SeparatePlanesDecodeAsTheInterleavedPage)
{
    const char* greyAlpha = "/usr/bin/convert grey.tif -alpha set -channel A -fx i/w +channel $OUT";
    const char* paletteAlpha = "/usr/bin/convert rose: -colors 200 -alpha set -channel A -fx i/w +channel"
                               " -type PaletteAlpha $OUT";
    const char* rgba = "/usr/bin/convert rose: -alpha set -channel A -fx i/w +channel $OUT";
    struct Case {
        const char* name;
        const char* interleaved;  // makes the page
        const char* options;      // tiffcp's options that store it in planes
    };
    const Case cases[] = {
        {"grey_alpha", greyAlpha, "-p separate"},
        {"grey_alpha_tiled", greyAlpha, "-p separate -t -w 16 -l 16"},
        {"grey_alpha_strips_of_3_lzw", greyAlpha, "-p separate -r 3 -c lzw"},
        {"palette_alpha", paletteAlpha, "-p separate"},
        {"palette_alpha_tiled", paletteAlpha, "-p separate -t -w 32 -l 16"},
        {"rgba", rgba, "-p separate"},
        {"rgba_tiled", rgba, "-p separate -t -w 16 -l 16"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string interleaved = Make(c.interleaved, std::string(c.name) + "_interleaved");
        std::string planes = Make(std::string("tiffcp ") + c.options + " '" + interleaved + "' $OUT", c.name);
        ASSERT_EQ(TiffTag(TiffDump(planes), 0, "PlanarConfig (284)"), "2");
        PilPicture expected = PilDump(interleaved);
        ASSERT_TRUE(expected.ok) << expected.error;
        TifProbe image;
        ASSERT_TRUE(DecodeFile(planes, image)) << image.GetLastError();
        EXPECT_EQ(FirstDifference(expected.bytes, ExpectedRgba(image), expected.width), "");
    }
}

// Premultiplied (associated) alpha is divided out: the image holds straight
// alpha, as ImageMagick shows the page. CMYK inks are divided before they
// become RGB, each reader rounding its own way.
TEST_F(TiffDecode, AssociatedAlphaIsDividedOut)
{
    struct Case {
        const char* name;
        const char* command;
        int tolerance;  // levels the readings may differ by
    };
    const Case cases[] = {
        {"rgba_associated", "/usr/bin/convert rose: -alpha set -channel A -fx i/w +channel"
                            " -define tiff:alpha=associated $OUT", 0},
        {"grey_alpha_associated", "/usr/bin/convert grey.tif -alpha set -channel A -fx i/w +channel"
                                  " -define tiff:alpha=associated $OUT", 0},
        {"rgba_associated_planes", "/usr/bin/convert rose: -alpha set -channel A -fx i/w +channel"
                                   " -define tiff:alpha=associated t.tif && tiffcp -p separate t.tif $OUT", 0},
        {"cmyk_associated", "/usr/bin/convert rose: -colorspace cmyk -alpha set -channel A -fx i/w +channel"
                            " -define tiff:alpha=associated $OUT", 2},
        {"cmyk_associated_planes", "/usr/bin/convert rose: -colorspace cmyk -alpha set -channel A -fx i/w +channel"
                                   " -define tiff:alpha=associated t.tif && tiffcp -p separate t.tif $OUT", 2},
        // Faint 16-bit alpha: the levels are divided before they are reduced.
        {"rgba16_associated_faint", "/usr/bin/convert rose: -depth 16 -alpha set -channel A -fx 'i/w*0.3' +channel"
                                    " -define tiff:alpha=associated $OUT", 1},
        {"rgba16_associated_faint_planes", "/usr/bin/convert rose: -depth 16 -alpha set -channel A -fx 'i/w*0.3'"
                                           " +channel -define tiff:alpha=associated -interlace plane $OUT", 1},
        {"grey16_alpha_associated_faint", "/usr/bin/convert grey.tif -depth 16 -alpha set -channel A -fx 'i/w*0.3'"
                                          " +channel -define tiff:alpha=associated $OUT", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = Make(c.command, c.name);
        ASSERT_EQ(TiffTag(TiffDump(path), 0, "ExtraSamples (338)"), "1");  // associated alpha
        std::vector<unsigned char> expected = MagickRgba(path);
        ASSERT_FALSE(expected.empty());
        TifProbe image;
        ASSERT_TRUE(DecodeFile(path, image)) << image.GetLastError();
        EXPECT_EQ(FirstDifference(expected, ExpectedRgba(image), LONG(image.GetWidth()), c.tolerance), "");
    }
}

// Floating-point samples are refused with a message instead of being taken
// as integers.
TEST_F(TiffDecode, FloatingPointSamplesAreRefused)
{
    const char* cases[][2] = {
        {"grey_float", "/usr/bin/convert grey.tif -define quantum:format=floating-point -depth 32 $OUT"},
        {"rgb_float", "/usr/bin/convert rose: -define quantum:format=floating-point -depth 32 $OUT"},
        {"rgb_half", "/usr/bin/convert rose: -define quantum:format=floating-point -depth 16 $OUT"},
        {"grey_alpha_float", "/usr/bin/convert grey.tif -alpha set -define quantum:format=floating-point -depth 32 $OUT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        // convert reports the float predictor it cannot set, and writes the file.
        std::string path = Make(std::string(c[1]) + "; test -s $OUT", c[0]);
        ASSERT_EQ(TiffTag(TiffDump(path), 0, "SampleFormat (339)").substr(0, 1), "3");
        TifProbe image;
        EXPECT_FALSE(DecodeFile(path, image));
        EXPECT_STREQ(image.GetLastError(), "CxImageTIF: unsupported sample format");
    }
}

}  // namespace

namespace {

// Valid layouts libtiff's RGBA conversion has no path for (tiff2rgba gives
// up on them too) are refused as such, not taken for damaged files.
TEST_F(TiffDecode, RgbLayoutsWithoutAConversionAreRefusedAsSuch)
{
    const char* cases[][2] = {
        {"rgb_1bit", "/usr/bin/convert rose: -depth 1 -type TrueColor $OUT"},
        {"rgb_2bit", "/usr/bin/convert rose: -depth 2 $OUT"},
        {"rgb_4bit", "/usr/bin/convert rose: -depth 4 $OUT"},
        {"ycbcr_jpeg_planes", "tiffcp -c jpeg -r 16 -p separate rose.tif $OUT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        std::string path = Make(c[1], c[0]);
        std::string out = path + ".rgba.tif";
        ToolRun judge = RunTool("tiff2rgba '" + path + "' '" + out + "' >/dev/null 2>&1; echo $?");
        remove(out.c_str());
        EXPECT_NE(judge.output, "0\n") << "tiff2rgba reads it";
        TifProbe image;
        EXPECT_FALSE(DecodeFile(path, image));
        EXPECT_STREQ(image.GetLastError(), "CxImageTIF: this layout of samples is not supported");
    }
}

}  // namespace
