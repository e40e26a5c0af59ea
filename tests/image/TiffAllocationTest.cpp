// The TIFF codec when memory runs out: each allocation made while a page is
// decoded or encoded fails in turn, and the call must fail with a message
// instead of letting std::bad_alloc out, or succeed with exactly what it
// gives when nothing fails. This program replaces the global operator new,
// and is linked with malloc, calloc and realloc wrapped (-Wl,--wrap), so
// that the image library's C allocations fail too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <new>
#include <string>
#include <vector>

#include "../ChildProcess.h"
#include "ImageJudges.h"
#include "TiffBuilder.h"
#include "image/CxImageTIF.h"
#include "image/CxMemFile.h"

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
}

namespace {

// Blocks of 64 KiB and more are mapped afresh each time, from the start of
// the program, never kept in the heap where a child under an address-space
// limit could take them without growing.
const int g_mappedBlocks = mallopt(M_MMAP_THRESHOLD, 64 << 10);

long g_allocationsBeforeFailure = -1;  // -1: none fails
long g_armed = -1;                     // what the run under way was armed with
bool g_failed = false;

// Whether the next allocation may have its memory.
bool Permitted()
{
    if (g_allocationsBeforeFailure == 0) {
        g_allocationsBeforeFailure = -1;
        g_failed = true;
        return false;
    }
    if (g_allocationsBeforeFailure > 0) g_allocationsBeforeFailure--;
    return true;
}

// Ends the failing once the call under test has returned: what the test
// does with its result allocates too.
void StopFailing()
{
    g_allocationsBeforeFailure = -1;
}

// Arms the run again from its start, once the call has made what it works
// on.
void RestartFailing()
{
    g_allocationsBeforeFailure = g_armed;
}

void* Allocate(std::size_t size)
{
    void* p = Permitted() ? __real_malloc(size ? size : 1) : nullptr;
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

extern "C" {
void* __wrap_malloc(std::size_t size) { return Permitted() ? __real_malloc(size) : nullptr; }
void* __wrap_calloc(std::size_t count, std::size_t size) { return Permitted() ? __real_calloc(count, size) : nullptr; }
void* __wrap_realloc(void* p, std::size_t size) { return Permitted() ? __real_realloc(p, size) : nullptr; }
}

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

// What a call gives: its result, its message and what it made (the
// decoded picture, the written file).
struct Outcome {
    bool ok = false;
    std::string message;
    std::vector<BYTE> made;
};

// Runs the call with allocation n failing, for n = 0, 1, ... until the call
// makes no more allocations than n: every failed run must end in false with
// a message, every run that succeeds must make what the call makes when no
// allocation fails, and the last run must succeed.
void ExpectEveryFailureReported(const std::function<Outcome()>& call)
{
    g_armed = -1;
    const Outcome unconstrained = call();
    ASSERT_TRUE(unconstrained.ok) << unconstrained.message;
    for (long n = 0;; n++) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
        Outcome outcome;
        g_failed = false;
        g_allocationsBeforeFailure = g_armed = n;
        try {
            outcome = call();
        } catch (const std::bad_alloc&) {
            g_allocationsBeforeFailure = -1;
            FAIL() << "std::bad_alloc escaped";
        }
        StopFailing();
        g_armed = -1;
        if (outcome.ok) {
            ASSERT_TRUE(outcome.made == unconstrained.made) << "success with a different result";
        } else {
            EXPECT_FALSE(outcome.message.empty());
        }
        if (!g_failed) {
            EXPECT_TRUE(outcome.ok) << outcome.message;
            EXPECT_GT(n, 0) << "the call allocates nothing";
            return;
        }
        ASSERT_LT(n, 10000);
    }
}

// The image as compared: its depth, RGBA pixels and whether it has alpha.
std::vector<BYTE> Picture(const CxImage& image)
{
    std::vector<BYTE> made = ExpectedRgba(image);
    made.push_back(BYTE(image.GetBpp()));
    made.push_back(image.AlphaIsValid() ? 1 : 0);
    made.push_back(BYTE(image.GetWidth()));
    return made;
}

// The decoder only reads the bytes.
// Whether the image is the picture Picture made, compared without
// allocating.
bool IsPicture(const CxImage& image, const std::vector<BYTE>& made)
{
    LONG width = LONG(image.GetWidth()), height = LONG(image.GetHeight());
    size_t pixels = size_t(width) * height;
    if (made.size() != 4 * pixels + 3 || made[4 * pixels] != image.GetBpp()
        || made[4 * pixels + 1] != (image.AlphaIsValid() ? 1 : 0) || made[4 * pixels + 2] != BYTE(width))
        return false;
    const BYTE* at = made.data();
    for (LONG y = height - 1; y >= 0; y--) {
        for (LONG x = 0; x < width; x++, at += 4) {
            RGBQUAD c = image.GetPixelColor(x, y, false);
            BYTE alpha = image.AlphaIsValid() ? image.AlphaGet(x, y) : 255;
            if (at[0] != c.rgbRed || at[1] != c.rgbGreen || at[2] != c.rgbBlue || at[3] != alpha) return false;
        }
    }
    return true;
}

Outcome DecodeBytes(const std::vector<BYTE>& bytes)
{
    CxMemFile file(const_cast<BYTE*>(bytes.data()), bytes.size());
    TifProbe image;
    Outcome outcome;
    outcome.ok = image.Decode(&file);
    StopFailing();
    outcome.message = image.GetLastError();
    if (outcome.ok) outcome.made = Picture(image);
    return outcome;
}

// The bytes a memory file holds.
std::vector<BYTE> Written(CxMemFile& file)
{
    BYTE* buffer = file.GetBuffer(false);
    return std::vector<BYTE>(buffer, buffer + file.Size());
}

std::vector<BYTE> Ramp(size_t n)
{
    std::vector<BYTE> bytes(n);
    for (size_t i = 0; i < n; i++) bytes[i] = BYTE(i * 7 + 1);
    return bytes;
}

// A grey page with alpha, interleaved, of width x height, with the given
// changes.
std::vector<BYTE> GreyAlphaPage(uint32_t width, uint32_t height, std::vector<Entry> changes = {})
{
    std::vector<Entry> tags = {{277, kShort, {2}}, {258, kShort, {8, 8}}, {279, kLong, {2 * width * height}},
                               {338, kShort, {2}}};
    tags.insert(tags.end(), changes.begin(), changes.end());
    return BuildTiff(GreyPage(width, height, tags), Ramp(2 * size_t(width) * height));
}

TEST(TiffAllocation, DecodeReportsEveryFailure)
{
    std::vector<uint32_t> map(3 * 512);
    for (uint32_t i = 0; i < map.size(); i++) map[i] = i * 97 % 65536;
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
        {"grey and alpha", GreyAlphaPage(5, 3)},
        {"grey and alpha, mirrored", GreyAlphaPage(5, 3, {{274, kShort, {2}}})},
        {"grey and alpha, turned and mirrored", GreyAlphaPage(5, 3, {{274, kShort, {5}}})},
        {"grey and alpha, turned", GreyAlphaPage(5, 3, {{274, kShort, {6}}})},
        {"grey and alpha, flipped and mirrored", GreyAlphaPage(5, 3, {{274, kShort, {3}}})},
        {"9-bit palette and alpha",
         BuildTiff(GreyPage(4, 2, {{262, kShort, {3}}, {277, kShort, {2}}, {258, kShort, {9, 9}},
                                   {279, kLong, {18}}, {338, kShort, {2}}, {320, kShort, map}}),
                   Ramp(18))},
        {"RGBA", BuildTiff(GreyPage(2, 2, {{262, kShort, {2}}, {277, kShort, {4}}, {258, kShort, {8, 8, 8, 8}},
                                           {279, kLong, {16}}, {338, kShort, {2}}}),
                           Ramp(16))},
        {"CMYK and alpha", BuildTiff(GreyPage(2, 2, {{262, kShort, {5}}, {277, kShort, {5}},
                                                     {258, kShort, {8, 8, 8, 8, 8}}, {279, kLong, {20}},
                                                     {338, kShort, {1}}}),
                                     Ramp(20))},
        {"CIELab", BuildTiff(GreyPage(2, 2, {{262, kShort, {8}}, {277, kShort, {3}}, {258, kShort, {8, 8, 8}},
                                             {279, kLong, {12}}}),
                             Ramp(12))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectEveryFailureReported([&] { return DecodeBytes(c.bytes); });
    }
}

// An encode into a fresh memory file by a fresh format object.
Outcome EncodeOutcome(const std::function<bool(CxImageTIF&, CxMemFile&)>& encode)
{
    CxMemFile file;
    file.Open();
    CxImageTIF tif;
    Outcome outcome;
    outcome.ok = encode(tif, file);
    StopFailing();
    outcome.message = tif.GetLastError();
    if (outcome.ok) outcome.made = Written(file);
    return outcome;
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
        ExpectEveryFailureReported([&] {
            return EncodeOutcome([&](CxImageTIF& tif, CxMemFile& file) {
                tif.Ghost(&image);
                return tif.Encode(&file);
            });
        });
        ExpectEveryFailureReported([&] {
            return EncodeOutcome([&](CxImageTIF& tif, CxMemFile& file) {
                CxImage* pages[] = {&image, &image};
                return tif.Encode(&file, pages, 2);
            });
        });
    }
}

// The transforms the decoder applies: a failed allocation leaves the image
// as it was and returns false; success is the unconstrained result, with
// the alpha and selection planes carried along. (Flip works in place and
// allocates nothing.)
TEST(TiffAllocation, TransformsFailWholeOrSucceedWhole)
{
    const std::pair<const char*, std::function<bool(CxImage&)>> transforms[] = {
        {"mirror", [](CxImage& i) { return i.Mirror(true, true); }},
        {"turn left", [](CxImage& i) { return i.RotateLeft(); }},
        {"turn right", [](CxImage& i) { return i.RotateRight(); }},
        {"raise to 24 bits", [](CxImage& i) { return i.IncreaseBpp(24); }},
    };
    CxImage source;
    ASSERT_TRUE(source.Create(5, 3, 8));
    for (LONG y = 0; y < 3; y++)
        for (LONG x = 0; x < 5; x++) source.SetPixelIndex(x, y, BYTE(x * 40 + y));
    ASSERT_TRUE(source.AlphaCreate());
    ASSERT_TRUE(source.SelectionCreate());
    for (LONG y = 0; y < 3; y++) {
        for (LONG x = 0; x < 5; x++) {
            source.AlphaSet(x, y, BYTE(x * 50 + y * 3));
            source.SelectionSet(x, y, BYTE(x == 1 ? 255 : 0));
        }
    }
    // The picture with its selection plane.
    auto made = [](const CxImage& image) {
        std::vector<BYTE> bytes = Picture(image);
        bytes.push_back(image.SelectionIsValid() ? 1 : 0);
        for (LONG y = 0; image.SelectionIsValid() && y < LONG(image.GetHeight()); y++)
            for (LONG x = 0; x < LONG(image.GetWidth()); x++) bytes.push_back(image.SelectionGetUnchecked(x, y));
        return bytes;
    };
    const std::vector<BYTE> before = made(source);
    for (const auto& t : transforms) {
        SCOPED_TRACE(t.first);
        ExpectEveryFailureReported([&] {
            StopFailing();
            CxImage image(source);
            Outcome outcome;
            RestartFailing();
            outcome.ok = t.second(image);
            StopFailing();
            outcome.made = made(image);
            // A failure must leave the image as it was.
            if (!outcome.ok) outcome.message = outcome.made == before ? "returned false" : "";
            return outcome;
        });
    }
}

// Maps a megabyte more of the stack, so that an address-space limit set
// afterwards bounds what the heap gets, not how deep libtiff's calls go.
void GrowStack()
{
    volatile char pad[1 << 20];
    pad[0] = 0;
    pad[sizeof(pad) - 1] = 0;
}

// Under a lowered address-space limit, in a child process, a page whose
// pixel block fits but whose alpha plane or turned copy may not is refused
// with a message or decoded exactly as without the limit.
TEST(TiffAllocation, ALoweredAddressSpaceRefusesOrDecodesExactly)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
    };
    // Deflate strips of a few rows keep the file and the working buffers
    // small beside the planes.
    auto deflatePage = [](uint32_t width, uint32_t height, std::vector<Entry> changes) {
        std::vector<BYTE> rows(2 * size_t(width) * height);
        for (size_t i = 0; i < rows.size(); i++) rows[i] = BYTE(i % 2 ? i / 2 % width : i / 2 / width);
        CodedStrips strips = DeflateStrips(rows, 2 * size_t(width), 16);
        changes.insert(changes.end(), {{259, kShort, {8}}, {278, kLong, {16}}, strips.offsets, strips.counts});
        std::vector<Entry> tags = {{277, kShort, {2}}, {258, kShort, {8, 8}}, {338, kShort, {2}}};
        tags.insert(tags.end(), changes.begin(), changes.end());
        return BuildTiff(GreyPage(width, height, tags), strips.bytes);
    };
    const Case cases[] = {
        {"grey and alpha", deflatePage(1500, 1000, {})},
        {"grey and alpha, turned", deflatePage(1600, 900, {{274, kShort, {6}}})},
    };
    for (const Case& c : cases) {
        const Outcome unconstrained = DecodeBytes(c.bytes);
        ASSERT_TRUE(unconstrained.ok) << unconstrained.message;
        int refused = 0, exact = 0;
        // From 1 MiB: with less, libtiff 4.5 can crash inside its own
        // directory reading when its allocations fail, before the page is
        // looked at.
        for (rlim_t headroom = rlim_t(1) << 20; headroom <= (rlim_t(12) << 20); headroom += rlim_t(256) << 10) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(headroom >> 10) + " KiB more");
            ChildRun run = RunInChild([&] {
                malloc_trim(0);
                GrowStack();
                if (!LimitAddressSpace(headroom)) return 10;
                // Nothing here allocates but the decoder.
                try {
                    CxMemFile file(const_cast<BYTE*>(c.bytes.data()), c.bytes.size());
                    TifProbe image;
                    if (image.Decode(&file)) return IsPicture(image, unconstrained.made) ? 0 : 2;
                    printf("%s", image.GetLastError());
                    return *image.GetLastError() ? 1 : 3;
                } catch (...) {
                    return 4;
                }
            });
            ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status);
            int status = WEXITSTATUS(run.status);
            ASSERT_TRUE(status == 0 || status == 1) << "status " << status << ": " << run.printed;
            if (status == 1) refused++;
            else exact++;
        }
        // The limits reach from too little to enough.
        EXPECT_GT(refused, 0) << c.name;
        EXPECT_GT(exact, 0) << c.name;
    }
}

}  // namespace
