#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/CxMemFile.h"

namespace {

// Reaches the allocation state the stream keeps to itself.
struct MemFileProbe : CxMemFile {
    using CxMemFile::CxMemFile;
    unsigned long Edge() const { return m_Edge; }
    bool Owns() const { return m_bFreeOnClose; }
};

TEST(CxMemFile, FailsEveryAccessUntilOpened)
{
    MemFileProbe file;
    BYTE byte = 1;
    EXPECT_EQ(file.Write(&byte, 1, 1), 0u);
    EXPECT_FALSE(file.PutC('a'));
    EXPECT_EQ(file.Read(&byte, 1, 1), 0u);
    EXPECT_EQ(file.Size(), -1);
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.Error(), -1);
    EXPECT_TRUE(file.Eof());
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(file.Seek(0, SEEK_SET));
    EXPECT_EQ(file.GetC(), -1);
}

TEST(CxMemFile, OpenRefusesWhenABufferIsAttached)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(file.Open());
    EXPECT_EQ(file.Size(), 0);
}

struct GrowthCase {
    size_t bytes;
    unsigned long edge;
};

void PrintTo(const GrowthCase& c, std::ostream* os) { *os << c.bytes << " bytes"; }

class CxMemFileGrowth : public testing::TestWithParam<GrowthCase> {};

TEST_P(CxMemFileGrowth, GrowsInSixtyFourKibSteps)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    std::vector<BYTE> data(GetParam().bytes, 0x5A);
    EXPECT_EQ(file.Write(data.data(), 1, data.size()), data.size());
    EXPECT_EQ(file.Edge(), GetParam().edge);
    EXPECT_EQ(file.Size(), static_cast<long>(data.size()));
    EXPECT_EQ(file.Tell(), static_cast<long>(data.size()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CxMemFileGrowth,
                         testing::Values(GrowthCase{10, 65536}, GrowthCase{65535, 65536},
                                         GrowthCase{65536, 131072},
                                         GrowthCase{200000, 262144}));

TEST(CxMemFile, ByteWiseWritingGrowsLikeBlockWriting)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    for (int i = 0; i < 70000; i++) ASSERT_TRUE(file.PutC(static_cast<unsigned char>(i)));
    EXPECT_EQ(file.Size(), 70000);
    EXPECT_EQ(file.Edge(), 131072u);
    ASSERT_TRUE(file.Seek(69999, SEEK_SET));
    EXPECT_EQ(file.GetC(), 69999 & 0xFF);
    EXPECT_EQ(file.GetC(), -1);
}

TEST(CxMemFile, SeekClampsBelowZeroAndAllowsGapsPastTheEnd)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("0123456789", 1, 10), 10u);
    EXPECT_TRUE(file.Seek(-5, SEEK_SET));
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_TRUE(file.Seek(-3, SEEK_END));
    EXPECT_EQ(file.GetC(), '7');
    EXPECT_TRUE(file.Seek(-2, SEEK_CUR));
    EXPECT_EQ(file.GetC(), '6');
    EXPECT_FALSE(file.Seek(0, 3));

    EXPECT_TRUE(file.Seek(100, SEEK_END));
    EXPECT_EQ(file.Tell(), 110);
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Error(), 1);
    char c;
    EXPECT_EQ(file.Read(&c, 1, 1), 0u);
    EXPECT_EQ(file.Write("x", 1, 1), 1u);
    EXPECT_EQ(file.Size(), 111);
    EXPECT_EQ(file.Error(), 0);
}

TEST(CxMemFile, SeekThatWouldOverflowIsRefused)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Seek(10, SEEK_SET));
    EXPECT_FALSE(file.Seek(LONG_MAX, SEEK_CUR));
    EXPECT_EQ(file.Tell(), 10);
}

TEST(CxMemFile, ReadReturnsWholeItemsAndConsumesThePartialOne)
{
    BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemFileProbe file(data, sizeof(data));
    BYTE out[12] = {};
    EXPECT_EQ(file.Read(out, 4, 3), 2u);
    EXPECT_EQ(memcmp(out, data, 10), 0);
    EXPECT_EQ(file.Tell(), 10);
    EXPECT_EQ(file.Read(out, 1, 1), 0u);
}

TEST(CxMemFile, ItemCountsWhoseProductOverflowsAreRefused)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("abcd", 1, 4), 4u);
    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    char buffer[8];
    size_t huge = SIZE_MAX / 2 + 2;
    EXPECT_EQ(file.Read(buffer, 2, huge), 0u);
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.Write(buffer, 2, huge), 0u);
    EXPECT_EQ(file.Write(buffer, SIZE_MAX, SIZE_MAX), 0u);
    EXPECT_EQ(file.Size(), 4);
    EXPECT_EQ(file.Write(buffer, 1, 0), 0u);
    EXPECT_EQ(file.Read(buffer, 0, 4), 0u);
}

// Growth to a position no allocator can serve fails and keeps the data.
TEST(CxMemFile, FailedGrowthKeepsTheOldBlock)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("abc", 1, 3), 3u);
    BYTE* block = file.GetBuffer(false);
    ASSERT_TRUE(file.Seek(LONG_MAX / 2, SEEK_SET));
    EXPECT_FALSE(file.PutC('x'));
    EXPECT_EQ(file.Write("d", 1, 1), 0u);
    EXPECT_EQ(file.GetBuffer(false), block);
    EXPECT_EQ(file.Edge(), 65536u);
    EXPECT_EQ(file.Size(), 3);
    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    char out[3];
    ASSERT_EQ(file.Read(out, 1, 3), 3u);
    EXPECT_EQ(memcmp(out, "abc", 3), 0);
}

TEST(CxMemFile, WritesIntoACallersBufferInPlace)
{
    BYTE data[8] = {};
    MemFileProbe file(data, sizeof(data));
    EXPECT_FALSE(file.Owns());
    ASSERT_EQ(file.Write("abc", 1, 3), 3u);
    EXPECT_EQ(memcmp(data, "abc", 3), 0);
    EXPECT_EQ(file.GetBuffer(false), data);
    EXPECT_EQ(file.Size(), 8);
}

// The caller's buffer lives on the stack: growth must copy it, never realloc
// it, and leave it as it was.
TEST(CxMemFile, GrowthPastACallersBufferMovesIntoAnOwnedBlock)
{
    BYTE data[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    MemFileProbe file(data, sizeof(data));
    ASSERT_TRUE(file.Seek(0, SEEK_END));
    ASSERT_EQ(file.Write("9ABC", 1, 4), 4u);
    EXPECT_TRUE(file.Owns());
    EXPECT_EQ(file.Edge(), 65536u);
    BYTE* block = file.GetBuffer(false);
    EXPECT_NE(block, data);
    EXPECT_EQ(memcmp(block, "123456789ABC", 12), 0);
    EXPECT_EQ(memcmp(data, "12345678", 8), 0);
    EXPECT_EQ(file.Size(), 12);
}

TEST(CxMemFile, DetachedBufferOutlivesTheFile)
{
    BYTE* block;
    {
        MemFileProbe file;
        ASSERT_TRUE(file.Open());
        ASSERT_EQ(file.Write("kept", 1, 4), 4u);
        block = file.GetBuffer(true);
        EXPECT_FALSE(file.Owns());
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(file.GetBuffer(false), block);
    }
    EXPECT_EQ(memcmp(block, "kept", 4), 0);
    free(block);
}

TEST(CxMemFile, GrowthAfterDetachLeavesTheDetachedBlockAlone)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("abcd", 1, 4), 4u);
    BYTE* block = file.GetBuffer(true);
    std::vector<BYTE> big(70000, 1);
    ASSERT_EQ(file.Write(big.data(), 1, big.size()), big.size());
    EXPECT_NE(file.GetBuffer(false), block);
    EXPECT_EQ(memcmp(block, "abcd", 4), 0);
    EXPECT_EQ(memcmp(file.GetBuffer(false), "abcd", 4), 0);
    free(block);
}

TEST(CxMemFile, CloseFreesOnlyAnOwnedBlockAndAllowsReopening)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("x", 1, 1), 1u);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.Size(), -1);
    EXPECT_TRUE(file.Open());
    EXPECT_EQ(file.Size(), 0);

    BYTE data[4] = {'a', 'b', 'c', 'd'};
    MemFileProbe borrowed(data, sizeof(data));
    EXPECT_TRUE(borrowed.Close());
    EXPECT_EQ(borrowed.Size(), 4);
}

struct LineCase {
    const char* data;
    int n;
    const char* line;  // null: GetS returns null
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << "\"" << c.data << "\" n=" << c.n; }

class CxMemFileGetS : public testing::TestWithParam<LineCase> {};

TEST_P(CxMemFileGetS, ReadsOneLine)
{
    const LineCase& c = GetParam();
    std::vector<BYTE> data(c.data, c.data + strlen(c.data));
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    if (!data.empty()) {
        ASSERT_EQ(file.Write(data.data(), 1, data.size()), data.size());
    }
    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    char buffer[32];
    memset(buffer, '#', sizeof(buffer));
    char* result = file.GetS(buffer, c.n);
    if (!c.line) {
        EXPECT_EQ(result, nullptr);
    } else {
        ASSERT_EQ(result, buffer);
        EXPECT_STREQ(buffer, c.line);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, CxMemFileGetS,
                         testing::Values(LineCase{"ab\ncd", 32, "ab\n"},
                                         LineCase{"abcdef", 4, "abc"},
                                         LineCase{"abc", 1, ""},
                                         LineCase{"", 8, nullptr},
                                         LineCase{"abc", 8, nullptr}));

TEST(CxMemFile, ScanfIsNotSupported)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("42", 1, 2), 2u);
    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    int value = 0;
    EXPECT_EQ(file.Scanf("%d", &value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(file.Tell(), 0);
}

TEST(CxMemFile, CopyBorrowsTheBlock)
{
    MemFileProbe file;
    ASSERT_TRUE(file.Open());
    ASSERT_EQ(file.Write("abc", 1, 3), 3u);
    {
        CxMemFile copy(file);
        EXPECT_EQ(copy.Size(), 3);
    }
    EXPECT_EQ(memcmp(file.GetBuffer(false), "abc", 3), 0);
}

}  // namespace
