// Damaged and hostile TIFF files, built byte by byte in the test: each must
// fail with a message (or, for a later damaged strip, keep the rows before
// it) and never crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

#include "../ChildProcess.h"
#include "TiffBuilder.h"

namespace {

struct TifProbe : CxImageTIF {
    CXIMAGEINFO& Info() { return info; }
};

std::vector<BYTE> Ramp(size_t n)
{
    std::vector<BYTE> bytes(n);
    for (size_t i = 0; i < n; i++) bytes[i] = BYTE(i * 7 + 1);
    return bytes;
}

struct Decoded {
    bool ok;
    std::string message;
};

Decoded Decode(std::vector<BYTE> bytes, TifProbe& image, LONG frame = 0)
{
    CxMemFile file(bytes.data(), bytes.size());
    image.Info().nFrame = frame;
    bool ok = image.Decode(&file);
    return {ok, image.GetLastError()};
}

TEST(TiffMalformed, TheValidBaselineDecodes)
{
    TifProbe image;
    Decoded d = Decode(BuildTiff(GreyPage(4, 2), Ramp(8)), image);
    ASSERT_TRUE(d.ok) << d.message;
    EXPECT_EQ(image.GetPixelIndex(0, 1), 1);  // first byte, top row
    EXPECT_EQ(image.GetPixelIndex(3, 0), BYTE(7 * 7 + 1));
}

struct BadCase {
    const char* name;
    std::vector<BYTE> bytes;
    const char* message;  // nullptr: any message
};

TEST(TiffMalformed, HostileHeadersFailWithAMessage)
{
    const BadCase cases[] = {
        {"no bytes", {}, "Error encountered while opening TIFF file"},
        {"not a TIFF", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, "Error encountered while opening TIFF file"},
        {"IFD past the end", {'I', 'I', 42, 0, 0xFF, 0xFF, 0, 0}, "Error encountered while opening TIFF file"},
        {"absurd size", BuildTiff(GreyPage(0x7FFFFFFF, 0x7FFFFFFF), Ramp(8)), nullptr},
        {"absurd colour size", BuildTiff(GreyPage(100000, 100000, {{262, kShort, {2}}, {277, kShort, {3}},
                                                                   {258, kShort, {8, 8, 8}}}), Ramp(8)), nullptr},
        {"zero width", BuildTiff(GreyPage(0, 5), Ramp(8)), nullptr},
        {"zero rows per strip", BuildTiff(GreyPage(4, 2, {{278, kLong, {0}}}), Ramp(8)), nullptr},
        {"strip past the end", BuildTiff(GreyPage(4, 2, {{273, kLong, {100000}}}), Ramp(8)), "Corrupted TIFF file!"},
        {"zero tile size", BuildTiff(GreyPage(4, 4, {{322, kLong, {0}}, {323, kLong, {0}}, {324, kLong, {8}},
                                                     {325, kLong, {16}}}), Ramp(16)), nullptr},
        {"huge tiles", BuildTiff(GreyPage(4, 4, {{322, kLong, {0x10000000}}, {323, kLong, {0x10000000}},
                                                 {324, kLong, {8}}, {325, kLong, {16}}}), Ramp(16)), nullptr},
        {"colour page cut short", BuildTiff(GreyPage(40, 40, {{262, kShort, {2}}, {277, kShort, {3}},
                                                              {258, kShort, {8, 8, 8}}}), Ramp(8)), nullptr},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TifProbe image;
        Decoded d = Decode(c.bytes, image);
        EXPECT_FALSE(d.ok);
        EXPECT_FALSE(d.message.empty());
        if (c.message) {
            EXPECT_EQ(d.message, c.message);
        }
    }
}

// Odd but readable layouts decode without reading outside their buffers.
TEST(TiffMalformed, OddLayoutsStayInBounds)
{
    const std::vector<std::vector<Entry>> layouts = {
        GreyPage(5, 3, {{258, kShort, {3}}}),                                       // 3-bit samples
        GreyPage(5, 3, {{258, kShort, {12}}}),                                      // 12-bit samples
        GreyPage(3, 3, {{258, kShort, {32}}}),                                      // 32-bit samples
        GreyPage(3, 3, {{277, kShort, {2}}, {258, kShort, {4, 4}}}),                // grey and alpha, 4 bits
        GreyPage(2, 3, {{277, kShort, {7}}, {258, kShort, {8, 8, 8, 8, 8, 8, 8}}}),  // seven samples
        GreyPage(3, 2, {{262, kShort, {8}}, {277, kShort, {3}}, {258, kShort, {8, 8, 8}}}),  // CIELab
        GreyPage(3, 2, {{262, kShort, {4}}, {258, kShort, {1}}}),                  // transparency mask
        GreyPage(6, 4, {{274, kShort, {6}}, {278, kLong, {1}}}),                   // turned, strips of 1 row
        GreyPage(4, 2, {{279, kLong, {0x7FFFFFF0}}}),                               // strip count past the end
        GreyPage(2, 1, {{262, kShort, {3}}, {258, kShort, {32}}}),                  // 32-bit palette
        GreyPage(2, 1, {{262, kShort, {3}}, {258, kShort, {12}}}),                  // palette without colours
    };
    for (size_t i = 0; i < layouts.size(); i++) {
        SCOPED_TRACE("layout " + std::to_string(i));
        TifProbe image;
        Decoded d = Decode(BuildTiff(layouts[i], Ramp(64)), image);
        if (!d.ok) {
            EXPECT_FALSE(d.message.empty());
        }
    }
}

// A later damaged strip keeps the rows before it; the rows after are zero.
TEST(TiffMalformed, ALaterDamagedStripKeepsTheRowsBeforeIt)
{
    std::vector<Entry> page = GreyPage(4, 3, {{278, kLong, {1}}, {273, kLong, {8, 12, 900000}}, {279, kLong, {4, 4, 4}}});
    TifProbe image;
    Decoded d = Decode(BuildTiff(page, Ramp(12)), image);
    ASSERT_TRUE(d.ok) << d.message;
    for (LONG x = 0; x < 4; x++) {
        EXPECT_EQ(image.GetPixelIndex(x, 2), BYTE(x * 7 + 1));        // top row: strip 0
        EXPECT_EQ(image.GetPixelIndex(x, 1), BYTE((x + 4) * 7 + 1));  // strip 1
        EXPECT_EQ(image.GetPixelIndex(x, 0), 0);                      // strip 2 unread
    }
}

TEST(TiffMalformed, TruncatedFilesAndLoopsFailCleanly)
{
    std::vector<BYTE> whole = BuildTiff(GreyPage(16, 16, {{278, kLong, {4}}, {273, kLong, {8, 72, 136, 200}},
                                                          {279, kLong, {64, 64, 64, 64}}}),
                                        Ramp(256));
    for (size_t length : {size_t(4), size_t(8), size_t(100), size_t(200), size_t(264), whole.size() - 30, whole.size() - 1}) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        TifProbe image;
        Decoded d = Decode(std::vector<BYTE>(whole.begin(), whole.begin() + length), image);
        if (!d.ok) {
            EXPECT_FALSE(d.message.empty());
        }
    }
    // An IFD that links to itself is one page.
    TifProbe looped;
    Decoded d = Decode(BuildTiff(GreyPage(4, 2), Ramp(8), 1), looped, 1);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(looped.GetNumFrames(), 1);
    // A page number below zero is no page.
    TifProbe negative;
    d = Decode(BuildTiff(GreyPage(4, 2), Ramp(8)), negative, -1);
    EXPECT_EQ(d.message, "Error: page not present in TIFF file");
}

// A page of 1-bit grey and 1-bit alpha, Deflate-coded, whose strips of 64
// rows all point at one block of zeros: a few kilobytes for any size.
std::vector<BYTE> ZeroStripsPage(uint32_t width, uint32_t height)
{
    const uint32_t rows = 64;
    std::vector<BYTE> block = Deflated(std::vector<BYTE>(size_t((2 * width + 7) / 8) * rows, 0));
    uint32_t strips = (height + rows - 1) / rows;
    return BuildTiff(GreyPage(width, height, {{258, kShort, {1, 1}}, {259, kShort, {8}}, {273, kLong, std::vector<uint32_t>(strips, 8)},
                                              {277, kShort, {2}}, {278, kLong, {rows}},
                                              {279, kLong, std::vector<uint32_t>(strips, uint32_t(block.size()))},
                                              {338, kShort, {2}}}),
                     block);
}

// What the child that decoded a page reports: how it ended, its CPU seconds.
struct ChildDecode {
    int status = -1;  // 0 decoded, 1 refused with the message given, 2 refused without one
    std::string message;
    double cpuSeconds = -1;
};

// Decodes the page in a child whose address space may grow by at most
// twice the size cap and a margin (no limit under the address sanitizer).
ChildDecode DecodeInChild(const std::vector<BYTE>& bytes)
{
    ChildRun run = RunInChild([&] {
#if !defined(__SANITIZE_ADDRESS__)
        if (!LimitAddressSpace(rlim_t(2 * CxImage::CXIMAGE_MAX_MEMORY + (rlim_t(256) << 20)))) return 10;
#endif
        TifProbe image;
        Decoded d = Decode(bytes, image);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        printf("%.3f %s", usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
               d.message.c_str());
        return d.ok ? 0 : d.message.empty() ? 2 : 1;
    });
    ChildDecode result;
    if (!WIFEXITED(run.status)) return result;
    result.status = WEXITSTATUS(run.status);
    size_t space = run.printed.find(' ');
    if (space == std::string::npos) return result;
    result.cpuSeconds = atof(run.printed.substr(0, space).c_str());
    result.message = run.printed.substr(space + 1);
    return result;
}

// A tiny file of a huge page with alpha is refused before anything is
// allocated for it: the alpha plane of 65535 x 32767 pixels alone would be
// eight times the pixel block. The same shape within the cap decodes.
TEST(TiffMalformed, ATinyFileOfAHugePageCostsLittle)
{
    std::vector<BYTE> huge = ZeroStripsPage(65535, 32767);
    EXPECT_LT(huge.size(), 8000u);
    ChildDecode refused = DecodeInChild(huge);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.message, "CXIMAGE_MAX_MEMORY exceeded");
    // Far more than a refusal takes, far less than allocating and filling
    // the planes took.
    EXPECT_LT(refused.cpuSeconds, 5.0);

    std::vector<BYTE> fits = ZeroStripsPage(4000, 3000);
    ChildDecode decoded = DecodeInChild(fits);
    EXPECT_EQ(decoded.status, 0) << decoded.message;

    TifProbe image;
    Decoded d = Decode(fits, image);
    ASSERT_TRUE(d.ok) << d.message;
    ASSERT_TRUE(image.AlphaIsValid());
    for (LONG y : {0L, 1500L, 2999L}) {
        for (LONG x : {0L, 2000L, 3999L}) {
            EXPECT_EQ(image.GetPixelColor(x, y).rgbGreen, 0);
            EXPECT_EQ(image.AlphaGet(x, y), 0);
        }
    }
}

}  // namespace
