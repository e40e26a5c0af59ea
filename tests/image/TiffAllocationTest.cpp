// The TIFF codec when the C++ heap runs out: each allocation made while a
// page is decoded or encoded fails in turn, and the call must fail with a
// message instead of letting std::bad_alloc out. This program replaces the
// global operator new to make one chosen allocation fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "TiffBuilder.h"
#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

namespace {

long g_allocationsBeforeFailure = -1;  // -1: none fails
bool g_failed = false;

void* Allocate(std::size_t size)
{
    if (g_allocationsBeforeFailure == 0) {
        g_allocationsBeforeFailure = -1;
        g_failed = true;
        throw std::bad_alloc();
    }
    if (g_allocationsBeforeFailure > 0) g_allocationsBeforeFailure--;
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void* AllocateOrNull(std::size_t size) noexcept
{
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct TifProbe : CxImageTIF {
    CXIMAGEINFO& Info() { return info; }
};

// Runs the call with allocation n failing, for n = 0, 1, ... until the call
// makes no more allocations than n: every failed run must end in false with
// a message, and the last run must succeed.
void ExpectEveryFailureReported(const std::function<bool(std::string&)>& call)
{
    for (long n = 0;; n++) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
        std::string message;
        g_failed = false;
        g_allocationsBeforeFailure = n;
        bool ok = false;
        try {
            ok = call(message);
        } catch (const std::bad_alloc&) {
            g_allocationsBeforeFailure = -1;
            FAIL() << "std::bad_alloc escaped";
        }
        g_allocationsBeforeFailure = -1;
        if (!g_failed) {
            EXPECT_TRUE(ok) << message;
            EXPECT_GT(n, 0) << "the call allocates nothing";
            return;
        }
        if (!ok) {
            EXPECT_FALSE(message.empty());
        }
        ASSERT_LT(n, 10000);
    }
}

std::vector<BYTE> Ramp(size_t n)
{
    std::vector<BYTE> bytes(n);
    for (size_t i = 0; i < n; i++) bytes[i] = BYTE(i * 7 + 1);
    return bytes;
}

TEST(TiffAllocation, DecodeReportsEveryFailure)
{
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
    };
    const Case cases[] = {
        {"grey", BuildTiff(GreyPage(4, 2), Ramp(8))},
        {"16-bit grey", BuildTiff(GreyPage(4, 2, {{258, kShort, {16}}, {279, kLong, {16}}}), Ramp(16))},
        {"grey and alpha in planes",
         BuildTiff(GreyPage(4, 2, {{277, kShort, {2}}, {258, kShort, {8, 8}}, {284, kShort, {2}},
                                   {273, kLong, {8, 16}}, {279, kLong, {8, 8}}, {338, kShort, {2}}}),
                   Ramp(16))},
        {"RGBA", BuildTiff(GreyPage(2, 2, {{262, kShort, {2}}, {277, kShort, {4}}, {258, kShort, {8, 8, 8, 8}},
                                           {279, kLong, {16}}, {338, kShort, {2}}}),
                           Ramp(16))},
        {"CIELab", BuildTiff(GreyPage(2, 2, {{262, kShort, {8}}, {277, kShort, {3}}, {258, kShort, {8, 8, 8}},
                                             {279, kLong, {12}}}),
                             Ramp(12))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> bytes = c.bytes;
        ExpectEveryFailureReported([&](std::string& message) {
            CxMemFile file(bytes.data(), bytes.size());
            TifProbe image;
            bool ok = image.Decode(&file);
            message = image.GetLastError();
            return ok;
        });
    }
}

TEST(TiffAllocation, EncodeReportsEveryFailure)
{
    struct Case {
        DWORD bpp;
        bool alpha;
        bool colours;
    };
    const Case cases[] = {{1, false, false}, {4, false, true}, {8, false, false}, {8, true, true},
                          {24, false, false}, {24, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bpp) + (c.alpha ? " bits with alpha" : " bits"));
        CxImage image;
        ASSERT_TRUE(image.Create(7, 3, c.bpp));
        for (DWORD i = 0; i < image.GetNumColors(); i++)
            image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(c.colours ? 255 - i : i), BYTE(i));
        if (c.alpha) image.AlphaCreate();
        ExpectEveryFailureReported([&](std::string& message) {
            CxMemFile file;
            file.Open();
            CxImageTIF tif;
            tif.Ghost(&image);
            bool ok = tif.Encode(&file);
            message = tif.GetLastError();
            return ok;
        });
        ExpectEveryFailureReported([&](std::string& message) {
            CxMemFile file;
            file.Open();
            CxImage* pages[] = {&image, &image};
            CxImageTIF tif;
            bool ok = tif.Encode(&file, pages, 2);
            message = tif.GetLastError();
            return ok;
        });
    }
}

}  // namespace
