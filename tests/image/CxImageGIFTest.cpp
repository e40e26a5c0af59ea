// GIF files judged by outside readers: gifsicle and giftext for the blocks,
// giftopnm, Python's imaging library and ImageMagick for the pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "FormatTools.h"
#include "ImageProbe.h"
#include "OutsideTools.h"
#include "image/CxMemFile.h"

namespace {

constexpr DWORD GIF = CXIMAGE_FORMAT_GIF;

enum Pattern { NOISE, RUNS, SOLID };

// Distinct colours for every index, so a decoded colour names its index.
void DistinctPalette(CxImage& image)
{
    for (DWORD i = 0; i < image.GetNumColors(); i++)
        image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(255 - i), BYTE(i * 7 + 3));
}

// Noise takes every index; runs are stretches of random length (1 to 300)
// of a few values; solid is index 1 throughout.
void PaletteImage(CxImage& image, DWORD w, DWORD h, DWORD bpp, Pattern pattern)
{
    ASSERT_NE(image.Create(w, h, bpp), nullptr);
    DistinctPalette(image);
    const DWORD colours = image.GetNumColors();
    unsigned seed = 2024 + w + h + bpp;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    BYTE value = 1;
    unsigned runLeft = 0;
    for (LONG y = LONG(h) - 1; y >= 0; y--) {
        for (LONG x = 0; x < LONG(w); x++) {
            if (pattern == NOISE) {
                value = BYTE(next() % colours);
            } else if (pattern == RUNS && runLeft-- == 0) {
                runLeft = next() % 300;
                value = BYTE(next() % (colours < 5 ? colours : 5));
            }
            image.SetPixelIndex(x, y, value);
        }
    }
}


// The frames as giftopnm decodes them, each image block on its own.
std::vector<Raster> GiftopnmFrames(const std::string& path)
{
    return ParsePnm(Tool("giftopnm", "-image=all '" + path + "'"));
}

// The picture ImageMagick shows once every frame is drawn on the screen.
std::vector<unsigned char> CoalescedRgba(const std::string& path, int width, int height)
{
    std::string bytes = Tool("convert", "'" + path + "' -coalesce -delete 0--2 -depth 8 rgba:-");
    EXPECT_EQ(bytes.size(), size_t(width) * height * 4);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// Saves the image as GIF and returns the path; the caller removes the file.
std::string SaveGif(CxImage& image, const std::string& name)
{
    std::string path = TempPath(name, "gif");
    EXPECT_TRUE(image.Save(path.c_str(), GIF)) << image.GetLastError();
    return path;
}

// The data sub-blocks of the first image block: its minimum code size and
// the length of each sub-block. Walks the blocks as GIF89a lays them out.
struct ImageData {
    int minCodeSize = -1;
    std::vector<int> subBlocks;
    std::vector<BYTE> bytes;  // the sub-blocks' contents joined
};

ImageData FirstImageData(const std::vector<BYTE>& gif)
{
    ImageData data;
    size_t at = 13;
    if (gif.size() < at) return data;
    if (gif[10] & 0x80) at += 3u << ((gif[10] & 7) + 1);  // global colour table
    while (at < gif.size() && gif[at] == 0x21) {           // extensions
        at += 2;
        while (at < gif.size() && gif[at] != 0) at += gif[at] + 1;
        at++;
    }
    if (at + 10 >= gif.size() || gif[at] != 0x2C) return data;
    BYTE flags = gif[at + 9];
    at += 10;
    if (flags & 0x80) at += 3u << ((flags & 7) + 1);  // local colour table
    data.minCodeSize = gif[at++];
    while (at < gif.size() && gif[at] != 0) {
        int length = gif[at];
        data.subBlocks.push_back(length);
        data.bytes.insert(data.bytes.end(), gif.begin() + at + 1, gif.begin() + at + 1 + length);
        at += length + 1;
    }
    return data;
}

// Codes packed from bit 0 upward, each `bits` wide.
std::vector<BYTE> PackCodes(const std::vector<int>& codes, int bits)
{
    std::vector<BYTE> bytes;
    unsigned buffer = 0;
    int fill = 0;
    for (int code : codes) {
        buffer |= unsigned(code) << fill;
        for (fill += bits; fill >= 8; fill -= 8, buffer >>= 8) bytes.push_back(BYTE(buffer));
    }
    if (fill > 0) bytes.push_back(BYTE(buffer));
    return bytes;
}

// --- every coder decodes back to the picture ---

struct RoundTrip {
    DWORD bpp;
    DWORD coder;  // 0 LZW, 1 stored, 2 runs, 3 falls back to LZW
    Pattern pattern;
    DWORD width, height;
    const char* what;
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.what; }

class GifRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(GifRoundTrip, DecodersGetThePixelsBack)
{
    const RoundTrip& c = GetParam();
    CxImage image;
    PaletteImage(image, c.width, c.height, c.bpp, c.pattern);
    image.SetCodecOption(c.coder, GIF);
    std::string path = SaveGif(image, c.what);
    Raster expected = RasterOf(image);

    std::vector<Raster> frames = GiftopnmFrames(path);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0] == expected) << "giftopnm decodes other pixels";

    std::string info = Tool("gifsicle", "--info '" + path + "'");
    ExpectHasAll(info, {"1 image", "global color table [" + std::to_string(image.GetNumColors()) + "]"});

    if (size_t(c.width) * c.height <= 100000) {
        ReadBack back = ReadWithPil(path);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_TRUE(RasterFromRgba(back.rgba, back.width, back.height) == expected)
            << "the imaging library decodes other pixels";
    }

    // No LZW code is wider than 12 bits; the run coder's sub-blocks reach
    // 255 bytes, the others' stop at 254.
    std::string file = ReadFileBytes(path);
    ImageData data = FirstImageData(std::vector<BYTE>(file.begin(), file.end()));
    int longest = 0;
    for (int length : data.subBlocks) longest = std::max(longest, length);
    EXPECT_LE(longest, c.coder == 2 ? 255 : 254);
    if (data.subBlocks.size() > 1) {
        EXPECT_EQ(longest, c.coder == 2 ? 255 : 254);
    }
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Coders, GifRoundTrip,
    testing::Values(
        RoundTrip{1, 0, NOISE, 33, 7, "lzw_1bpp_noise"},
        RoundTrip{4, 0, NOISE, 50, 30, "lzw_4bpp_noise"},
        // Enough codes to fill the string table several times.
        RoundTrip{8, 0, NOISE, 200, 120, "lzw_8bpp_noise"},
        RoundTrip{8, 0, RUNS, 300, 200, "lzw_8bpp_runs"},
        RoundTrip{8, 0, SOLID, 1, 1, "lzw_one_pixel"},
        RoundTrip{8, 3, NOISE, 64, 64, "option3_is_lzw"},
        RoundTrip{1, 1, NOISE, 64, 64, "stored_1bpp_noise"},
        RoundTrip{4, 1, RUNS, 70, 90, "stored_4bpp_runs"},
        // More than 3839 codes: the stored coder clears the table.
        RoundTrip{8, 1, NOISE, 200, 120, "stored_8bpp_noise"},
        RoundTrip{8, 1, SOLID, 1, 1, "stored_one_pixel"},
        RoundTrip{1, 2, RUNS, 300, 200, "runs_1bpp_runs"},
        RoundTrip{4, 2, RUNS, 300, 200, "runs_4bpp_runs"},
        RoundTrip{8, 2, RUNS, 300, 200, "runs_8bpp_runs"},
        RoundTrip{8, 2, NOISE, 200, 120, "runs_8bpp_noise"},
        RoundTrip{8, 2, SOLID, 1, 1, "runs_one_pixel"},
        RoundTrip{4, 2, SOLID, 97, 13, "runs_4bpp_solid"},
        // One run longer than a whole table of runs can carry.
        RoundTrip{8, 2, SOLID, 3000, 2600, "runs_8bpp_longer_than_a_table"}));

// --- the header and the coders' exact bytes ---

struct HeaderCase {
    DWORD bpp;
    BYTE screenFlags;
    size_t tableEntries;
    int minCodeSize;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.bpp << " bpp"; }

class GifHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(GifHeader, ScreenTableAndCodeSizeFollowTheDepth)
{
    const HeaderCase& c = GetParam();
    CxImage image;
    PaletteImage(image, 5, 3, c.bpp, NOISE);
    std::vector<BYTE> gif = EncodeToMemory(image, GIF);
    ASSERT_GT(gif.size(), 13u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    EXPECT_EQ(gif[6] | gif[7] << 8, 5);
    EXPECT_EQ(gif[8] | gif[9] << 8, 3);
    EXPECT_EQ(gif[10], c.screenFlags);
    EXPECT_EQ(gif[11], 0);  // background
    EXPECT_EQ(gif[12], 0);  // aspect
    // The graphic control extension follows the table: no transparency,
    // index 0xFF, no delay.
    size_t gce = 13 + 3 * c.tableEntries;
    ASSERT_GT(gif.size(), gce + 8);
    EXPECT_EQ(std::vector<BYTE>(gif.begin() + gce, gif.begin() + gce + 8),
              (std::vector<BYTE>{0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(FirstImageData(gif).minCodeSize, c.minCodeSize);
    EXPECT_EQ(gif.back(), 0x3B);
}

INSTANTIATE_TEST_SUITE_P(Depths, GifHeader,
                         testing::Values(HeaderCase{1, 0x80, 2, 2}, HeaderCase{4, 0xE3, 16, 4},
                                         HeaderCase{8, 0xE7, 256, 8}));

struct CodeCase {
    DWORD bpp;
    DWORD coder;
    std::vector<BYTE> pixels;  // one row
    std::vector<int> codes;
    int bits;
};

void PrintTo(const CodeCase& c, std::ostream* os)
{
    *os << c.pixels.size() << " pixels at " << c.bpp << " bpp, coder " << c.coder;
}

class GifCodes : public testing::TestWithParam<CodeCase> {};

TEST_P(GifCodes, RowBecomesTheseCodes)
{
    const CodeCase& c = GetParam();
    CxImage image;
    ASSERT_NE(image.Create(DWORD(c.pixels.size()), 1, c.bpp), nullptr);
    for (size_t x = 0; x < c.pixels.size(); x++) image.SetPixelIndex(LONG(x), 0, c.pixels[x]);
    image.SetCodecOption(c.coder, GIF);
    ImageData data = FirstImageData(EncodeToMemory(image, GIF));
    EXPECT_EQ(data.subBlocks.size(), 1u);
    EXPECT_EQ(data.bytes, PackCodes(c.codes, c.bits));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, GifCodes,
    testing::Values(
        // Clear 256, 5, 5, end 257: the sub-block 00 0B 14 08 08.
        CodeCase{8, 0, {5, 5}, {256, 5, 5, 257}, 9},
        // At 1 bpp codes start 3 bits wide: clear 4, end 5.
        CodeCase{1, 0, {0, 1}, {4, 0, 1, 5}, 3},
        CodeCase{8, 1, {5, 5, 5}, {256, 5, 5, 5, 257}, 9},
        // A run of 10 is sent as runs of 1, 2, 3 and 4.
        CodeCase{8, 2, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7}, {256, 7, 258, 259, 260, 257}, 9}));

TEST(GifCodes, SpelledOutBytesOfTheSmallestLzwBlock)
{
    CxImage image;
    ASSERT_NE(image.Create(2, 1, 8), nullptr);
    image.SetPixelIndex(0, 0, 5);
    image.SetPixelIndex(1, 0, 5);
    std::vector<BYTE> gif = EncodeToMemory(image, GIF);
    ASSERT_GE(gif.size(), 9u);
    EXPECT_EQ(std::vector<BYTE>(gif.end() - 9, gif.end()),
              (std::vector<BYTE>{0x08, 0x05, 0x00, 0x0B, 0x14, 0x08, 0x08, 0x00, 0x3B}));
}

// --- animations ---

// Three frames on one palette: the second smaller and placed inside the
// screen, the third transparent.
class GifAnimation : public testing::Test {
protected:
    void SetUp() override
    {
        PaletteImage(image, 20, 10, 8, NOISE);
        image.SetFrameDisposal(2);
        const DWORD sizes[3][2] = {{20, 10}, {8, 4}, {20, 10}};
        CxImage** frames = new CxImage*[3];
        for (int i = 0; i < 3; i++) {
            frames[i] = new ImageProbe;
            PaletteImage(*frames[i], sizes[i][0], sizes[i][1], 8, i == 1 ? RUNS : NOISE);
            static_cast<ImageProbe*>(frames[i])->Info().dwFrameDelay = DWORD(7 + 2 * i);
            frames[i]->SetFrameDisposal(1);
        }
        frames[1]->SetFrameOffset(3, 2);
        frames[2]->SetTransIndex(3);
        image.Frames() = frames;
        image.Info().nNumFrames = 3;
    }
    ImageProbe image;
};

TEST_F(GifAnimation, GifsicleSeesLoopDelaysAndTheContainersDisposal)
{
    std::string path = SaveGif(image, "anim");
    std::string info = Tool("gifsicle", "--info '" + path + "'");
    ExpectHasAll(info, {"3 images", "logical screen 20x10", "global color table [256]", "loop forever",
                        "+ image #1 8x4 at 3,2", "transparent 3", "disposal background delay 0.07s",
                        "disposal background delay 0.09s", "disposal background delay 0.11s"});
    EXPECT_FALSE(Has(info, "local color table")) << info;

    std::string text = Tool("giftext", "'" + path + "'");
    ExpectHasAll(text, {"GIF file terminated normally", "Image Size - Left = 3, Top = 2, Width = 8, Height = 4"});
    remove(path.c_str());
}

TEST_F(GifAnimation, EveryFrameDecodesPixelExact)
{
    for (DWORD coder : {0u, 1u, 2u}) {
        for (int i = 0; i < 3; i++) image.Frames()[i]->SetCodecOption(coder, GIF);
        std::string path = SaveGif(image, "anim_frames");
        std::vector<Raster> frames = GiftopnmFrames(path);
        ASSERT_EQ(frames.size(), 3u) << "coder " << coder;
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(frames[i] == RasterOf(*image.Frames()[i])) << "coder " << coder << ", frame " << i;
        remove(path.c_str());
    }
}

TEST_F(GifAnimation, OneFrameIsASingleImage)
{
    image.Info().nNumFrames = 1;
    std::string path = SaveGif(image, "anim_one");
    std::string info = Tool("gifsicle", "--info '" + path + "'");
    EXPECT_TRUE(Has(info, "1 image")) << info;
    EXPECT_FALSE(Has(info, "loop")) << info;
    std::vector<Raster> frames = GiftopnmFrames(path);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0] == RasterOf(image));
    image.Info().nNumFrames = 3;
    remove(path.c_str());
}

// --- refusals, before the first byte ---

struct Refusal {
    const char* what;
    const char* text;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.what; }

class GifRefused : public testing::TestWithParam<Refusal> {};

// An animation of a good frame and a second one made by the case.
void TwoFrames(ImageProbe& image, CxImage* second)
{
    PaletteImage(image, 4, 4, 8, NOISE);
    CxImage** frames = new CxImage*[2];
    frames[0] = new CxImage;
    PaletteImage(*frames[0], 4, 4, 8, NOISE);
    frames[1] = second;
    image.Frames() = frames;
    image.Info().nNumFrames = 2;
}

TEST_P(GifRefused, SaysWhyAndWritesNothing)
{
    const std::string what = GetParam().what;
    ImageProbe image;
    if (what == "null frame") {
        TwoFrames(image, nullptr);
    } else if (what == "empty frame") {
        TwoFrames(image, new CxImage);
    } else if (what == "true colour frame") {
        CxImage* rgb = new CxImage;
        rgb->Create(4, 4, 24);
        TwoFrames(image, rgb);
    } else if (what == "null first frame") {
        TwoFrames(image, nullptr);
        std::swap(image.Frames()[0], image.Frames()[1]);
    } else if (what == "frame too wide") {
        CxImage* wide = new CxImage;
        wide->Create(65536, 1, 1);
        TwoFrames(image, wide);
    } else if (what == "frame offset negative") {
        CxImage* frame = new CxImage;
        PaletteImage(*frame, 2, 2, 8, NOISE);
        frame->SetFrameOffset(-1, 0);
        TwoFrames(image, frame);
    } else if (what == "image too high") {
        image.Create(1, 65536, 8);
    } else if (what == "true colour too wide") {
        image.Create(65536, 1, 24);
    } else if (what == "empty image") {
        // no pixels at all
    }
    ExpectRefused(image, GIF, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GifRefused,
    testing::Values(
        Refusal{"null frame", "Bad image pointer"},
        Refusal{"empty frame", "Empty image"},
        Refusal{"true colour frame",
                "CxImageGIF::Encode cannot create animated GIFs with a true color frame. Use "
                "DecreaseBpp before"},
        Refusal{"null first frame", "multipage GIF, no images!"},
        Refusal{"frame too wide", "GIF images are at most 65535 pixels wide and high"},
        Refusal{"frame offset negative", "GIF frame offsets must lie between 0 and 65535"},
        Refusal{"image too high", "GIF images are at most 65535 pixels wide and high"},
        Refusal{"true colour too wide", "GIF images are at most 65535 pixels wide and high"},
        Refusal{"empty image", "null image!!!"}));

// --- 24-bit pictures as a mosaic of tiles ---

// Every pixel its own colour, black included.
void TrueColour(CxImage& image, DWORD w, DWORD h)
{
    ASSERT_NE(image.Create(w, h, 24), nullptr);
    for (DWORD y = 0; y < h; y++)
        for (DWORD x = 0; x < w; x++)
            image.SetPixelColor(LONG(x), LONG(y), RGBQUAD{BYTE(x * 2), BYTE(y * 6), BYTE((x * y) % 251), 0});
}

TEST(GifTrueColour, TilesComposeToTheExactPicture)
{
    CxImage image;
    TrueColour(image, 100, 40);
    std::string path = SaveGif(image, "mosaic");
    std::string info = Tool("gifsicle", "--info '" + path + "'");
    ExpectHasAll(info, {"18 images", "logical screen 100x40", "+ image #17 15x10 at 85,30",
                        "+ image #5 15x15 at 85,0"});
    EXPECT_FALSE(Has(info, "global color table")) << info;
    size_t tables = 0;
    for (size_t at = info.find("local color table [256]"); at != std::string::npos;
         at = info.find("local color table [256]", at + 1))
        tables++;
    EXPECT_EQ(tables, 18u) << info;

    std::vector<unsigned char> shown = CoalescedRgba(path, 100, 40);
    EXPECT_TRUE(RasterFromRgba(shown, 100, 40) == RasterOf(image)) << "the composed picture differs";
    remove(path.c_str());
}

TEST(GifTrueColour, TransparentColourShowsThrough)
{
    ImageProbe image;
    TrueColour(image, 30, 20);
    RGBQUAD key{10, 200, 30, 0};
    for (LONG x = 0; x < 30; x++) image.SetPixelColor(x, 19, key);  // the top row
    image.SetTransIndex(0);
    image.Info().nBkgndColor = key;
    std::string path = SaveGif(image, "mosaic_trans");
    std::vector<unsigned char> shown = CoalescedRgba(path, 30, 20);
    ASSERT_EQ(shown.size(), 30u * 20 * 4);
    Raster expected = RasterOf(image);
    for (size_t i = 0; i < 30 * 20; i++) {
        bool top = i < 30;
        EXPECT_EQ(shown[4 * i + 3], top ? 0 : 255) << "pixel " << i;
        if (!top) {
            EXPECT_EQ(memcmp(&shown[4 * i], &expected.rgb[3 * i], 3), 0) << "pixel " << i;
        }
    }
    remove(path.c_str());
}

// --- the stream gives out ---

struct ShortCase {
    const char* what;
    DWORD coder;
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.what << ", coder " << c.coder; }

class GifShortWrite : public testing::TestWithParam<ShortCase> {};

void BuildFor(ImageProbe& image, const std::string& what)
{
    if (what == "mosaic") {
        TrueColour(image, 40, 20);
    } else if (what == "animation") {
        TwoFrames(image, new CxImage);
        PaletteImage(*image.Frames()[1], 30, 30, 8, RUNS);
    } else {
        PaletteImage(image, 64, 48, 8, RUNS);
    }
}

// Wherever the stream stops taking bytes, in the header, the data or the
// trailer, the encode fails.
TEST_P(GifShortWrite, FailsWherever)
{
    ImageProbe image;
    BuildFor(image, GetParam().what);
    image.SetCodecOption(GetParam().coder, GIF);
    if (image.GetNumFrames() > 1)
        for (int i = 0; i < 2; i++) image.Frames()[i]->SetCodecOption(GetParam().coder, GIF);
    const long size = long(EncodeToMemory(image, GIF).size());
    for (long room : {0L, 4L, 12L, 100L, size / 2, size - 2, size - 1}) {
        ShortFile file(room);
        EXPECT_FALSE(image.Encode(&file, GIF)) << "room " << room << " of " << size;
        EXPECT_STREQ(image.GetLastError(), "Write Error in GIF file") << "room " << room;
    }
    ShortFile enough(size);
    EXPECT_TRUE(image.Encode(&enough, GIF)) << image.GetLastError();
}

INSTANTIATE_TEST_SUITE_P(Points, GifShortWrite,
                         testing::Values(ShortCase{"single", 0}, ShortCase{"single", 1},
                                         ShortCase{"single", 2}, ShortCase{"animation", 2},
                                         ShortCase{"mosaic", 0}));

TEST(GifShortWrite, FullDiskFailsTheSave)
{
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
    CxImage image;
    PaletteImage(image, 8, 8, 8, NOISE);
    EXPECT_FALSE(image.Save("/dev/full", GIF));
    EXPECT_STREQ(image.GetLastError(), "Write Error in GIF file");
}

}  // namespace
