#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "image/CxIOFile.h"

namespace {

std::string TempName(const char* name)
{
    return testing::TempDir() + "cxiofile_" + std::to_string(getpid()) + "_" + name;
}

TEST(CxIOFile, WithoutAStreamEveryOperationFails)
{
    CxIOFile file;
    char buffer[4];
    EXPECT_EQ(file.Read(buffer, 1, 4), 0u);
    EXPECT_EQ(file.Write(buffer, 1, 4), 0u);
    EXPECT_FALSE(file.Seek(0, SEEK_SET));
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.Size(), -1);
    EXPECT_FALSE(file.Flush());
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Error(), -1);
    EXPECT_FALSE(file.PutC('a'));
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_EQ(file.GetS(buffer, 4), nullptr);
    int value;
    EXPECT_EQ(file.Scanf("%d", &value), -1);
    EXPECT_TRUE(file.Close());
}

TEST(CxIOFile, OpenedFileRoundTripsAndCloses)
{
    std::string path = TempName("roundtrip");
    CxIOFile file;
    ASSERT_TRUE(file.Open(path.c_str(), "w+b"));
    EXPECT_FALSE(file.Open(path.c_str(), "rb"));
    EXPECT_EQ(file.Write("12 lines\nsecond\n", 1, 16), 16u);
    EXPECT_TRUE(file.PutC('z'));
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(file.Size(), 17);
    EXPECT_EQ(file.Tell(), 17);

    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    int value = 0;
    EXPECT_EQ(file.Scanf("%d", &value), 1);
    EXPECT_EQ(value, 12);
    char line[32];
    ASSERT_NE(file.GetS(line, sizeof(line)), nullptr);
    EXPECT_STREQ(line, " lines\n");
    ASSERT_TRUE(file.Seek(-1, SEEK_END));
    EXPECT_EQ(file.GetC(), 'z');
    EXPECT_EQ(file.GetC(), -1);
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Error(), 0);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.Size(), -1);
    remove(path.c_str());
}

TEST(CxIOFile, OpenOfAMissingFileFails)
{
    CxIOFile file;
    EXPECT_FALSE(file.Open("/nonexistent-folder/x.bin", "rb"));
    EXPECT_EQ(file.Size(), -1);
}

// Whatever stands at the name, a read opens at once or fails at once.
TEST(CxIOFile, OnlyARegularFileOpensForReading)
{
    const std::string fifo = TempName("fifo"), folder = TempName("folder");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    alarm(20);  // a blocking open ends the program instead of the run
    for (const std::string& name : {fifo, folder, std::string("/dev/zero")})
        for (const char* mode : {"rb", "r+b"}) {
            CxIOFile file;
            EXPECT_FALSE(file.Open(name.c_str(), mode)) << name << " " << mode;
        }
    alarm(0);
    CxIOFile file;
    EXPECT_FALSE(file.Open(nullptr, "rb"));
    remove(fifo.c_str());
    rmdir(folder.c_str());
}

TEST(CxIOFile, CallersStreamStaysOpenAndAttached)
{
    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    {
        CxIOFile file(fp);
        EXPECT_EQ(file.Write("abc", 1, 3), 3u);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(file.Tell(), 3);
        CxIOFile copy(file);
        EXPECT_EQ(copy.Size(), 3);
    }
    // Still ours to use and to close.
    EXPECT_EQ(fputc('d', fp), 'd');
    EXPECT_EQ(ftell(fp), 4);
    EXPECT_EQ(fclose(fp), 0);
}

TEST(CxIOFile, SizeKeepsThePosition)
{
    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    CxIOFile file(fp);
    ASSERT_EQ(file.Write("0123456789", 1, 10), 10u);
    ASSERT_TRUE(file.Seek(4, SEEK_SET));
    EXPECT_EQ(file.Size(), 10);
    EXPECT_EQ(file.Tell(), 4);
    EXPECT_EQ(file.GetC(), '4');
    fclose(fp);
}

TEST(CxIOFile, BaseClassPutCWritesThroughWrite)
{
    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    CxIOFile file(fp);
    CxFile& stream = file;
    EXPECT_TRUE(stream.CxFile::PutC('q'));
    ASSERT_TRUE(file.Seek(0, SEEK_SET));
    EXPECT_EQ(file.GetC(), 'q');
    fclose(fp);
}

}  // namespace
