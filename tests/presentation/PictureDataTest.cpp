#include "platform/presentation/PictureData.h"

#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace presentation;

static Rgb grey(uint32_t, uint32_t) { return {128, 128, 128}; }

TEST(PictureData, RecognisesPngAndJpegWithTheirSizes)
{
    std::string error;
    auto png = PictureFromBytes(MakePng(7, 5, grey), error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(png->kind, PictureKind::Png);
    EXPECT_EQ(png->width, 7u);
    EXPECT_EQ(png->height, 5u);
    auto jpeg = PictureFromBytes(MakeJpeg(33, 17, grey), error);
    ASSERT_TRUE(jpeg) << error;
    EXPECT_EQ(jpeg->kind, PictureKind::Jpeg);
    EXPECT_EQ(jpeg->width, 33u);
    EXPECT_EQ(jpeg->height, 17u);
    EXPECT_NE(png->digest, jpeg->digest);
}

TEST(PictureData, RefusesWhatIsNoPicture)
{
    std::vector<uint8_t> png = MakePng(4, 4, grey);
    std::vector<uint8_t> badCrc = png;
    badCrc[20] ^= 1;  // IHDR height, no longer matching the chunk's CRC
    std::vector<uint8_t> jpeg = MakeJpeg(8, 8, grey);
    std::vector<std::vector<uint8_t>> cases = {
        {},
        {0x89, 'P', 'N', 'G'},
        std::vector<uint8_t>(png.begin(), png.begin() + 20),
        badCrc,
        std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40),  // cut before the frame header
        {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x01},                    // segment length below 2
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string error;
        EXPECT_FALSE(PictureFromBytes(cases[i], error)) << "case " << i;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PictureData, MissingFileNamesThePath)
{
    std::string error;
    EXPECT_FALSE(ReadPictureFile("/nonexistent/picture.png", error));
    EXPECT_NE(error.find("/nonexistent/picture.png"), std::string::npos);
}

// A FIFO, a device or a folder at a picture's name is refused at once,
// never waited on or read.
TEST(PictureData, ANameThatIsNoRegularFileIsRefusedAtOnce)
{
    char folder[] = "/tmp/picture-names-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/fifo.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(60);  // ends the test program should a regression block
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string(folder)}) {
        std::string error;
        EXPECT_FALSE(ReadPictureFile(path, error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    alarm(0);
    unlink(fifo.c_str());
    rmdir(folder);
}
