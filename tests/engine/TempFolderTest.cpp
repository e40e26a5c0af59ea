// The per-load temporary folder and the folder helpers under it.
#include "engine/EngineApp.h"
#include "engine/TempFolder.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/FolderFiles.h"
#include "tests/support/PdfMaker.h"

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

// The temporary path as GetTempPathA gives it fits a buffer of 255
// characters only up to 253 characters and its "/": past that there is no
// temporary path, and no folder is made anywhere else (the root, the
// working folder).
TEST(TempFolder, ATemporaryPathTooLongForItsBufferMakesNoFolder)
{
    ScratchFolder scratch;
    const std::vector<std::string> rootBefore = FilesIn("/"), workingBefore = FilesIn(".");
    for (size_t length : {253u, 254u, 255u, 260u, 300u}) {
        std::string tmp = LongFolder(scratch.Path(), length);
        ScopedEnv env("TMPDIR", tmp.c_str());
        CString folder = TempFolder();
        if (length <= 253) {
            EXPECT_EQ(folder.Text().substr(0, tmp.size() + 1), tmp + "/") << length;
            EXPECT_TRUE(IsFolder(folder.Text())) << length;
            EXPECT_EQ(TempFolderReady(folder), 1) << length;
        } else {
            EXPECT_EQ(folder.Text(), "") << length;
            EXPECT_TRUE(FilesIn(tmp).empty()) << length;
            EXPECT_EQ(TempFolderReady(folder), 0) << length;
        }
    }
    EXPECT_EQ(FilesIn("/"), rootBefore);
    EXPECT_EQ(FilesIn("."), workingBefore);
}

// A folder something removed is made again; one that cannot be made (below
// a file) is not ready.
TEST(TempFolder, ReadyMakesAMissingFolderAgain)
{
    ScratchFolder scratch;
    std::string folder = scratch.Path() + "/{GONE}/";
    EXPECT_EQ(TempFolderReady(folder), 1);
    EXPECT_TRUE(IsFolder(folder));
    std::ofstream(scratch.File("file")) << "x";
    EXPECT_EQ(TempFolderReady(scratch.File("file") + "/{GUID}/"), 0);
    EXPECT_EQ(TempFolderReady(scratch.File("file") + "/"), 0); // a file is no folder
}

// Only the folder itself is made: under a temporary path that does not
// exist, nothing is made, and the folder is not ready.
TEST(TempFolder, ATemporaryPathThatDoesNotExistIsNotMade)
{
    ScratchFolder scratch;
    for (const std::string& tmp : {scratch.File("missing"), scratch.File("missing") + "/deeper"}) {
        ScopedEnv env("TMPDIR", tmp.c_str());
        CString folder = TempFolder();
        EXPECT_EQ(folder.Text().rfind(tmp + "/", 0), 0u) << folder.Text();
        EXPECT_EQ(TempFolderReady(folder), 0) << tmp;
        EXPECT_FALSE(PathExists(scratch.File("missing"))) << tmp;
    }
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
