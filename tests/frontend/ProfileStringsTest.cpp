#include "platform/win32/registry/ProfileStrings.h"
#include "tests/support/PdfMaker.h"
#include "tests/frontend/FileText.h"
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProfileStringsTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string file = folder.File("app.ini");

    std::string Get(const char* section, const char* key, const char* def = "dflt", DWORD size = 4096)
    {
        std::string buffer(size, '#');
        DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
        return buffer.substr(0, n);
    }
};

TEST_F(ProfileStringsTest, ReadsWhatItWroteAndKeepsTheRestOfTheFile)
{
    std::ofstream(file) << "; comment kept\r\n[Other]\r\nA = 1\r\n[settings]\r\n  outputfolder =  \"/a b\"  \r\n";
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "CvtPages", " 1-3 ", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "OutputFolder", "/out", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("New", "k", "v", file.c_str()));
    EXPECT_EQ(ReadFile(file), "; comment kept\r\n[Other]\r\nA = 1\r\n[settings]\r\nOutputFolder=/out\r\n"
                              "CvtPages= 1-3 \r\n[New]\r\nk=v\r\n");
    struct Case {
        const char* section;
        const char* key;
        std::string expected;
    } cases[] = {
        {"SETTINGS", "outputfolder", "/out"},
        {"Settings", "CvtPages", "1-3"},
        {"Other", "a", "1"},
        {"Other", "missing", "dflt"},
        {"Missing", "a", "dflt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Get(c.section, c.key), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(Get("Settings", nullptr), std::string("OutputFolder\0CvtPages\0", 22));
    EXPECT_EQ(Get(nullptr, nullptr), std::string("Other\0settings\0New\0", 19));
}

TEST_F(ProfileStringsTest, IntegersAndTheirDefaults)
{
    std::ofstream(file) << "[S]\nneg=-5\nnum=42abc\nword=abc\nempty=\nquoted=\"7\"\n";
    struct Case {
        const char* key;
        UINT expected;
    } cases[] = {{"neg", UINT(-5)}, {"num", 42}, {"word", 0}, {"empty", 9}, {"quoted", 7}, {"missing", 9}};
    for (const Case& c : cases)
        EXPECT_EQ(GetPrivateProfileIntA("S", c.key, 9, file.c_str()), c.expected) << c.key;
}

TEST_F(ProfileStringsTest, LongValuesAreCutToTheBuffer)
{
    std::string value(5000, 'p');
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", value.c_str(), file.c_str()));
    EXPECT_EQ(Get("S", "k", "", 4096), std::string(4095, 'p'));
    ASSERT_TRUE(WritePrivateProfileStringA("Second", "k", "v", file.c_str()));
    std::string buffer(8, '#');
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), 5, file.c_str()), 3u);
    EXPECT_EQ(buffer.substr(0, 6), std::string("S\0S\0\0#", 6));
}

TEST_F(ProfileStringsTest, RemovingKeysAndSections)
{
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", "1", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("B", "z", "3", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", nullptr, file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(ReadFile(file), "[A]\ny=2\n");
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileStringsTest, ABinaryFileGivesDefaultsAndIsLeftAlone)
{
    std::string binary("[S]\nk=1\n\0\x01\x02", 11);
    std::ofstream(file, std::ios::binary) << binary;
    EXPECT_EQ(Get("S", "k"), "dflt");
    EXPECT_EQ(GetPrivateProfileIntA("S", "k", 5, file.c_str()), 5u);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "2", file.c_str()));
    EXPECT_EQ(ReadFile(file), binary);
}

TEST_F(ProfileStringsTest, ABareNameLivesInTheUserConfigFolder)
{
    ScopedEnv config("XDG_CONFIG_HOME", folder.File("config").c_str());
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "bare.ini"));
    EXPECT_EQ(ReadFile(folder.File("config/vantrel/bare.ini")), "[S]\nk=v\n");
}

// A pipe at the file's name, or at its new file's: never waited on. The
// first reads as an unreadable file, the second is passed by.
TEST_F(ProfileStringsTest, APipeAtTheFileOrItsNewFileIsNeverWaitedOn)
{
    alarm(30); // a hang ends the program instead of the run
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(Get("Settings", "k"), "dflt");
    EXPECT_FALSE(WritePrivateProfileStringA("Settings", "k", "v", file.c_str()));
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(unlink(file.c_str()), 0);

    ASSERT_EQ(mkfifo((file + ".new").c_str(), 0600), 0);
    EXPECT_TRUE(WritePrivateProfileStringA("Settings", "k", "v", file.c_str()));
    EXPECT_EQ(Get("Settings", "k"), "v");
    alarm(0);
}

} // namespace
