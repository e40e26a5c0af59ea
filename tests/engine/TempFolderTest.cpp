// The per-load temporary folder and the folder helpers under it.
#include "engine/EngineApp.h"
#include "engine/TempFolder.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/PdfMaker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(TempFolder, IsAFreshGuidFolderUnderTheTemporaryPath)
{
    ScratchFolder scratch;
    ScopedEnv tmp("TMPDIR", scratch.Path().c_str()); // no trailing slash: one is added
    CString first = TempFolder();
    CString second = TempFolder();
    const std::regex shape(scratch.Path() + "/\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}/");
    EXPECT_TRUE(std::regex_match(first.Text(), shape)) << first.Text();
    EXPECT_TRUE(IsFolder(first.Text()));
    EXPECT_TRUE(IsFolder(second.Text()));
    EXPECT_NE(first.Text(), second.Text());
}

TEST(TempFolder, TheLoadedLibrarysFolderExists)
{
    EXPECT_TRUE(std::regex_match(g_tempFolder.Text(), std::regex(".*/\\{[-0-9A-F]{36}\\}/")));
    EXPECT_TRUE(IsFolder(g_tempFolder.Text()));
}

TEST(CreateFolderTree, CreatesEveryMissingLevel)
{
    ScratchFolder scratch;
    std::string deep = scratch.Path() + "/a/b/c/";
    // A trailing "/" is never found, so the last step fails though the
    // folder is there.
    EXPECT_EQ(CreateFolderTree(deep), 0);
    EXPECT_TRUE(IsFolder(scratch.Path() + "/a/b/c"));
    EXPECT_EQ(CreateFolderTree(scratch.Path() + "/a/b/d"), 1);
    EXPECT_TRUE(IsFolder(scratch.Path() + "/a/b/d"));
    EXPECT_EQ(CreateFolderTree(scratch.Path() + "/a/b"), 1); // exists
    std::ofstream(scratch.Path() + "/file") << "x";
    EXPECT_EQ(CreateFolderTree(scratch.Path() + "/file/x"), 0);
}

TEST(PathExists, FindsFilesAndFoldersButNotATrailingSlash)
{
    ScratchFolder scratch;
    std::ofstream(scratch.File("f")) << "";
    EXPECT_EQ(PathExists(scratch.File("f")), 1);
    EXPECT_EQ(PathExists(scratch.Path()), 1);
    EXPECT_EQ(PathExists(scratch.Path() + "/"), 0);
    EXPECT_EQ(PathExists(scratch.File("g")), 0);
}

} // namespace
