// The per-load temporary folder and the folder helpers under it.
#include "engine/EngineApp.h"
#include "engine/ScriptWriterTempFiles.h"
#include "engine/TempFolder.h"
#include "engine/resources/CoreData.h"
#include "tests/ScopedEnv.h"
#include "tests/engine/FolderFiles.h"
#include "tests/support/PdfMaker.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A load of the engine in a fresh run of this program under the temporary
// path, which does the role's part of LoadLeftovers.AKilledLoadsLeftovers...:
// "work" makes the core's data and a page picture as a conversion does,
// says where, and waits to be killed; "load" only loads and ends.
struct Load {
    pid_t pid = -1;
    std::string folder, picture;
};

Load StartLoad(const std::string& tmp, const char* role)
{
    Load load;
    int out[2];
    if (pipe(out) != 0)
        return load;
    std::fflush(stdout);
    load.pid = fork();
    if (load.pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the test, however it ends
        close(out[0]);
        dup2(out[1], STDOUT_FILENO);
        setenv("TMPDIR", tmp.c_str(), 1);
        setenv("LOAD_LEFTOVERS_ROLE", role, 1);
        execl("/proc/self/exe", "load", "--gtest_filter=LoadLeftovers.AKilledLoadsLeftoversGoWithALaterLoad",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string printed;
    char buffer[512];
    for (ssize_t n; printed.find("\nend\n") == std::string::npos && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, size_t(n));
    close(out[0]);
    std::smatch made;
    if (std::regex_search(printed, made, std::regex("\nready\n([^\n]+)\n([^\n]+)\nend\n"))) {
        load.folder = made[1];
        load.picture = made[2];
    }
    return load;
}

// The child's part: what a conversion leaves while it runs.
void DoLoadRole(const std::string& role)
{
    if (role != "work")
        std::exit(0); // the load itself did the work; its own folder goes at exit
    char picture[MAX_PATH];
    if (PrepareCoreDataFolder(std::string(g_tempFolder.Text()) + "coredata") <= 0 ||
        MakeTempFileName(sizeof picture, picture, ".png") == 0)
        _exit(1);
    std::ofstream(picture, std::ios::binary) << "picture";
    std::printf("\nready\n%s\n%s\nend\n", g_tempFolder.Text().c_str(), picture); // paths may hold blanks
    std::fflush(stdout);
    for (;;)
        pause();
}

int WaitFor(pid_t pid)
{
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

// A conversion killed midway leaves its folder, the core's data and its
// pictures; the next load removes them, and keeps a live load's, a folder
// no load marked and a picture no load linked.
TEST(LoadLeftovers, AKilledLoadsLeftoversGoWithALaterLoad)
{
    if (const char* role = std::getenv("LOAD_LEFTOVERS_ROLE"))
        DoLoadRole(role);
    ScratchFolder tmp;
    Load live = StartLoad(tmp.Path(), "work");
    ASSERT_FALSE(live.folder.empty()) << "the child made no folder";
    Load killed = StartLoad(tmp.Path(), "work");
    ASSERT_FALSE(killed.folder.empty());
    kill(killed.pid, SIGKILL);
    WaitFor(killed.pid);
    EXPECT_TRUE(IsFolder(killed.folder + "coredata/unicodeMap"));
    EXPECT_TRUE(std::filesystem::exists(killed.picture));

    // Not a load's own: a folder without a mark, a picture with no link, and
    // a folder marked by the killed load that holds something no load makes.
    const std::string foreign = tmp.File("{00000000-0000-0000-0000-000000000000}");
    std::filesystem::create_directories(foreign + "/coredata");
    std::ofstream(foreign + "/coredata/kept") << "x";
    std::ofstream(tmp.File("tpfFFFF.tmp.png")) << "x";
    const std::string mixed = tmp.File("{11111111-1111-1111-1111-111111111111}");
    std::filesystem::create_directories(mixed + "/coredata");
    std::ofstream(mixed + "/load." + std::to_string(killed.pid)) << "";
    std::ofstream(mixed + "/notes.txt") << "x";

    Load later = StartLoad(tmp.Path(), "load");
    EXPECT_EQ(WaitFor(later.pid), 0);
    EXPECT_FALSE(std::filesystem::exists(killed.folder));
    EXPECT_FALSE(std::filesystem::exists(killed.picture));
    EXPECT_TRUE(IsFolder(live.folder + "coredata/unicodeMap"));
    EXPECT_EQ(FileText(live.picture), "picture");
    EXPECT_EQ(FileText(foreign + "/coredata/kept"), "x");
    EXPECT_TRUE(std::filesystem::exists(tmp.File("tpfFFFF.tmp.png")));
    EXPECT_TRUE(std::filesystem::exists(mixed + "/notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(mixed + "/coredata"));

    kill(live.pid, SIGKILL);
    WaitFor(live.pid);
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
