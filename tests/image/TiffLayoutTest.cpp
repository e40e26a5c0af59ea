// Pages built byte by byte in layouts that no tool here writes as wanted:
// grey or palette with alpha of 1 to 16 bits, extra samples past the alpha,
// many samples a pixel, planes stored one after another, and sample formats
// the decoder refuses. Judged by the sample values the page was built from
// and by ImageMagick reading the interleaved page.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ImageJudges.h"
#include "TiffBuilder.h"
#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

namespace {

struct TifProbe : CxImageTIF {
    CXIMAGEINFO& Info() { return info; }
};

// The samples of a page: value(x, y, s) for perPixel samples of bits bits.
struct PageSamples {
    uint32_t width, height;
    WORD perPixel, bits;

    uint32_t Value(uint32_t x, uint32_t y, WORD s) const
    {
        uint32_t v = x * (7 + 4 * s) + y * 13 + 29 * s + 3;
        if (bits >= 16) return (v % 256) * 257;  // full-scale 16-bit levels
        return v % (1u << bits);
    }
};

// Rows of samples most significant bit first (16 bits and more: whole
// little-endian words), each row padded to whole bytes: every sample of a pixel, or only
// sample `plane` of each.
std::vector<BYTE> Pack(const PageSamples& p, int plane)
{
    std::vector<BYTE> out;
    for (uint32_t y = 0; y < p.height; y++) {
        unsigned acc = 0, filled = 0;
        for (uint32_t x = 0; x < p.width; x++) {
            for (WORD s = 0; s < p.perPixel; s++) {
                if (plane >= 0 && s != plane) continue;
                uint32_t v = p.Value(x, y, s);
                if (p.bits >= 16) {
                    for (int k = 0; k < p.bits / 8; k++) out.push_back(BYTE(v >> (8 * k)));
                    continue;
                }
                acc = (acc << p.bits) | v;
                filled += p.bits;
                while (filled >= 8) out.push_back(BYTE(acc >> (filled -= 8)));
            }
        }
        if (filled) out.push_back(BYTE(acc << (8 - filled)));
    }
    return out;
}

// An uncompressed page of these samples, interleaved in one strip or in one
// strip per plane. Planes from `unreadFrom` on point past the end of the file.
std::vector<BYTE> SamplePage(const PageSamples& p, bool planes, WORD photometric, std::vector<Entry> extra,
                             WORD unreadFrom = 0xFFFF)
{
    std::vector<BYTE> pixels;
    std::vector<uint32_t> offsets, counts;
    for (int plane = planes ? 0 : -1; plane < (planes ? p.perPixel : 0); plane++) {
        std::vector<BYTE> bytes = Pack(p, plane);
        offsets.push_back(plane >= int(unreadFrom) ? 0x7FFFFFF0 : uint32_t(8 + pixels.size()));
        counts.push_back(uint32_t(bytes.size()));
        pixels.insert(pixels.end(), bytes.begin(), bytes.end());
    }
    std::vector<Entry> changes = {
        {258, kShort, std::vector<uint32_t>(p.perPixel, p.bits)},
        {262, kShort, {photometric}},
        {273, kLong, offsets},
        {277, kShort, {p.perPixel}},
        {279, kLong, counts},
        {284, kShort, {planes ? 2u : 1u}},
    };
    changes.insert(changes.end(), extra.begin(), extra.end());
    return BuildTiff(GreyPage(p.width, p.height, changes), pixels);
}

struct Decoded {
    bool ok = false;
    std::string message;
    std::vector<unsigned char> rgba;
};

Decoded Decode(std::vector<BYTE> bytes)
{
    CxMemFile file(bytes.data(), bytes.size());
    TifProbe image;
    Decoded d;
    d.ok = image.Decode(&file);
    d.message = image.GetLastError();
    if (d.ok) d.rgba = ExpectedRgba(image);
    return d;
}

std::vector<unsigned char> MagickReading(const std::vector<BYTE>& bytes)
{
    std::string path = JudgePath("layout", "tif");
    if (!WriteWholeFile(path, bytes)) return {};
    std::vector<unsigned char> rgba = MagickRgba(path);
    remove(path.c_str());
    return rgba;
}

// A level of `bits` bits at 8 bits (16 bits: its high byte).
BYTE Level(uint32_t v, WORD bits)
{
    if (bits >= 16) return BYTE(v >> 8);
    return BYTE(v * 255 / ((1u << bits) - 1));
}

// What a grey page with alpha in sample 1 shows, top row first.
std::vector<unsigned char> GreyAlphaRgba(const PageSamples& p)
{
    std::vector<unsigned char> rgba;
    for (uint32_t y = 0; y < p.height; y++) {
        for (uint32_t x = 0; x < p.width; x++) {
            BYTE grey = Level(p.Value(x, y, 0), p.bits);
            rgba.insert(rgba.end(), {grey, grey, grey, Level(p.Value(x, y, 1), p.bits)});
        }
    }
    return rgba;
}

const Entry kUnassociatedAlpha = {338, kShort, {2}};

// Grey and alpha of every depth, interleaved and in planes: the alpha is
// scaled to 0..255 like the grey.
TEST(TiffLayout, GreyAndAlphaOfEveryDepth)
{
    for (WORD bits : {1, 2, 4, 8, 16}) {
        PageSamples p{23, 9, 2, bits};
        std::vector<unsigned char> expected = GreyAlphaRgba(p);
        // ImageMagick shows the grey of a 1-bit page with alpha inverted.
        if (bits > 1) {
            std::vector<BYTE> interleaved = SamplePage(p, false, 1, {kUnassociatedAlpha});
            EXPECT_EQ(FirstDifference(expected, MagickReading(interleaved), 23), "") << bits << " bits, ImageMagick";
        }
        for (bool planes : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + (planes ? " bits in planes" : " bits interleaved"));
            Decoded d = Decode(SamplePage(p, planes, 1, {kUnassociatedAlpha}));
            ASSERT_TRUE(d.ok) << d.message;
            EXPECT_EQ(FirstDifference(expected, d.rgba, 23), "");
        }
    }
}

// A 4-bit palette page with 4-bit alpha, its ColorMap in 16-bit levels.
TEST(TiffLayout, PaletteAndAlphaOfFourBits)
{
    PageSamples p{23, 9, 2, 4};
    std::vector<uint32_t> map(48);
    for (uint32_t i = 0; i < 16; i++) {
        map[i] = 17 * i * 257;
        map[16 + i] = (255 - 17 * i) * 257;
        map[32 + i] = (i * 50 % 256) * 257;
    }
    std::vector<unsigned char> expected;
    for (uint32_t y = 0; y < p.height; y++) {
        for (uint32_t x = 0; x < p.width; x++) {
            uint32_t i = p.Value(x, y, 0);
            expected.insert(expected.end(), {BYTE(17 * i), BYTE(255 - 17 * i), BYTE(i * 50 % 256),
                                             Level(p.Value(x, y, 1), 4)});
        }
    }
    std::vector<Entry> tags = {kUnassociatedAlpha, {320, kShort, map}};
    EXPECT_EQ(FirstDifference(expected, MagickReading(SamplePage(p, false, 3, tags)), 23), "") << "ImageMagick";
    for (bool planes : {false, true}) {
        SCOPED_TRACE(planes ? "planes" : "interleaved");
        Decoded d = Decode(SamplePage(p, planes, 3, tags));
        ASSERT_TRUE(d.ok) << d.message;
        EXPECT_EQ(FirstDifference(expected, d.rgba, 23), "");
    }
}

// Samples past the alpha are not shown, and planes of them are not read at
// all: those of the last case lie past the end of the file. (ImageMagick
// takes such samples for colour, so the page's own values judge.)
TEST(TiffLayout, ExtraSamplesPastTheAlphaAreNotShown)
{
    struct Case {
        const char* name;
        WORD samples, bits;
        bool planes;
        WORD unreadFrom;
    };
    const Case cases[] = {
        {"three samples", 3, 8, false, 0xFFFF},
        {"four samples in planes", 4, 8, true, 0xFFFF},
        {"forty 4-bit samples", 40, 4, false, 0xFFFF},
        {"three hundred samples", 300, 8, false, 0xFFFF},
        {"sixteen planes, twelve unread", 16, 8, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageSamples p{13, 5, c.samples, c.bits};
        std::vector<uint32_t> kinds(c.samples - 1, 0);  // unspecified
        kinds[0] = 2;                                   // unassociated alpha
        std::vector<Entry> tags = {{338, kShort, kinds}};
        std::vector<unsigned char> expected = GreyAlphaRgba(p);
        Decoded d = Decode(SamplePage(p, c.planes, 1, tags, c.unreadFrom));
        ASSERT_TRUE(d.ok) << d.message;
        EXPECT_EQ(FirstDifference(expected, d.rgba, 13), "");
    }
}

// Signed and floating-point samples are refused, with a message.
TEST(TiffLayout, SignedAndFloatingPointSamplesAreRefused)
{
    struct Case {
        const char* name;
        WORD samples, bits, photometric, format;
    };
    const Case cases[] = {
        {"signed grey", 1, 8, 1, 2},
        {"signed grey and alpha", 2, 16, 1, 2},
        {"float grey", 1, 32, 1, 3},
        {"float RGB", 3, 32, 2, 3},
        {"complex grey", 1, 32, 1, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageSamples p{4, 3, c.samples, c.bits};
        std::vector<Entry> tags = {{339, kShort, std::vector<uint32_t>(c.samples, c.format)}};
        if (c.samples == 2) tags.push_back(kUnassociatedAlpha);
        for (bool planes : {false, true}) {
            Decoded d = Decode(SamplePage(p, planes, c.photometric, tags));
            EXPECT_FALSE(d.ok);
            EXPECT_EQ(d.message, "CxImageTIF: unsupported sample format");
        }
    }
}

}  // namespace
