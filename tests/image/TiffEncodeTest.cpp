// TIFF files we write, judged by Python's imaging library (pixels), tiffinfo
// (pages) and tiffdump (tags).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ImageJudges.h"
#include "ImageProbe.h"
#include "image/CxIOFile.h"
#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

namespace {

enum class Palette { BlackFirst, WhiteFirst, Colour, GreyIdentity, Ramp17 };

// A picture of odd size with random pixels and the palette asked.
std::unique_ptr<ImageProbe> MakeImage(DWORD bpp, Palette palette, bool alpha, DWORD width = 23, DWORD height = 9,
                                      unsigned seed = 1)
{
    auto image = std::make_unique<ImageProbe>();
    image->Create(width, height, bpp);
    std::mt19937 random(seed);
    for (DWORD i = 0; i < image->GetNumColors(); i++) {
        BYTE grey = palette == Palette::Ramp17 ? BYTE(17 * i) : BYTE(i);
        if (palette == Palette::Colour) image->SetPaletteColor(BYTE(i), BYTE(i * 37 + 5), BYTE(200 - i), BYTE(i * 11));
        else image->SetPaletteColor(BYTE(i), grey, grey, grey);
    }
    if (palette == Palette::BlackFirst) image->SetPalette(std::vector<RGBQUAD>{{0, 0, 0, 0}, {255, 255, 255, 0}}.data(), 2);
    if (palette == Palette::WhiteFirst) image->SetPalette(std::vector<RGBQUAD>{{255, 255, 255, 0}, {0, 0, 0, 0}}.data(), 2);
    for (DWORD i = 0; i < image->Head().biSizeImage; i++) image->Info().pImage[i] = BYTE(random());
    if (alpha) {
        image->AlphaCreate();
        for (LONG y = 0; y < LONG(height); y++)
            for (LONG x = 0; x < LONG(width); x++) image->AlphaSet(x, y, BYTE(random()));
    }
    return image;
}

struct DepthCase {
    const char* name;
    DWORD bpp;
    Palette palette;
    bool alpha;
    const char* pilMode;
    const char* photometric;
    const char* compression;
    const char* samples;
    const char* predictor;     // "" when absent
    const char* extraSamples;  // "" when absent
};

const DepthCase kDepths[] = {
    {"bilevel black first", 1, Palette::BlackFirst, false, "1", "0", "4", "1", "", ""},
    {"bilevel white first", 1, Palette::WhiteFirst, false, "1", "0", "4", "1", "", ""},
    {"4-bit colour", 4, Palette::Colour, false, "P", "3", "5", "1", "", ""},
    {"4-bit grey ramp", 4, Palette::Ramp17, false, "P", "3", "5", "1", "", ""},
    {"4-bit dark identity", 4, Palette::GreyIdentity, false, "P", "3", "5", "1", "", ""},
    {"8-bit grey", 8, Palette::GreyIdentity, false, "L", "1", "5", "1", "2", ""},
    {"8-bit colour", 8, Palette::Colour, false, "P", "3", "5", "1", "2", ""},
    {"8-bit grey alpha", 8, Palette::GreyIdentity, true, "LA", "1", "5", "2", "2", "2"},
    {"8-bit colour alpha", 8, Palette::Colour, true, "PA", "3", "5", "2", "2", "2"},
    {"24-bit", 24, Palette::Colour, false, "RGB", "2", "32773", "3", "", ""},
    {"24-bit alpha", 24, Palette::Colour, true, "RGBA", "2", "32773", "4", "", "2"},
};

TEST(TiffEncode, EveryDepthReadsBackExactlyWithItsTags)
{
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(c.bpp, c.palette, c.alpha);
        std::vector<unsigned char> expected = ExpectedRgba(*image);
        std::string path = JudgePath("depth", "tif");
        ASSERT_TRUE(image->Save(path.c_str(), CXIMAGE_FORMAT_TIF)) << image->GetLastError();
        // A bilevel picture is written white-is-zero; it looks the same.
        EXPECT_EQ(ExpectedRgba(*image), expected);

        PilPicture back = PilDump(path);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.mode, c.pilMode);
        EXPECT_EQ(FirstDifference(expected, back.bytes, back.width), "");
        EXPECT_EQ(TiffPageCount(path), 1);

        std::string dump = TiffDump(path);
        EXPECT_EQ(TiffTag(dump, 0, "Photometric (262)"), c.photometric) << dump;
        EXPECT_EQ(TiffTag(dump, 0, "Compression (259)"), c.compression);
        EXPECT_EQ(TiffTag(dump, 0, "SamplesPerPixel (277)"), c.samples);
        EXPECT_EQ(TiffTag(dump, 0, "Predictor (317)"), c.predictor);
        EXPECT_EQ(TiffTag(dump, 0, "ExtraSamples (338)"), c.extraSamples);
        EXPECT_EQ(TiffTag(dump, 0, "Orientation (274)"), "1");
        EXPECT_EQ(TiffTag(dump, 0, "PlanarConfig (284)"), "1");
        EXPECT_EQ(TiffTag(dump, 0, "ResolutionUnit (296)"), "2");
        EXPECT_EQ(TiffTag(dump, 0, "XResolution (282)"), "96");
        EXPECT_EQ(TiffTag(dump, 0, "YResolution (283)"), "96");
        EXPECT_EQ(TiffTag(dump, 0, "SubFileType (254)"), "0");
        EXPECT_EQ(TiffTag(dump, 0, "PageNumber (297)"), "");
        EXPECT_NE(TiffTag(dump, 0, "RowsPerStrip (278)"), "");
        remove(path.c_str());
    }
}

// RowsPerStrip is libtiff's default for the page: strips of about 8 KB of
// uncompressed rows, one row when a row is larger; JPEG strips are a whole
// number of 8-row blocks.
TEST(TiffEncode, StripsHoldAboutEightKilobytes)
{
    struct Case {
        const char* name;
        DWORD width, height, bpp;
        bool alpha;
        DWORD compression;  // 0: the default for the depth
        unsigned rowBytes;
    };
    const Case cases[] = {
        {"24-bit 2000 x 3000", 2000, 3000, 24, false, 0, 6000},
        {"24-bit 1000 x 200", 1000, 200, 24, false, 0, 3000},
        {"24-bit alpha", 500, 50, 24, true, 0, 2000},
        {"8-bit grey", 300, 100, 8, false, 0, 300},
        {"8-bit grey alpha", 1000, 30, 8, true, 0, 2000},
        {"4-bit", 333, 200, 4, false, 0, 167},
        {"bilevel", 1000, 500, 1, false, 0, 125},
        {"narrow rows", 5, 4000, 8, false, 0, 5},
        {"24-bit JPEG", 1000, 100, 24, false, 7, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(c.bpp, c.bpp == 1 ? Palette::BlackFirst : Palette::GreyIdentity, c.alpha, c.width,
                               c.height);
        image->SetCodecOption(c.compression, CXIMAGE_FORMAT_TIF);
        std::string path = JudgePath("strips", "tif");
        ASSERT_TRUE(image->Save(path.c_str(), CXIMAGE_FORMAT_TIF)) << image->GetLastError();
        StripLayout layout = TiffStrips(path);
        unsigned rows = c.rowBytes > 8192 ? 1 : 8192 / c.rowBytes;
        if (c.compression == 7) rows = (rows + 7) / 8 * 8;
        EXPECT_EQ(layout.rowsPerStrip, rows);
        EXPECT_EQ(layout.strips, (c.height + rows - 1) / rows);
        remove(path.c_str());
    }
}

// The bilevel picture's palette and bytes are turned in the image itself.
TEST(TiffEncode, BilevelBlackFirstIsInvertedInPlace)
{
    auto image = MakeImage(1, Palette::BlackFirst, false, 8, 1);
    image->Info().pImage[0] = 0x0F;
    CxMemFile file;
    file.Open();
    CxImageTIF tif;
    tif.Ghost(image.get());
    ASSERT_TRUE(tif.Encode(&file));
    EXPECT_EQ(image->Info().pImage[0], 0xF0);
    EXPECT_EQ(image->GetPaletteColor(0).rgbRed, 255);
    EXPECT_EQ(image->GetPaletteColor(1).rgbRed, 0);
}

// Resolution and the image's TIFF compression option reach the file.
TEST(TiffEncode, ResolutionAndCompressionOption)
{
    struct Option {
        DWORD compression;
        DWORD bpp;
        bool ok;
        const char* predictor;
    };
    // Deflate, LZW, none, PackBits, JPEG; an unknown scheme; fax for colour.
    const Option options[] = {{8, 24, true, ""}, {5, 24, true, "2"}, {1, 8, true, ""},      {32773, 1, true, ""},
                              {7, 24, true, ""}, {12345, 24, false, ""}, {4, 24, false, ""}};
    for (const Option& o : options) {
        SCOPED_TRACE("compression " + std::to_string(o.compression));
        auto image = MakeImage(o.bpp, o.bpp == 1 ? Palette::BlackFirst : Palette::GreyIdentity, false);
        image->SetXDPI(300);
        image->SetYDPI(150);
        image->SetCodecOption(o.compression, CXIMAGE_FORMAT_TIF);
        std::string path = JudgePath("option", "tif");
        bool saved = image->Save(path.c_str(), CXIMAGE_FORMAT_TIF);
        ASSERT_EQ(saved, o.ok) << image->GetLastError();
        if (!saved) {
            EXPECT_STREQ(image->GetLastError(), "Error saving TIFF file");
            continue;
        }
        std::string dump = TiffDump(path);
        EXPECT_EQ(TiffTag(dump, 0, "Compression (259)"), std::to_string(o.compression)) << dump;
        EXPECT_EQ(TiffTag(dump, 0, "Predictor (317)"), o.predictor);
        EXPECT_EQ(TiffTag(dump, 0, "XResolution (282)"), "300");
        EXPECT_EQ(TiffTag(dump, 0, "YResolution (283)"), "150");
        PilPicture back = PilDump(path);
        ASSERT_TRUE(back.ok) << back.error;
        if (o.compression != 7) {
            EXPECT_EQ(FirstDifference(ExpectedRgba(*image), back.bytes, back.width), "");
        }
        remove(path.c_str());
    }
}

// Pages of different depths and sizes, judged page by page.
std::vector<std::unique_ptr<ImageProbe>> ThreePages()
{
    std::vector<std::unique_ptr<ImageProbe>> pages;
    pages.push_back(MakeImage(24, Palette::Colour, false, 17, 5, 1));
    pages.push_back(MakeImage(8, Palette::Colour, false, 9, 11, 2));
    pages.push_back(MakeImage(1, Palette::WhiteFirst, false, 31, 3, 3));
    return pages;
}

void ExpectThreePages(const std::string& path, const std::vector<std::unique_ptr<ImageProbe>>& pages)
{
    EXPECT_EQ(TiffPageCount(path), 3);
    std::string dump = TiffDump(path);
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        PilPicture back = PilDump(path, "--frame " + std::to_string(i));
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.frames, 3);
        EXPECT_EQ(FirstDifference(ExpectedRgba(*pages[i]), back.bytes, back.width), "");
        std::string n = std::to_string(i + 1);
        EXPECT_EQ(TiffTag(dump, i, "SubFileType (254)"), "2") << dump;
        EXPECT_EQ(TiffTag(dump, i, "PageNumber (297)"), n + " " + n);
        EXPECT_EQ(TiffTag(dump, i, "PageName (285)"), "Page " + n + "\\0");
    }
}

TEST(TiffEncode, PagesAppendedOneByOneToAReadWriteFile)
{
    auto pages = ThreePages();
    for (bool closeWithLastPage : {false, true}) {
        SCOPED_TRACE(closeWithLastPage ? "last page without append" : "completed by destruction");
        std::string path = JudgePath("append", "tif");
        FILE* fp = fopen(path.c_str(), "w+b");
        ASSERT_NE(fp, nullptr);
        {
            CxIOFile file(fp);
            CxImageTIF writer;
            for (int i = 0; i < 3; i++) {
                writer.Ghost(pages[i].get());
                bool append = !(closeWithLastPage && i == 2);
                ASSERT_TRUE(writer.Encode(&file, append)) << writer.GetLastError();
            }
        }
        fclose(fp);
        ExpectThreePages(path, pages);
        remove(path.c_str());
    }
}

// libtiff reads back the directory it wrote before linking the next one: a
// write-only stream fails on the second page, with a message.
TEST(TiffEncode, AppendingToAWriteOnlyStreamFailsCleanly)
{
    auto pages = ThreePages();
    std::string path = JudgePath("writeonly", "tif");
    FILE* fp = fopen(path.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    CxIOFile file(fp);
    CxImageTIF writer;
    writer.Ghost(pages[0].get());
    ASSERT_TRUE(writer.Encode(&file, true)) << writer.GetLastError();
    writer.Ghost(pages[1].get());
    EXPECT_FALSE(writer.Encode(&file, true));
    EXPECT_STREQ(writer.GetLastError(), "Error saving TIFF directory");
    fclose(fp);
    remove(path.c_str());
}

TEST(TiffEncode, ManyImagesIntoOneMemoryFile)
{
    auto pages = ThreePages();
    CxImage* array[] = {pages[0].get(), pages[1].get(), pages[2].get()};
    CxMemFile memory;
    memory.Open();
    CxImageTIF writer;
    ASSERT_TRUE(writer.Encode(&memory, array, 3)) << writer.GetLastError();
    BYTE* bytes = memory.GetBuffer(false);
    std::string path = JudgePath("many", "tif");
    ASSERT_TRUE(WriteWholeFile(path, std::vector<unsigned char>(bytes, bytes + memory.Size())));
    ExpectThreePages(path, pages);
    remove(path.c_str());
}

TEST(TiffEncode, RefusalsNameTheirCause)
{
    auto page = MakeImage(8, Palette::GreyIdentity, false);
    CxImage empty;
    CxImage* withNull[] = {page.get(), nullptr};
    CxImage* withEmpty[] = {page.get(), &empty};
    struct Refusal {
        const char* text;
        std::function<bool(CxImageTIF&, CxMemFile*)> call;
    };
    const Refusal refusals[] = {
        {"invalid file pointer", [&](CxImageTIF& t, CxMemFile*) { return t.Encode(static_cast<CxFile*>(nullptr), withNull, 2); }},
        {"multipage TIFF, no images!", [&](CxImageTIF& t, CxMemFile* f) { return t.Encode(f, nullptr, 2); }},
        {"multipage TIFF, no images!", [&](CxImageTIF& t, CxMemFile* f) { return t.Encode(f, withNull, 0); }},
        {"Bad image pointer", [&](CxImageTIF& t, CxMemFile* f) { return t.Encode(f, withNull, 2); }},
        {"Empty image", [&](CxImageTIF& t, CxMemFile* f) { return t.Encode(f, withEmpty, 2); }},
        {"null file handler", [&](CxImageTIF& t, CxMemFile*) { return t.Encode(static_cast<CxFile*>(nullptr)); }},
        {"null image!!!", [&](CxImageTIF& t, CxMemFile* f) { return t.Encode(f); }},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.text);
        CxMemFile file;
        file.Open();
        CxImageTIF tif;
        EXPECT_FALSE(r.call(tif, &file));
        EXPECT_STREQ(tif.GetLastError(), r.text);
        EXPECT_EQ(file.Size(), 0);  // nothing written
    }
}

}  // namespace
