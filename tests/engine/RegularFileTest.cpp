// Named files are opened only when they are regular files: whatever else
// stands at the name is refused at once, never waited on.
#include "platform/win32/RegularFile.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A folder holding one of each kind of file, under names that say what
// they are.
class RegularFileKinds : public ::testing::Test {
protected:
    void SetUp() override
    {
        alarm(20); // a blocking open ends the program instead of the run
        Write("plain", "%PDF-1.4\n");
        ASSERT_EQ(symlink(folder.File("plain").c_str(), folder.File("link").c_str()), 0);
        ASSERT_EQ(mkfifo(folder.File("fifo").c_str(), 0600), 0);
        ASSERT_EQ(symlink(folder.File("fifo").c_str(), folder.File("fifo-link").c_str()), 0);
        ASSERT_EQ(symlink(folder.File("gone").c_str(), folder.File("dangling").c_str()), 0);
        ASSERT_EQ(mkdir(folder.File("folder").c_str(), 0700), 0);
        MakeSocket(folder.File("socket"));
    }
    void TearDown() override
    {
        alarm(0);
        if (socket_ >= 0)
            close(socket_);
    }

    void Write(const std::string& name, const std::string& text)
    {
        FILE* file = std::fopen(folder.File(name).c_str(), "wb");
        ASSERT_TRUE(file);
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
    void MakeSocket(const std::string& path)
    {
        socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof address.sun_path);
        path.copy(address.sun_path, path.size());
        ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }

    ScratchFolder folder;
    int socket_ = -1;
};

struct Case {
    const char* name;
    int error; // 0: opens
};

const Case kCases[] = {
    {"plain", 0},      {"link", 0},           {"missing", ENOENT}, {"dangling", ENOENT}, {"fifo", ENXIO},
    {"fifo-link", ENXIO}, {"socket", ENXIO}, {"folder", EISDIR},
};

TEST_F(RegularFileKinds, ReadingOpensRegularFilesAndRefusesEveryOtherKind)
{
    for (const Case& c : kCases) {
        errno = 0;
        int fd = OpenRegularFile(folder.File(c.name).c_str(), O_RDONLY);
        if (c.error == 0) {
            EXPECT_GE(fd, 0) << c.name;
            EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << c.name << ": left non-blocking";
            EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << c.name;
            close(fd);
        } else {
            EXPECT_EQ(fd, -1) << c.name;
            EXPECT_EQ(errno, c.error) << c.name;
        }
        FILE* file = FopenRegularFile(folder.File(c.name).c_str(), "rb");
        EXPECT_EQ(file != nullptr, c.error == 0) << c.name;
        if (file) {
            char text[16] = {};
            EXPECT_EQ(std::fread(text, 1, sizeof text, file), 9u) << c.name;
            EXPECT_STREQ(text, "%PDF-1.4\n");
            std::fclose(file);
        }
    }
}

TEST_F(RegularFileKinds, WritingCreatesOrTruncatesOnlyRegularFiles)
{
    for (const char* name : {"fifo", "fifo-link", "socket", "folder"})
        EXPECT_EQ(FopenRegularFile(folder.File(name).c_str(), "wb"), nullptr) << name;
    FILE* made = FopenRegularFile(folder.File("new").c_str(), "wb");
    ASSERT_TRUE(made);
    EXPECT_EQ(std::fputs("x", made), 1);
    EXPECT_EQ(std::fclose(made), 0);
    EXPECT_TRUE(IsRegularFileName(folder.File("new").c_str()));

    FILE* again = FopenRegularFile(folder.File("new").c_str(), "wx");
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(errno, EEXIST);
    FILE* appended = FopenRegularFile(folder.File("link").c_str(), "ab");
    ASSERT_TRUE(appended);
    std::fputs("more", appended);
    std::fclose(appended);
    struct stat st;
    ASSERT_EQ(stat(folder.File("plain").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 13); // written through the link
}

TEST_F(RegularFileKinds, DevicesAreRefused)
{
    EXPECT_EQ(FopenRegularFile("/dev/zero", "rb"), nullptr);
    EXPECT_EQ(errno, ENXIO);
    EXPECT_EQ(FopenRegularFile("/dev/null", "wb"), nullptr);
}

TEST_F(RegularFileKinds, NamesAreJudgedWithoutOpening)
{
    for (const Case& c : kCases)
        EXPECT_EQ(IsRegularFileName(folder.File(c.name).c_str()), c.error == 0) << c.name;
    EXPECT_FALSE(IsRegularFileName(nullptr));
}

TEST(FopenModes, ModesFopenRefusesAreRefused)
{
    for (const char* mode : {"", "q", "+r"}) {
        EXPECT_EQ(FopenRegularFile("/tmp", mode), nullptr) << mode;
        EXPECT_EQ(errno, EINVAL) << mode;
    }
    EXPECT_EQ(FopenRegularFile("/tmp", nullptr), nullptr);
}

} // namespace
