// The Win32 stand-ins for temporary names, folders, searches, GUIDs,
// version and module names.
#include "platform/win32/CodePage.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/Folders.h"
#include "platform/win32/Guid.h"
#include "platform/win32/ModuleFileName.h"
#include "platform/win32/TempFiles.h"
#include "platform/win32/Version.h"
#include "tests/ScopedEnv.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(TempPath, FollowsTmpdirWithATrailingSlash)
{
    char buffer[MAX_PATH];
    ScopedEnv tmpdir("TMPDIR", "/some/where");
    EXPECT_EQ(GetTempPathA(MAX_PATH, buffer), 12u);
    EXPECT_STREQ(buffer, "/some/where/");
    tmpdir.Set("/else/");
    GetTempPathA(MAX_PATH, buffer);
    EXPECT_STREQ(buffer, "/else/");
    EXPECT_EQ(GetTempPathA(3, buffer), 7u); // too short: the size needed
    tmpdir.Set(nullptr);
    GetTempPathA(MAX_PATH, buffer);
    EXPECT_STREQ(buffer, "/tmp/");
}

TEST(TempFileName, CreatesDistinctEmptyFilesNamedLikeWindows)
{
    ScratchFolder folder;
    std::set<std::string> names;
    const std::regex shape(folder.Path() + "/tpf[0-9A-F]{1,4}\\.tmp");
    for (int i = 0; i < 200; ++i) {
        char name[MAX_PATH];
        UINT number = GetTempFileNameA(folder.Path().c_str(), "tpfxyz", 0, name);
        ASSERT_NE(number, 0u);
        EXPECT_TRUE(std::regex_match(name, shape)) << name;
        EXPECT_TRUE(Exists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 200u);
    for (const std::string& name : names) {
        EXPECT_TRUE(DeleteFileA(name.c_str()));
        EXPECT_FALSE(Exists(name));
        EXPECT_FALSE(DeleteFileA(name.c_str()));
    }
}

TEST(TempFileName, WithANumberOnlyBuildsTheName)
{
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA("/nowhere", "ab", 0x1A2B, name), 0x1A2Bu);
    EXPECT_STREQ(name, "/nowhere/ab1A2B.tmp");
    EXPECT_FALSE(Exists(name));
    EXPECT_EQ(GetTempFileNameA("/nowhere/", "tpf", 0x12345, name), 0x2345u);
    EXPECT_STREQ(name, "/nowhere/tpf2345.tmp");
}

TEST(TempFileName, FailsInAMissingFolderOrForATooLongName)
{
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA("/no/such/folder", "tpf", 0, name), 0u);
    EXPECT_EQ(GetTempFileNameA(std::string(300, 'a').c_str(), "tpf", 0, name), 0u);
}

TEST(Folders, CreateRemoveAndAttributes)
{
    ScratchFolder folder;
    std::string sub = folder.File("sub");
    EXPECT_EQ(GetFileAttributesA(sub.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesA(sub.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(CreateDirectoryA(folder.File("a/b").c_str(), nullptr));
    std::ofstream(sub + "/file") << "x";
    EXPECT_EQ(GetFileAttributesA((sub + "/file").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(RemoveDirectoryA(sub.c_str())); // not empty
    DeleteFileA((sub + "/file").c_str());
    EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
    EXPECT_FALSE(Exists(sub));
}

std::set<std::string> Found(const std::string& pattern)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(data.cFileName);
    while (FindNextFileA(search, &data));
    EXPECT_TRUE(FindClose(search));
    return names;
}

TEST(FindFile, MatchesWildcardsIgnoringCaseAndNamesExactly)
{
    ScratchFolder folder;
    std::ofstream(folder.File("one.TTC")) << "12345";
    std::ofstream(folder.File("two.ttc")) << "";
    std::ofstream(folder.File("three.ttf")) << "";
    CreateDirectoryA(folder.File("dir.ttc").c_str(), nullptr);

    EXPECT_EQ(Found(folder.File("*.ttc")), (std::set<std::string>{"one.TTC", "two.ttc", "dir.ttc"}));
    EXPECT_EQ(Found(folder.File("t?o.*")), (std::set<std::string>{"two.ttc"}));
    EXPECT_EQ(Found(folder.File("three.ttf")), (std::set<std::string>{"three.ttf"}));
    EXPECT_TRUE(Found(folder.File("four.ttf")).empty());
    EXPECT_TRUE(Found(folder.File("*.otf")).empty());
    EXPECT_TRUE(Found(folder.File("nofolder/*")).empty());

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(folder.File("one.TTC").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(search);
    search = FindFirstFileA(folder.File("dir.ttc").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(search);
}

TEST(FindFile, APathWithATrailingSlashIsNeverFound)
{
    ScratchFolder folder;
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA((folder.Path() + "/").c_str(), &data), INVALID_HANDLE_VALUE);
    HANDLE search = FindFirstFileA(folder.Path().c_str(), &data);
    EXPECT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
}

std::string GuidText(const GUID& guid)
{
    WCHAR wide[64];
    int count = StringFromGUID2(guid, wide, 64);
    EXPECT_EQ(count, 39);
    char text[80];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, text, 80, nullptr, nullptr), 39);
    return text;
}

TEST(Guid, FreshGuidsHaveRegistryFormatText)
{
    const GUID known = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    EXPECT_EQ(GuidText(known), "{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    const std::regex shape("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        GUID guid;
        EXPECT_EQ(CoCreateGuid(&guid), S_OK);
        std::string text = GuidText(guid);
        EXPECT_TRUE(std::regex_match(text, shape)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 50u);
    WCHAR shortBuffer[38];
    EXPECT_EQ(StringFromGUID2(known, shortBuffer, 38), 0);
}

TEST(WideCharToMultiByte, WritesUtf8AndRefusesShortBuffers)
{
    const WCHAR text[] = {u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00, 0};
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr), 11);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 16, nullptr, nullptr), 11);
    EXPECT_STREQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 5, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 1, out, 16, nullptr, nullptr), 1);
}

TEST(Version, ReportsAnNtFamilySystem)
{
    OSVERSIONINFOA version = {};
    EXPECT_FALSE(GetVersionExA(&version)); // size not set
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
}

TEST(ModuleFileName, IsTheRunningProgram)
{
    char name[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(name).substr(std::string(name).rfind('/') + 1), "Win32FilesTest");
    char shortName[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, shortName, 5), 5u);
    EXPECT_EQ(std::string(shortName), std::string(name, 4));
}

} // namespace
