// Pages built byte by byte in layouts that no tool here writes as wanted:
// grey or palette with alpha of 1 to 16 bits, extra samples past the alpha,
// many samples a pixel, planes stored one after another, and sample formats
// the decoder refuses. Judged by the sample values the page was built from
// and by ImageMagick reading the interleaved page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
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

// The samples of a page: value(x, y, s) for perPixel samples of bits bits,
// from a ramp or from the page's own function.
struct PageSamples {
    uint32_t width, height;
    WORD perPixel, bits;
    typedef std::function<uint32_t(uint32_t, uint32_t, WORD)> Values;
    Values values = nullptr;

    uint32_t Value(uint32_t x, uint32_t y, WORD s) const
    {
        if (values) return values(x, y, s);
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
    bool alphaPlane = false;
};

Decoded Decode(std::vector<BYTE> bytes)
{
    CxMemFile file(bytes.data(), bytes.size());
    TifProbe image;
    Decoded d;
    d.ok = image.Decode(&file);
    d.message = image.GetLastError();
    if (d.ok) d.rgba = ExpectedRgba(image);
    d.alphaPlane = image.AlphaIsValid();
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

namespace {

using Rgba = std::vector<unsigned char>;
using PixelOf = std::function<std::vector<unsigned char>(const PageSamples&, uint32_t x, uint32_t y)>;

// The page's pixels, top row first, one RGBA pixel from each (x, y).
Rgba EachPixel(const PageSamples& p, const PixelOf& pixel)
{
    Rgba rgba;
    for (uint32_t y = 0; y < p.height; y++) {
        for (uint32_t x = 0; x < p.width; x++) {
            Rgba one = pixel(p, x, y);
            rgba.insert(rgba.end(), one.begin(), one.end());
        }
    }
    return rgba;
}

// What our decoder makes of another page: for colours judged by a page
// that already reads right.
Rgba DecodedRgba(const std::vector<BYTE>& bytes)
{
    Decoded d = Decode(bytes);
    EXPECT_TRUE(d.ok) << d.message;
    return d.rgba;
}

// The Lab colour of a page whose colour samples alone are given.
Rgba LabColours(const PageSamples& colours, WORD photometric)
{
    return DecodedRgba(SamplePage(colours, false, photometric, {}));
}

// A premultiplied level of fewer than 8 bits, straight at 8 bits.
BYTE Straight(uint32_t level, uint32_t alpha)
{
    if (alpha == 0) return 0;
    if (level >= alpha) return 255;
    return BYTE((level * 510 + alpha) / (2 * alpha));
}

// libtiff's CMYK conversion of 8-bit inks.
BYTE FromInk(uint32_t ink, uint32_t black)
{
    return BYTE((255 - black) * (255 - ink) / 255);
}

const Entry kAssociatedAlpha = {338, kShort, {1}};
const char* const kUnsupported = "CxImageTIF: this layout of samples is not supported";

struct LayoutCase {
    const char* name;
    PageSamples page;
    WORD photometric;
    std::vector<Entry> tags;
    std::function<Rgba(const PageSamples&)> expected;  // null: the page is refused
    std::string refusal;                               // the message then
    bool magick;      // ImageMagick reads the interleaved page right
    bool alphaPlane;  // the image holds an alpha plane
    bool planesRefused = false;  // libtiff's RGBA reader has no conversion for the page in planes
    int magickTolerance = 0;     // levels ImageMagick's reading may differ by
};

uint32_t PaletteEntry(uint32_t i, int channel)
{
    return channel == 0 ? i : channel == 1 ? 65535 - i : (i * 5) % 65536;
}

// Alphas that divide every multiple of 15 exactly, and none.
const uint32_t kExactAlphas[] = {255, 85, 51, 17, 0};

uint32_t ExactAlpha(uint32_t x, uint32_t y)
{
    return kExactAlphas[(x + 2 * y) % 5];
}

// Straight 8-bit levels, multiples of 15; those of a transparent pixel 0.
uint32_t StraightLevel(uint32_t x, uint32_t y, WORD s)
{
    return ExactAlpha(x, y) ? 15 * ((x * 3 + y * 5 + s * 7) % 18) : 0;
}

// Straight signed levels (a* and b*), -120..120 in steps of 15.
int StraightSigned(uint32_t x, uint32_t y, WORD s)
{
    return ExactAlpha(x, y) ? 15 * (int((x + 2 * y + 5 * s) % 17) - 8) : 0;
}

// The samples of a premultiplied page: its colour samples straight times
// alpha (exact), the alpha in sample `alphaAt`, 7 in any sample after it.
PageSamples::Values Premultiplied(WORD alphaAt, std::function<int(uint32_t, uint32_t, WORD)> straight)
{
    return [alphaAt, straight](uint32_t x, uint32_t y, WORD s) {
        uint32_t alpha = ExactAlpha(x, y);
        if (s == alphaAt) return alpha;
        if (s > alphaAt) return 7u;
        return uint32_t(straight(x, y, s) * int(alpha) / 255) & 0xFF;
    };
}

int StraightInk(uint32_t x, uint32_t y, WORD s)
{
    return int(StraightLevel(x, y, s));
}

// CIELab: L* then signed a* and b*.
int StraightLab(uint32_t x, uint32_t y, WORD s)
{
    return s == 0 ? int(StraightLevel(x, y, 0)) : StraightSigned(x, y, s);
}

// The straight CMYK page converted as libtiff converts inks; transparent
// pixels black.
Rgba StraightCmyk(const PageSamples& p)
{
    return EachPixel(p, [](const PageSamples&, uint32_t x, uint32_t y) {
        uint32_t k = StraightLevel(x, y, 3);
        if (ExactAlpha(x, y) == 0) return Rgba{0, 0, 0, 0};
        return Rgba{FromInk(StraightLevel(x, y, 0), k), FromInk(StraightLevel(x, y, 1), k),
                    FromInk(StraightLevel(x, y, 2), k), BYTE(ExactAlpha(x, y))};
    });
}

// 16-bit alphas that divide every multiple of 255 exactly, down to faint.
uint32_t FaintAlpha(uint32_t x, uint32_t y)
{
    const uint32_t alphas[] = {65535, 21845, 13107, 4369, 257};
    return alphas[(x + 2 * y) % 5];
}

// Straight 16-bit levels, multiples of 255; signed ones (a* and b*) too.
int Straight16(uint32_t x, uint32_t y, WORD s, bool isSigned)
{
    return isSigned ? 255 * (int((x * 7 + y * 3 + s * 11) % 200) - 100) : 255 * int((x * 3 + y * 5 + s * 13) % 257);
}

// The samples of a 16-bit premultiplied page, alpha after `colours` colour
// samples; signedFrom: the first signed colour sample.
PageSamples::Values Premultiplied16(WORD colours, WORD signedFrom)
{
    return [colours, signedFrom](uint32_t x, uint32_t y, WORD s) {
        uint32_t alpha = FaintAlpha(x, y);
        if (s >= colours) return alpha;
        long long v = Straight16(x, y, s, s >= signedFrom);
        return uint32_t(v * alpha / 65535) & 0xFFFF;
    };
}

// A palette colour of a premultiplied page divided by an alpha out of max.
BYTE DividedColour(uint32_t colour, uint32_t alpha, uint32_t max)
{
    if (alpha == 0) return 0;
    uint32_t straight = colour * max / alpha;
    return BYTE(straight > 255 ? 255 : straight);
}

std::vector<LayoutCase> LayoutCases()
{
    std::vector<uint32_t> wideMap(3 * 65536);
    for (uint32_t i = 0; i < 65536; i++)
        for (int c = 0; c < 3; c++) wideMap[c * 65536 + i] = PaletteEntry(i, c);
    // Premultiplied samples: each level at most its alpha.
    auto premultiplied = [](uint32_t max) {
        return [max](uint32_t x, uint32_t y, WORD s) {
            uint32_t alpha = (x * 5 + y * 3) % (max + 1);
            return s == 1 ? alpha : (x * 7 + y) % (alpha + 1);
        };
    };
    auto straightGrey = [](const PageSamples& p) {
        uint32_t max = (1u << p.bits) - 1;
        return EachPixel(p, [max](const PageSamples& q, uint32_t x, uint32_t y) {
            BYTE grey = Straight(q.Value(x, y, 0), q.Value(x, y, 1));
            return Rgba{grey, grey, grey, BYTE(q.Value(x, y, 1) * 255 / max)};
        });
    };
    auto rgbAndAlpha = [](const PageSamples& p) {
        return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
            return Rgba{BYTE(q.Value(x, y, 0)), BYTE(q.Value(x, y, 1)), BYTE(q.Value(x, y, 2)), BYTE(q.Value(x, y, 3))};
        });
    };
    auto cmykAndAlpha = [](const PageSamples& p) {
        return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
            uint32_t k = q.Value(x, y, 3);
            return Rgba{FromInk(q.Value(x, y, 0), k), FromInk(q.Value(x, y, 1), k), FromInk(q.Value(x, y, 2), k),
                        BYTE(q.Value(x, y, 4))};
        });
    };
    // Lab colours with alpha in sample 3 and a further extra sample.
    auto labAndAlpha = [](const PageSamples& p) {
        Rgba rgba = LabColours(PageSamples{p.width, p.height, 3, 8, p.values}, 8);
        for (uint32_t y = 0; y < p.height; y++)
            for (uint32_t x = 0; x < p.width; x++) rgba[4 * (y * p.width + x) + 3] = BYTE(p.Value(x, y, 3));
        return rgba;
    };
    // Dark 16-bit Lab: every high byte of a row below 128, a and b positive.
    auto darkLab = [](uint32_t x, uint32_t y, WORD s) {
        uint32_t v = s == 0 ? (x * 3 + y * 5) % 40 : s == 1 ? x % 11 : y % 7;
        return v * 256 + (x * 37 + s) % 256;
    };
    // ICC L*a*b*: a and b 128 for zero, every fourth pixel neutral.
    auto iccLab = [](uint32_t x, uint32_t y, WORD s) {
        if (s == 0) return (x * 11 + y * 17) % 256;
        if (x % 4 == 0) return 128u;
        return 128 + (s == 1 ? (x * 3) % 41 : (y * 5 + x) % 41) - 20;
    };
    const std::vector<Entry> rgbaExtra = {{338, kShort, {2, 0}}};
    // The straight Lab page behind a premultiplied one, with its alpha.
    auto straightLab = [](const PageSamples& p) {
        auto straight = [](uint32_t x, uint32_t y, WORD s) { return uint32_t(StraightLab(x, y, s)) & 0xFF; };
        Rgba rgba = LabColours(PageSamples{p.width, p.height, 3, 8, straight}, 8);
        for (uint32_t y = 0; y < p.height; y++)
            for (uint32_t x = 0; x < p.width; x++) rgba[4 * (y * p.width + x) + 3] = BYTE(ExactAlpha(x, y));
        return rgba;
    };
    // Palette pages with premultiplied colours: index, then alpha (never 0,
    // whose colour readers choose differently).
    std::vector<uint32_t> map8(3 * 256), map4(3 * 16);
    for (uint32_t i = 0; i < 256; i++)
        for (int c = 0; c < 3; c++) map8[c * 256 + i] = (PaletteEntry(i * 257, c) >> 8) * 257;
    for (uint32_t i = 0; i < 16; i++)
        for (int c = 0; c < 3; c++) map4[c * 16 + i] = (PaletteEntry(i * 17 * 257, c) >> 8) * 257;
    auto paletteAlpha = [](WORD bits) {
        return [bits](uint32_t x, uint32_t y, WORD s) {
            uint32_t max = (1u << bits) - 1;
            return s == 0 ? (x * 7 + y * 3) % (max + 1) : 1 + (x * 5 + y * 11) % max;
        };
    };
    // What a premultiplied palette page shows: each colour of the map at 8
    // bits divided by its alpha.
    auto dividedPalette = [](const PageSamples& p) {
        return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
            uint32_t max = (1u << q.bits) - 1, alpha = q.Value(x, y, 1);
            uint32_t index = q.Value(x, y, 0), scale = 65535 / max;
            Rgba pixel(4);
            for (int c = 0; c < 3; c++) pixel[c] = DividedColour(PaletteEntry(index * scale, c) >> 8, alpha, max);
            pixel[3] = q.bits >= 16 ? BYTE(alpha >> 8) : BYTE(alpha * 255 / max);
            return pixel;
        });
    };
    // The straight 16-bit Lab page behind a premultiplied one, with its alpha.
    auto straightLab16 = [](const PageSamples& p) {
        auto straight = [](uint32_t x, uint32_t y, WORD s) { return uint32_t(Straight16(x, y, s, s > 0)) & 0xFFFF; };
        Rgba rgba = DecodedRgba(SamplePage(PageSamples{p.width, p.height, 3, 16, straight}, false, 8, {}));
        for (uint32_t y = 0; y < p.height; y++)
            for (uint32_t x = 0; x < p.width; x++) rgba[4 * (y * p.width + x) + 3] = BYTE(FaintAlpha(x, y) >> 8);
        return rgba;
    };

    return {
        {"16-bit palette with alpha", PageSamples{13, 5, 2, 16}, 3, {kUnassociatedAlpha, {320, kShort, wideMap}},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
                 uint32_t i = q.Value(x, y, 0);
                 return Rgba{BYTE(PaletteEntry(i, 0) >> 8), BYTE(PaletteEntry(i, 1) >> 8), BYTE(PaletteEntry(i, 2) >> 8),
                             BYTE(q.Value(x, y, 1) >> 8)};
             });
         },
         "", false, true},
        {"RGBA and one more extra sample", PageSamples{13, 5, 5, 8}, 2, rgbaExtra, rgbAndAlpha, "", true, true},
        {"associated RGBA and one more extra sample",
         PageSamples{13, 5, 5, 8, [](uint32_t x, uint32_t y, WORD s) {
                         uint32_t alpha = 100 + (x * 13 + y * 7) % 156;
                         return s == 3 ? alpha : s == 4 ? 7u : (x * 29 + y * 3 + s * 50) % (alpha + 1);
                     }},
         2, {{338, kShort, {1, 0}}},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
                 uint32_t a = q.Value(x, y, 3);
                 return Rgba{BYTE(q.Value(x, y, 0) * 255 / a), BYTE(q.Value(x, y, 1) * 255 / a),
                             BYTE(q.Value(x, y, 2) * 255 / a), BYTE(a)};
             });
         },
         "", true, true},
        {"CMYK with alpha", PageSamples{13, 5, 5, 8}, 5, {{338, kShort, {2}}}, cmykAndAlpha, "", false, true, true},
        {"CMYK with alpha and one more extra sample", PageSamples{13, 5, 6, 8}, 5, rgbaExtra, cmykAndAlpha, "", false,
         true, true},
        {"CMYK without alpha", PageSamples{13, 5, 4, 8}, 5, {},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
                 uint32_t k = q.Value(x, y, 3);
                 return Rgba{FromInk(q.Value(x, y, 0), k), FromInk(q.Value(x, y, 1), k), FromInk(q.Value(x, y, 2), k),
                             255};
             });
         },
         "", false, false},
        {"Lab with alpha and one more extra sample", PageSamples{13, 5, 5, 8}, 8, rgbaExtra, labAndAlpha, "", false,
         true},
        {"grey with alpha named by the second extra sample", PageSamples{13, 5, 3, 8}, 1, {{338, kShort, {0, 2}}},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
                 BYTE grey = BYTE(q.Value(x, y, 0));
                 return Rgba{grey, grey, grey, BYTE(q.Value(x, y, 2))};
             });
         },
         "", false, true},
        {"dark 16-bit grey and alpha",
         PageSamples{13, 5, 2, 16,
                     [](uint32_t x, uint32_t y, WORD s) { return (s ? 64 + 63 * (x % 2) : (x * 7 + y) % 96) * 257; }},
         1, {kUnassociatedAlpha},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples& q, uint32_t x, uint32_t y) {
                 BYTE grey = BYTE(q.Value(x, y, 0) >> 8);
                 return Rgba{grey, grey, grey, BYTE(q.Value(x, y, 1) >> 8)};
             });
         },
         "", true, true},
        {"dark 16-bit Lab", PageSamples{13, 5, 3, 16, darkLab}, 8, {},
         [darkLab](const PageSamples& p) {
             auto highBytes = [darkLab](uint32_t x, uint32_t y, WORD s) { return darkLab(x, y, s) >> 8; };
             return LabColours(PageSamples{p.width, p.height, 3, 8, highBytes}, 8);
         },
         "", false, false},
        {"ICC L*a*b*", PageSamples{13, 5, 3, 8, iccLab}, 9, {},
         [iccLab](const PageSamples& p) {
             auto signedAb = [iccLab](uint32_t x, uint32_t y, WORD s) {
                 return s == 0 ? iccLab(x, y, s) : (iccLab(x, y, s) - 128) & 0xFF;
             };
             return LabColours(PageSamples{p.width, p.height, 3, 8, signedAb}, 8);
         },
         "", false, false},
        {"2-bit grey with associated alpha", PageSamples{13, 5, 2, 2, premultiplied(3)}, 1, {kAssociatedAlpha},
         straightGrey, "", false, true},
        {"4-bit grey with associated alpha", PageSamples{13, 5, 2, 4, premultiplied(15)}, 1, {kAssociatedAlpha},
         straightGrey, "", false, true},
        {"ITU L*a*b*", PageSamples{13, 5, 3, 8}, 10, {}, nullptr, "CxImageTIF: ITU L*a*b* is not supported", false,
         false},
        {"1-bit RGB", PageSamples{13, 5, 3, 1}, 2, {}, nullptr, kUnsupported, false, false},
        {"2-bit RGB", PageSamples{13, 5, 3, 2}, 2, {}, nullptr, kUnsupported, false, false},
        {"4-bit RGB", PageSamples{13, 5, 3, 4}, 2, {}, nullptr, kUnsupported, false, false},
        // Premultiplied colours are divided by their alpha before they are
        // converted, or refused.
        {"CMYK with associated alpha", PageSamples{13, 7, 5, 8, Premultiplied(4, StraightInk)}, 5, {kAssociatedAlpha},
         StraightCmyk, "", false, true},
        {"CMYK with associated alpha and one more extra sample", PageSamples{13, 7, 6, 8, Premultiplied(4, StraightInk)},
         5, {{338, kShort, {1, 0}}}, StraightCmyk, "", false, true},
        {"YCbCr with associated alpha", PageSamples{13, 5, 4, 8}, 6, {kAssociatedAlpha, {530, kShort, {1, 1}}}, nullptr,
         "Error encountered while opening TIFF file", false, false, true},
        {"CMY with associated alpha", PageSamples{13, 5, 4, 8}, 5, {kAssociatedAlpha}, nullptr, kUnsupported, false,
         false},
        {"CMY with unassociated alpha", PageSamples{13, 5, 4, 8}, 5, {kUnassociatedAlpha}, nullptr, kUnsupported,
         false, false},
        {"Lab with associated alpha", PageSamples{13, 7, 4, 8, Premultiplied(3, StraightLab)}, 8, {kAssociatedAlpha},
         straightLab, "", false, true},
        {"Lab with associated alpha and one more extra sample", PageSamples{13, 7, 5, 8, Premultiplied(3, StraightLab)},
         8, {{338, kShort, {1, 0}}}, straightLab, "", false, true},
        {"4-bit Lab", PageSamples{13, 5, 3, 4}, 8, {}, nullptr, kUnsupported, false, false},
        {"2-bit ICC L*a*b*", PageSamples{13, 5, 3, 2}, 9, {}, nullptr, kUnsupported, false, false},
        {"ICC L*a*b* with associated alpha", PageSamples{13, 5, 4, 8}, 9, {kAssociatedAlpha}, nullptr, kUnsupported,
         false, false},
        {"lightness with associated alpha", PageSamples{13, 7, 2, 8, Premultiplied(1, StraightLab)}, 8,
         {kAssociatedAlpha},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples&, uint32_t x, uint32_t y) {
                 BYTE l = BYTE(StraightLevel(x, y, 0));
                 return Rgba{l, l, l, BYTE(ExactAlpha(x, y))};
             });
         },
         "", false, true},
        {"palette with associated alpha", PageSamples{13, 7, 2, 8, paletteAlpha(8)}, 3,
         {kAssociatedAlpha, {320, kShort, map8}}, dividedPalette, "", true, true},
        {"4-bit palette with associated alpha", PageSamples{13, 7, 2, 4, paletteAlpha(4)}, 3,
         {kAssociatedAlpha, {320, kShort, map4}}, dividedPalette, "", true, true},
        {"16-bit palette with associated alpha",
         PageSamples{13, 7, 2, 16,
                     [](uint32_t x, uint32_t y, WORD s) {
                         return s == 0 ? (x * 4099 + y * 257) % 65536 : 1 + (x * 5021 + y * 11) % 65535;
                     }},
         3, {kAssociatedAlpha, {320, kShort, wideMap}}, dividedPalette, "", false, true},
        // 16-bit premultiplied levels are divided before they are reduced.
        {"16-bit RGB with faint associated alpha", PageSamples{13, 7, 4, 16, Premultiplied16(3, 3)}, 2,
         {kAssociatedAlpha},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples&, uint32_t x, uint32_t y) {
                 auto level = [](int v) { return BYTE((v + 128) / 257); };  // as libtiff's reader rounds
                 return Rgba{level(Straight16(x, y, 0, false)), level(Straight16(x, y, 1, false)),
                             level(Straight16(x, y, 2, false)), level(int(FaintAlpha(x, y)))};
             });
         },
         "", false, true},
        {"16-bit grey with faint associated alpha", PageSamples{13, 7, 2, 16, Premultiplied16(1, 1)}, 1,
         {kAssociatedAlpha},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples&, uint32_t x, uint32_t y) {
                 BYTE grey = BYTE(Straight16(x, y, 0, false) >> 8);
                 return Rgba{grey, grey, grey, BYTE(FaintAlpha(x, y) >> 8)};
             });
         },
         "", false, true},
        {"16-bit white-is-zero grey with faint associated alpha",
         PageSamples{13, 7, 2, 16,
                     [](uint32_t x, uint32_t y, WORD s) {
                         uint32_t alpha = FaintAlpha(x, y);
                         return s ? alpha : 65535 - uint32_t(Straight16(x, y, 0, false) * (long long)alpha / 65535);
                     }},
         0, {kAssociatedAlpha},
         [](const PageSamples& p) {
             return EachPixel(p, [](const PageSamples&, uint32_t x, uint32_t y) {
                 BYTE grey = BYTE(255 - ((65535 - Straight16(x, y, 0, false)) >> 8));
                 return Rgba{grey, grey, grey, BYTE(FaintAlpha(x, y) >> 8)};
             });
         },
         "", false, true},
        {"16-bit Lab with faint associated alpha", PageSamples{13, 7, 4, 16, Premultiplied16(3, 1)}, 8,
         {kAssociatedAlpha}, straightLab16, "", false, true},
    };
}

// Layouts that once decoded to wrong pixels with success: each reads as its
// samples say, interleaved and in planes, or is refused with a message.
TEST(TiffLayout, EveryLayoutReadsRightOrIsRefused)
{
    for (const LayoutCase& c : LayoutCases()) {
        Rgba expected = c.expected ? c.expected(c.page) : Rgba{};
        if (c.magick) {
            EXPECT_EQ(FirstDifference(expected, MagickReading(SamplePage(c.page, false, c.photometric, c.tags)),
                                      int(c.page.width), c.magickTolerance),
                      "")
                << c.name << ", ImageMagick";
        }
        for (bool planes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (planes ? " in planes" : " interleaved"));
            Decoded d = Decode(SamplePage(c.page, planes, c.photometric, c.tags));
            if (!c.expected || (planes && c.planesRefused)) {
                EXPECT_FALSE(d.ok);
                EXPECT_EQ(d.message, c.expected || (planes && c.planesRefused) ? kUnsupported : c.refusal);
                continue;
            }
            ASSERT_TRUE(d.ok) << d.message;
            EXPECT_EQ(FirstDifference(expected, d.rgba, int(c.page.width)), "");
            EXPECT_EQ(d.alphaPlane, c.alphaPlane);
        }
    }
}

}  // namespace

namespace {

// A 16-bit grey page of width x height stored in tiles of tileWidth x
// tileLength, one sample a pixel; planar gives PlanarConfiguration 2.
std::vector<BYTE> TiledGreyPage(const PageSamples& p, uint32_t tileWidth, uint32_t tileLength, bool planar)
{
    std::vector<BYTE> pixels;
    std::vector<uint32_t> offsets, counts;
    for (uint32_t ty = 0; ty < p.height; ty += tileLength) {
        for (uint32_t tx = 0; tx < p.width; tx += tileWidth) {
            offsets.push_back(uint32_t(8 + pixels.size()));
            for (uint32_t y = ty; y < ty + tileLength; y++) {
                for (uint32_t x = tx; x < tx + tileWidth; x++) {
                    uint32_t v = x < p.width && y < p.height ? p.Value(x, y, 0) : 0;
                    pixels.insert(pixels.end(), {BYTE(v), BYTE(v >> 8)});
                }
            }
            counts.push_back(tileWidth * tileLength * 2);
        }
    }
    std::vector<Entry> entries = {
        {256, kLong, {p.width}},  {257, kLong, {p.height}},     {258, kShort, {16}},      {259, kShort, {1}},
        {262, kShort, {1}},       {277, kShort, {1}},           {284, kShort, {planar ? 2u : 1u}},
        {322, kLong, {tileWidth}}, {323, kLong, {tileLength}}, {324, kLong, offsets}, {325, kLong, counts},
    };
    return BuildTiff(entries, pixels);
}

// The same page in strips of rowsPerStrip rows.
std::vector<BYTE> StripedGreyPage(const PageSamples& p, uint32_t rowsPerStrip, bool planar)
{
    std::vector<BYTE> rows = Pack(p, -1);
    std::vector<uint32_t> offsets, counts;
    size_t stripBytes = size_t(rowsPerStrip) * p.width * 2;
    for (size_t at = 0; at < rows.size(); at += stripBytes) {
        offsets.push_back(uint32_t(8 + at));
        counts.push_back(uint32_t(std::min(stripBytes, rows.size() - at)));
    }
    return BuildTiff(GreyPage(p.width, p.height,
                              {{258, kShort, {16}}, {273, kLong, offsets}, {278, kLong, {rowsPerStrip}},
                               {279, kLong, counts}, {284, kShort, {planar ? 2u : 1u}}}),
                     rows);
}

// One 16-bit grey page gives one picture however it is stored: in one strip
// or many, in tiles, with PlanarConfiguration 1 or 2.
TEST(TiffLayout, SixteenBitGreyIsOnePictureInStripsTilesAndPlanes)
{
    struct Page {
        const char* name;
        PageSamples::Values values;
    };
    const Page pages[] = {
        {"dark", [](uint32_t x, uint32_t y, WORD) { return (x * 13 + y * 7) % 300; }},
        {"full range", [](uint32_t x, uint32_t y, WORD) { return (x * 3121 + y * 977) % 65536; }},
        {"one bright pixel", [](uint32_t x, uint32_t y, WORD) { return x == 17 && y == 11 ? 65535u : (x + y) % 40; }},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(page.name);
        PageSamples p{21, 19, 1, 16, page.values};
        Decoded oneStrip = Decode(StripedGreyPage(p, 19, false));
        ASSERT_TRUE(oneStrip.ok) << oneStrip.message;
        struct Storage {
            const char* name;
            std::vector<BYTE> bytes;
        };
        const Storage storages[] = {
            {"strips of 4 rows", StripedGreyPage(p, 4, false)},
            {"strips, planar", StripedGreyPage(p, 5, true)},
            {"tiles", TiledGreyPage(p, 16, 16, false)},
            {"tiles, planar", TiledGreyPage(p, 16, 16, true)},
        };
        for (const Storage& storage : storages) {
            SCOPED_TRACE(storage.name);
            Decoded d = Decode(storage.bytes);
            ASSERT_TRUE(d.ok) << d.message;
            EXPECT_EQ(FirstDifference(oneStrip.rgba, d.rgba, 21), "");
        }
    }
}

// L*a*b* pixels, dark (down to L* 0, where CIE lightness is linear) and
// light, agree with ImageMagick's reading within 2 levels.
TEST(TiffLayout, LabAgreesWithImageMagickFromDarkToLight)
{
    std::vector<std::vector<int>> lab;
    for (int l : {0, 2, 5, 10, 15, 20, 25})
        for (int a : {-30, -10, 0, 10, 30})
            for (int b : {-30, -10, 0, 10, 30}) lab.push_back({l, a, b});
    for (int l : {60, 128, 200, 250})
        for (int a : {0, 10, 30})
            for (int b : {0, 10, 30}) lab.push_back({l, a, b});
    PageSamples p{uint32_t(lab.size()), 1, 3, 8,
                  [&lab](uint32_t x, uint32_t, WORD s) { return uint32_t(lab[x][s]) & 0xFF; }};
    std::vector<BYTE> bytes = SamplePage(p, false, 8, {});
    Rgba magick = MagickReading(bytes);
    ASSERT_FALSE(magick.empty());
    Decoded d = Decode(bytes);
    ASSERT_TRUE(d.ok) << d.message;
    EXPECT_EQ(FirstDifference(magick, d.rgba, int(p.width), 2), "");
}

}  // namespace
