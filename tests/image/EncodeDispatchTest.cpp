#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "EncodeChecks.h"
#include "ImageProbe.h"
#include "OutsideTools.h"
#include "image/CxIOFile.h"
#include "image/CxMemFile.h"

namespace {

void SmallRgb(CxImage& image)
{
    ASSERT_NE(image.Create(4, 3, 24), nullptr);
    for (LONG y = 0; y < 3; y++)
        for (LONG x = 0; x < 4; x++) image.SetPixelColor(x, y, RGBQUAD{BYTE(x), BYTE(y), 9, 0});
}

long FileSize(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return -1;
    return st.st_size;
}

// A small picture and an open memory stream to encode it into.
class EncodeDispatch : public testing::Test {
protected:
    void SetUp() override
    {
        SmallRgb(image);
        ASSERT_TRUE(memory.Open());
    }
    CxImage image;
    CxMemFile memory;
};

TEST_F(EncodeDispatch, PngIntoMemoryStartsWithTheSignature)
{
    ASSERT_TRUE(image.Encode(&memory, CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    ASSERT_GT(memory.Size(), 8);
    EXPECT_EQ(memcmp(memory.GetBuffer(false), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_TRUE(image.IsValid());
}

TEST_F(EncodeDispatch, FileAndMemoryStreamsGetTheSameBytes)
{
    ASSERT_TRUE(image.Encode(&memory, CXIMAGE_FORMAT_PNG));

    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    ASSERT_TRUE(image.Encode(fp, CXIMAGE_FORMAT_PNG));
    // The caller's stream stays open.
    long size = ftell(fp);
    ASSERT_EQ(size, memory.Size());
    rewind(fp);
    std::vector<BYTE> bytes(size);
    ASSERT_EQ(fread(bytes.data(), 1, bytes.size(), fp), bytes.size());
    fclose(fp);
    EXPECT_EQ(memcmp(bytes.data(), memory.GetBuffer(false), bytes.size()), 0);
}

struct Refused {
    DWORD id;
    const char* text;
};

void PrintTo(const Refused& c, std::ostream* os) { *os << "id " << c.id; }

class EncodeRefused : public testing::TestWithParam<Refused> {};

// Ids without a format, and formats whose encoders are not in this build,
// say so and write nothing.
TEST_P(EncodeRefused, SaysWhyAndWritesNothing)
{
    CxImage image;
    SmallRgb(image);
    CxMemFile file;
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(image.Encode(&file, GetParam().id));
    EXPECT_STREQ(image.GetLastError(), GetParam().text);
    EXPECT_EQ(file.Size(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, EncodeRefused,
    testing::Values(Refused{0, "Encode: Unknown format"},
                    Refused{16, "Encode: Unknown format"},
                    Refused{20, "Encode: Unknown format"},
                    Refused{0xFFFFFFFF, "Encode: Unknown format"},
                    Refused{CXIMAGE_FORMAT_WMF, "Save WMF not supported"},
                    Refused{CXIMAGE_FORMAT_RAW, "Save RAW not supported"}));

TEST_F(EncodeDispatch, SafeCheckRefusesNullStreamAndEmptyImage)
{
    EXPECT_FALSE(image.Encode(static_cast<CxFile*>(nullptr), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    EXPECT_FALSE(image.Encode(static_cast<FILE*>(nullptr), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "null file handler");

    CxImage empty;
    EXPECT_FALSE(empty.Encode(&memory, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_EQ(memory.Size(), 0);
}

TEST_F(EncodeDispatch, SaveIntoAMissingFolderLeavesTheErrorAlone)
{
    EXPECT_FALSE(image.Encode(static_cast<CxFile*>(nullptr), CXIMAGE_FORMAT_PNG));
    EXPECT_FALSE(image.Save("/nonexistent-folder/page.png", CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
}

// A failed save leaves no file under the name, not even an empty one.
TEST_F(EncodeDispatch, SaveWithAnUnknownIdLeavesNoFile)
{
    std::string path = TempPngPath("unknown");
    EXPECT_FALSE(image.Save(path.c_str(), 16));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_EQ(FileSize(path), -1);
    remove(path.c_str());
}

TEST_F(EncodeDispatch, SaveReportsAFullDiskAndLeavesTheDeviceAlone)
{
    if (FileSize("/dev/full") < 0) GTEST_SKIP() << "no /dev/full here";
    // The small file sits in the stream's buffer until fclose fails to write it.
    EXPECT_FALSE(image.Save("/dev/full", CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Save: error closing the file");
    struct stat st;
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// Files may grow to `bytes` only while this lives; a write past it fails
// instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_signal = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_signal);
    }
    bool Set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_signal)(int);
    bool m_set = false;
};

// The disk gives out in the middle of the pixel data: the picture that was
// there before is not left behind cut short.
TEST(EncodeSave, FailingPartWayRemovesTheTruncatedFile)
{
    CxImage image;
    ASSERT_NE(image.Create(200, 200, 24), nullptr);
    unsigned noise = 12345;
    for (LONG y = 0; y < 200; y++)
        for (LONG x = 0; x < 200; x++) {
            noise = noise * 1103515245u + 12345u;
            image.SetPixelColor(x, y, RGBQUAD{BYTE(noise >> 8), BYTE(noise >> 16), BYTE(noise >> 24), 0});
        }
    std::string path = TempPngPath("partway");
    ASSERT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    ASSERT_GT(FileSize(path), 65536);
    {
        FileSizeLimit limit(16384);
        ASSERT_TRUE(limit.Set());
        EXPECT_FALSE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG));
    }
    EXPECT_STREQ(image.GetLastError(), "Error saving PNG file");
    EXPECT_EQ(FileSize(path), -1) << "a truncated picture stayed behind";
    EXPECT_TRUE(image.IsValid());
    // The name is free again for a save that succeeds.
    ASSERT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    EXPECT_GT(FileSize(path), 65536);
    remove(path.c_str());
}

struct ShortCase {
    long room;
    DWORD bpp;
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.room << " bytes of room, " << c.bpp << " bpp"; }

class EncodeShortWrite : public testing::TestWithParam<ShortCase> {};

// Fails wherever the stream gives out: in the signature, the header, or the
// image data. The picture comes back unchanged, transparent entry included.
TEST_P(EncodeShortWrite, FailsAndRestoresThePicture)
{
    ImageProbe image;
    ASSERT_NE(image.Create(64, 64, GetParam().bpp), nullptr);
    for (LONG y = 0; y < 64; y++)
        for (LONG x = 0; x < 64; x++)
            image.SetPixelColor(x, y, RGBQUAD{BYTE(x * 4), BYTE(y * 4), BYTE(x ^ y), 0});
    if (image.HasPalette()) {
        for (int i = 0; i < 256; i++) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i / 2), 3);
        for (LONG y = 0; y < 64; y++)
            for (LONG x = 0; x < 64; x++) image.SetPixelIndex(x, y, BYTE(x * 3 + y));
        image.SetTransIndex(7);
    }
    std::vector<BYTE> before(image.Dib(), image.Dib() + image.GetSize());
    ShortFile file(GetParam().room);
    EXPECT_FALSE(image.Encode(&file, CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Error saving PNG file");
    EXPECT_EQ(memcmp(image.Dib(), before.data(), before.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Points, EncodeShortWrite,
                         testing::Values(ShortCase{0, 24}, ShortCase{20, 24}, ShortCase{200, 24},
                                         ShortCase{0, 8}, ShortCase{40, 8}, ShortCase{900, 8},
                                         ShortCase{1200, 8}));

TEST_F(EncodeDispatch, SavedPngHasThePageChunksInOrder)
{
    ASSERT_TRUE(image.Encode(&memory, CXIMAGE_FORMAT_PNG));
    // Walk the chunks: length, type, data, CRC.
    const BYTE* data = memory.GetBuffer(false);
    long size = memory.Size();
    std::string types;
    for (long at = 8; at + 8 <= size;) {
        DWORD length = DWORD(data[at]) << 24 | DWORD(data[at + 1]) << 16 | DWORD(data[at + 2]) << 8 | data[at + 3];
        types += std::string(reinterpret_cast<const char*>(data + at + 4), 4) + " ";
        at += 12 + long(length);
    }
    EXPECT_EQ(types, "IHDR bKGD pHYs IDAT IEND ");
}

}  // namespace
