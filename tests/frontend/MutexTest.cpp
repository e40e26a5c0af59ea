// The named mutex stand-in: one object per name and user, shared by the
// user's handles and processes, owned by one handle at a time, and gone
// once the last handle closes.
#include "platform/win32/Mutex.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A name of this test run's own, so that runs side by side never meet.
std::string UniqueName(const char* what)
{
    return std::string("MUTEX_TEST_") + what + "_" + std::to_string(getpid());
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

int ModeOf(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Runs `body` in a child process and returns its exit code.
template <typename Body> int InChild(Body body)
{
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(NamedMutex, TheObjectIsPrivateSharedAndGoneWithItsLastHandle)
{
    const std::string name = UniqueName("life");
    const std::string path = NamedObjectPath(name.c_str());
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(Exists(path));

    HANDLE first = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ModeOf(path), 0600);
    EXPECT_EQ(ModeOf(FolderOf(path)), 0700);
    HANDLE second = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(InChild([&] { return CloseHandle(CreateMutexA(nullptr, FALSE, name.c_str())) ? 0 : 1; }), 0);
    EXPECT_TRUE(Exists(path)) << "another process's handle closing leaves ours";
    CloseHandle(first);
    EXPECT_TRUE(Exists(path)) << "one handle is still open";
    CloseHandle(second);
    EXPECT_FALSE(Exists(path)) << "the last handle removes the object";
}

TEST(NamedMutex, OneHandleOwnsItAtATimeAndAnEndedProcessFreesIt)
{
    const std::string name = UniqueName("owner");
    HANDLE owner = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(owner, nullptr);
    HANDLE other = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(ReleaseMutex(other)) << "the mutex was owned already";
    EXPECT_EQ(InChild([&] { return ReleaseMutex(CreateMutexA(nullptr, TRUE, name.c_str())) ? 1 : 0; }), 0);
    EXPECT_TRUE(ReleaseMutex(owner));
    EXPECT_FALSE(ReleaseMutex(owner)) << "released once";
    CloseHandle(owner);
    CloseHandle(other);

    // A process that ends owning the mutex, without closing its handle.
    EXPECT_EQ(InChild([&] { return CreateMutexA(nullptr, TRUE, name.c_str()) ? 0 : 1; }), 0);
    HANDLE after = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(ReleaseMutex(after)) << "an ended process owns nothing";
    CloseHandle(after);
    EXPECT_FALSE(Exists(NamedObjectPath(name.c_str())));
}

TEST(NamedMutex, BadArgumentsCreateNothing)
{
    int attributes = 0;
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, nullptr), nullptr);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, ""), nullptr);
    EXPECT_EQ(CreateMutexA(&attributes, FALSE, "MUTEX_TEST_ATTRIBUTES"), nullptr);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, std::string(300, 'n').c_str()), nullptr);
    HANDLE slashed = CreateMutexA(nullptr, FALSE, ("Local/" + UniqueName("slash")).c_str());
    ASSERT_NE(slashed, nullptr) << "a slash stays inside the one name";
    CloseHandle(slashed);
}

// Each user has the name to themselves: another user's object never stops
// this one's program from making its own.
TEST(NamedMutex, AnotherUserMakesTheirOwnObject)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    const std::string name = UniqueName("user");
    HANDLE mine = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(mine, nullptr);
    const std::string myPath = NamedObjectPath(name.c_str());
    int code = InChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            return 2;
        std::string theirs = NamedObjectPath(name.c_str());
        if (theirs.empty() || theirs == myPath)
            return 3;
        HANDLE handle = CreateMutexA(nullptr, TRUE, name.c_str());
        if (!handle || !ReleaseMutex(handle))
            return 4;
        CloseHandle(handle);
        if (Exists(theirs))
            return 5;
        rmdir(FolderOf(theirs).c_str()); // the other user's folder, made for this test
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(ReleaseMutex(mine)) << "still owned by this user's handle";
    CloseHandle(mine);
}

} // namespace
