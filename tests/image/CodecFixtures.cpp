#include "CodecFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

void Pattern(CxImage& image, DWORD width, DWORD height, DWORD bpp)
{
    ASSERT_NE(image.Create(width, height, bpp), nullptr) << image.GetLastError();
    if (bpp == 24) {
        for (DWORD y = 0; y < height; y++)
            for (DWORD x = 0; x < width; x++)
                image.SetPixelColor(x, y, RGBQUAD{BYTE(255 - x * 20 - y), BYTE(y * 60), BYTE(x * 40), 0});
        return;
    }
    DWORD colours = image.GetNumColors();
    if (bpp == 1) {
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
    } else {
        for (DWORD i = 0; i < colours; i++)
            image.SetPaletteColor(BYTE(i), BYTE(i * 3 + 1), BYTE(255 - i), BYTE(i * 7));
    }
    for (DWORD y = 0; y < height; y++)
        for (DWORD x = 0; x < width; x++) image.SetPixelIndex(x, y, BYTE((x + 3 * y) % colours));
}

void AddAlpha(CxImage& image)
{
    ASSERT_TRUE(image.AlphaCreate());
    for (LONG y = 0; y < LONG(image.GetHeight()); y++)
        for (LONG x = 0; x < LONG(image.GetWidth()); x++) image.AlphaSet(x, y, BYTE(x * 50 + y * 20));
}

void Pattern(CxImage& image, DWORD width, DWORD height, DWORD bpp, bool alpha)
{
    Pattern(image, width, height, bpp);
    if (alpha) AddAlpha(image);
}

std::vector<BYTE> EncodeBoth(CxImage& image, DWORD id, const std::string& path)
{
    std::vector<BYTE> bytes = EncodeToMemory(image, id);

    EXPECT_TRUE(image.Save(path.c_str(), id)) << image.GetLastError();
    std::vector<BYTE> saved;
    if (FILE* fp = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(fp)) != EOF) saved.push_back(BYTE(c));
        fclose(fp);
    }
    EXPECT_TRUE(saved == bytes) << "the file and the memory stream got different bytes";
    return bytes;
}

std::vector<unsigned char> ExpectedRgbaWith(const CxImage& image, int alpha)
{
    std::vector<unsigned char> rgba = ExpectedRgba(image);
    if (alpha >= 0)
        for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = BYTE(alpha);
    return rgba;
}

void ExpectPilPixels(const std::string& path, const CxImage& image,
                     const std::vector<unsigned char>& expected)
{
    ReadBack back = ReadWithPil(path);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.width, LONG(image.GetWidth()));
    EXPECT_EQ(back.height, LONG(image.GetHeight()));
    EXPECT_TRUE(back.rgba == expected) << "PIL: pixels differ";
}

std::string ThroughPamfile(const std::string& command)
{
    std::string out = TempPath("converted", "pnm");
    ToolRun run = RunTool(command + " > '" + out + "' && pamfile -allimages '" + out + "' 2>&1");
    remove(out.c_str());
    EXPECT_EQ(run.status, 0) << command << ": " << run.output;
    return run.output;
}

unsigned Le16(const std::vector<BYTE>& bytes, size_t at)
{
    if (at + 2 > bytes.size()) return ~0u;
    return bytes[at] | bytes[at + 1] << 8;
}

unsigned Le32(const std::vector<BYTE>& bytes, size_t at)
{
    if (at + 4 > bytes.size()) return ~0u;
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | unsigned(bytes[at + 3]) << 24;
}


