// Text drawn into images with installed fonts, and images made from bitmap
// handles of the GDI layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ImageProbe.h"
#include "platform/win32/FontFamilies.h"
#include "platform/win32/Gdi.h"

namespace {

const RGBQUAD kWhite{255, 255, 255, 0};
const RGBQUAD kRed{0, 0, 255, 0};

struct TextStyle {
    LONG size = -24;
    LONG weight = FW_NORMAL;
    BYTE italic = 0;
    BYTE underline = 0;
};

// Width and height of the text as the layer measures it for the style.
RECT Measure(const char* text, const TextStyle& style)
{
    HDC dc = CreateCompatibleDC(GetDC(nullptr));
    LOGFONTA log{};
    strcpy(log.lfFaceName, "Liberation Sans");
    log.lfHeight = style.size;
    log.lfWeight = style.weight;
    log.lfItalic = style.italic;
    log.lfUnderline = style.underline;
    HFONT font = CreateFontIndirectA(&log);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return rect;
}

// Where the text left ink on a white picture; x and y from the top left.
struct Ink {
    long count = 0;
    LONG left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool onlyColour = true;  // every inked pixel has the asked colour
    std::vector<std::vector<bool>> at;
};

Ink FindInk(const CxImage& image, RGBQUAD colour)
{
    Ink ink;
    LONG height = LONG(image.GetHeight());
    ink.at.assign(height, std::vector<bool>(image.GetWidth(), false));
    for (LONG row = 0; row < height; row++) {
        for (LONG x = 0; x < LONG(image.GetWidth()); x++) {
            RGBQUAD c = image.GetPixelColor(x, height - 1 - row, false);
            if (c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255) continue;
            ink.count++;
            ink.at[row][x] = true;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, row);
            ink.bottom = std::max(ink.bottom, row);
            if (memcmp(&c, &colour, 3) != 0) ink.onlyColour = false;
        }
    }
    return ink;
}

Ink Draw(const char* text, const TextStyle& style, LONG x = 10, LONG y = 60)
{
    ImageProbe image;
    image.Create(300, 90, 24);
    for (LONG row = 0; row < 90; row++)
        for (LONG col = 0; col < 300; col++) image.SetPixelColor(col, row, kWhite);
    EXPECT_EQ(image.DrawString(nullptr, x, y, text, kRed, "Liberation Sans", style.size, style.weight,
                               style.italic, style.underline),
              1);
    return FindInk(image, kRed);
}

// Mean column of the ink in a band of rows.
double MeanColumn(const Ink& ink, LONG fromRow, LONG toRow)
{
    double sum = 0;
    long n = 0;
    for (LONG row = fromRow; row <= toRow; row++)
        for (size_t x = 0; x < ink.at[row].size(); x++)
            if (ink.at[row][x]) sum += double(x), n++;
    return n ? sum / n : 0;
}

TEST(CxImageDrawString, InkLiesInTheMeasuredBoxInTheAskedColour)
{
    const TextStyle styles[] = {{-24, FW_NORMAL, 0, 0}, {-24, FW_BOLD, 0, 0}, {-24, FW_NORMAL, 1, 0},
                                {-24, FW_NORMAL, 0, 1}, {30, FW_BOLD, 1, 1}};
    for (const TextStyle& style : styles) {
        SCOPED_TRACE("size " + std::to_string(style.size) + " weight " + std::to_string(style.weight)
                     + " italic " + std::to_string(style.italic) + " underline " + std::to_string(style.underline));
        RECT box = Measure("Hxgj", style);
        ASSERT_GT(box.right, 0);
        ASSERT_GT(box.bottom, 0);
        LONG x = 10, y = 60;
        Ink ink = Draw("Hxgj", style, x, y);
        ASSERT_GT(ink.count, 50);
        EXPECT_TRUE(ink.onlyColour);
        // (x, y) is the box's bottom-left corner, rows counted from the top.
        EXPECT_GE(ink.left, x);
        EXPECT_LT(ink.right, x + box.right + box.bottom);
        EXPECT_LE(ink.bottom, y);
        EXPECT_GT(ink.top, y - box.bottom);
    }
}

TEST(CxImageDrawString, WeightSizeSlantAndUnderlineShow)
{
    Ink regular = Draw("Hello", TextStyle{});
    Ink bold = Draw("Hello", TextStyle{-24, FW_BOLD, 0, 0});
    EXPECT_GT(bold.right - bold.left, regular.right - regular.left);
    EXPECT_GT(bold.count, regular.count * 5 / 4);

    Ink large = Draw("Hello", TextStyle{-40, FW_NORMAL, 0, 0});
    EXPECT_GT(large.bottom - large.top, (regular.bottom - regular.top) * 3 / 2);

    // An upright l stands straight; an italic one leans right at the top.
    Ink upright = Draw("l", TextStyle{-40, FW_NORMAL, 0, 0});
    Ink italic = Draw("l", TextStyle{-40, FW_NORMAL, 1, 0});
    auto lean = [](const Ink& ink) {
        LONG third = (ink.bottom - ink.top) / 3;
        return MeanColumn(ink, ink.top, ink.top + third) - MeanColumn(ink, ink.bottom - third, ink.bottom);
    };
    EXPECT_NEAR(lean(upright), 0, 0.6);
    EXPECT_GT(lean(italic), 3);

    // An underline is one unbroken run of ink under the whole word.
    Ink underlined = Draw("Hi Hi", TextStyle{-24, FW_NORMAL, 0, 1});
    Ink plain = Draw("Hi Hi", TextStyle{});
    EXPECT_GT(underlined.bottom, plain.bottom);
    const std::vector<bool>& line = underlined.at[underlined.bottom];
    EXPECT_EQ(std::count(line.begin() + plain.left, line.begin() + plain.right + 1, true), plain.right - plain.left + 1);
}

TEST(CxImageDrawString, PaletteAlphaAndEdges)
{
    // An indexed picture takes the nearest entry.
    ImageProbe indexed;
    ASSERT_NE(indexed.Create(80, 40, 4), nullptr);
    indexed.SetGrayPalette();
    indexed.SetPaletteColor(5, 250, 0, 0);
    EXPECT_EQ(indexed.DrawString(nullptr, 2, 35, "Ab", RGBQUAD{10, 10, 240, 0}, "Liberation Sans", -20), 1);
    long fives = 0;
    for (LONG y = 0; y < 40; y++)
        for (LONG x = 0; x < 80; x++) fives += indexed.GetPixelIndex(x, y) == 5;
    EXPECT_GT(fives, 20);

    // With setAlpha the colour's fourth byte lands in the alpha plane.
    ImageProbe faded;
    ASSERT_NE(faded.Create(80, 40, 24), nullptr);
    ASSERT_TRUE(faded.AlphaCreate());
    faded.DrawString(nullptr, 2, 35, "Ab", RGBQUAD{0, 0, 255, 77}, "Liberation Sans", -20, FW_NORMAL, 0, 0, true);
    long faint = 0;
    for (LONG y = 0; y < 40; y++)
        for (LONG x = 0; x < 80; x++) faint += faded.AlphaGet(x, y) == 77;
    EXPECT_GT(faint, 20);

    // No pixels: nothing to draw. Text off the picture or empty: no harm.
    CxImage empty;
    EXPECT_EQ(empty.DrawString(nullptr, 0, 0, "x", kRed, "Liberation Sans"), 1);
    ImageProbe small;
    ASSERT_NE(small.Create(4, 4, 24), nullptr);
    EXPECT_EQ(small.DrawString(nullptr, -2147483647 - 1, 2147483647, "far away", kRed, "Liberation Sans"), 1);
    EXPECT_EQ(small.DrawString(nullptr, 0, 3, "", kRed, "No Such Face At All"), 1);
    EXPECT_EQ(small.DrawString(nullptr, 0, 3, nullptr, kRed, nullptr), 1);
    // An absurd size is drawn at the largest em the layer draws.
    EXPECT_EQ(small.DrawString(nullptr, 0, 3, "W", kRed, "Liberation Sans", -2000000000), 1);
    RECT huge = Measure("W", TextStyle{-2000000000, FW_NORMAL, 0, 0});
    EXPECT_GT(huge.bottom, 500);
    EXPECT_LT(huge.bottom, 2000);
}

// A DIB section of the given depth whose pixel (x, y), x from the left and y
// from the bottom, has index or colour pattern(x, y).
struct Section {
    HBITMAP bitmap = nullptr;
    BYTE* bits = nullptr;
    DWORD stride = 0;
};

Section MakeSection(LONG width, LONG height, WORD bpp, const RGBQUAD* colours = nullptr, int count = 0)
{
    std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = height;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = bpp;
    if (colours) memcpy(bmi->bmiColors, colours, count * sizeof(RGBQUAD));
    Section s;
    void* bits = nullptr;
    s.bitmap = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    s.bits = static_cast<BYTE*>(bits);
    s.stride = DWORD((width * bpp + 31) / 32 * 4);
    return s;
}

TEST(CxImageFromBitmap, IndexedBitmapsKeepIndicesAndColourTable)
{
    for (WORD bpp : {1, 4, 8}) {
        SCOPED_TRACE(std::to_string(bpp) + " bits");
        RGBQUAD colours[256];
        for (int i = 0; i < 256; i++) colours[i] = RGBQUAD{BYTE(i * 3), BYTE(255 - i), BYTE(i * 7), 0};
        Section s = MakeSection(13, 5, bpp, colours, 1 << bpp);
        ASSERT_NE(s.bitmap, nullptr);
        for (DWORD i = 0; i < s.stride * 5; i++) s.bits[i] = BYTE(i * 29 + 3);

        ImageProbe image;
        ASSERT_TRUE(image.CreateFromHBITMAP(s.bitmap));
        EXPECT_EQ(image.GetWidth(), 13u);
        EXPECT_EQ(image.GetHeight(), 5u);
        EXPECT_EQ(image.GetBpp(), bpp);
        EXPECT_EQ(memcmp(image.GetPalette(), colours, (size_t(1) << bpp) * sizeof(RGBQUAD)), 0);
        for (LONG y = 0; y < 5; y++) {
            for (LONG x = 0; x < 13; x++) {
                BYTE byte = s.bits[y * s.stride + x * bpp / 8];
                int shift = bpp == 8 ? 0 : bpp == 4 ? ((x & 1) ? 0 : 4) : 7 - x % 8;
                ASSERT_EQ(image.GetPixelIndex(x, y), (byte >> shift) & ((1 << bpp) - 1)) << x << ", " << y;
            }
        }
        EXPECT_TRUE(DeleteObject(s.bitmap));
    }
}

TEST(CxImageFromBitmap, DeepBitmapsBecomeTwentyFourBits)
{
    // 32 bits: blue, green, red, unused; 16 bits: 5-5-5.
    Section deep = MakeSection(3, 2, 32);
    Section high = MakeSection(3, 2, 16);
    ASSERT_NE(deep.bitmap, nullptr);
    ASSERT_NE(high.bitmap, nullptr);
    for (int i = 0; i < 6; i++) {
        BYTE* p = deep.bits + (i / 3) * deep.stride + (i % 3) * 4;
        p[0] = BYTE(10 * i), p[1] = BYTE(20 * i), p[2] = BYTE(40 * i), p[3] = 99;
        WORD v = WORD((31 - i) | (i << 5) | ((2 * i) << 10));
        memcpy(high.bits + (i / 3) * high.stride + (i % 3) * 2, &v, 2);
    }
    ImageProbe fromDeep, fromHigh;
    ASSERT_TRUE(fromDeep.CreateFromHBITMAP(deep.bitmap));
    ASSERT_TRUE(fromHigh.CreateFromHBITMAP(high.bitmap));
    EXPECT_EQ(fromDeep.GetBpp(), 24);
    EXPECT_EQ(fromHigh.GetBpp(), 24);
    for (int i = 0; i < 6; i++) {
        RGBQUAD c = fromDeep.GetPixelColor(i % 3, i / 3);
        EXPECT_EQ(c.rgbBlue, 10 * i);
        EXPECT_EQ(c.rgbGreen, 20 * i);
        EXPECT_EQ(c.rgbRed, 40 * i);
        auto level = [](int five) { return (five << 3) | (five >> 2); };
        RGBQUAD h = fromHigh.GetPixelColor(i % 3, i / 3);
        EXPECT_EQ(h.rgbBlue, level(31 - i));
        EXPECT_EQ(h.rgbGreen, level(i));
        EXPECT_EQ(h.rgbRed, level(2 * i));
    }
    DeleteObject(deep.bitmap);
    DeleteObject(high.bitmap);

    // No bitmap, or one already deleted: refused.
    ImageProbe image;
    EXPECT_FALSE(image.CreateFromHBITMAP(nullptr));
    EXPECT_FALSE(image.CreateFromHBITMAP(deep.bitmap));
    EXPECT_FALSE(image.IsValid());
}

}  // namespace
