// Ending processes by the base name of their executable, over throwaway
// copies of sleep(1) named like the presentation application and otherwise.
#include "engine/TerminateProcesses.h"
#include "platform/win32/KernelObject.h"
#include "platform/win32/Library.h"
#include "platform/win32/Psapi.h"
#include "tests/engine/NamedProcesses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The names carry this test's process id: conversions running beside it
// end every "powerpnt.exe" and must not take these.
std::string Unique(const std::string& before, const std::string& after)
{
    return before + std::to_string(getpid()) + after;
}

TEST(TerminateProcessesByName, EndsProcessesOfThatNameInAnyCase)
{
    ScratchFolder folder;
    const std::string name = Unique("pp", ".exe");
    const std::string ended[] = {name, Unique("PP", ".EXE"), Unique("Pp", ".Exe")};
    const std::string kept[] = {Unique("notpp", ".exe"), Unique("pp", ""),     Unique("pp", ".ex"),
                                Unique("Pp", ".exe.old"), Unique("pp", ".exe.keep"), Unique("pp", ".exe ")};
    std::vector<pid_t> endedPids, keptPids;
    for (const std::string& n : ended)
        endedPids.push_back(StartNamed(folder, n));
    for (const std::string& n : kept)
        keptPids.push_back(StartNamed(folder, n));

    testing::internal::CaptureStdout();
    EXPECT_EQ(TerminateProcessesByName(name.c_str()), 0);
    std::string printed = testing::internal::GetCapturedStdout();

    for (size_t i = 0; i < endedPids.size(); ++i) {
        EXPECT_TRUE(EndsKilled(endedPids[i])) << ended[i];
        std::string pid = std::to_string(endedPids[i]);
        EXPECT_NE(printed.find(ended[i] + " (PID to terminate: " + pid + ")\n"), std::string::npos) << printed;
        EXPECT_NE(printed.find("Process: " + pid + ", was succesful terminated.\n"), std::string::npos);
    }
    EXPECT_NE(printed.find("Exit code for " + name + ": 259\n"), std::string::npos) << printed;
    for (size_t i = 0; i < keptPids.size(); ++i) {
        EXPECT_TRUE(StillRunning(keptPids[i])) << kept[i];
        EXPECT_EQ(printed.find(kept[i] + " (PID"), std::string::npos);
        Stop(keptPids[i]);
    }
}

// Where the process stands in the whole list of running processes; -1 when
// it is not listed.
long PlaceInProcessList(pid_t pid)
{
    std::vector<DWORD> ids(1 << 20);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), DWORD(ids.size() * sizeof(DWORD)), &bytes))
        return -1;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i)
        if (ids[i] == DWORD(pid))
            return long(i);
    return -1;
}

// The system lists processes in the order of their ids, so one started
// after 1100 others stands past the first 1024, unless the ids wrapped
// round meanwhile: then it is tried again after 1100 more.
TEST(TerminateProcessesByName, EndsAProcessListedPastTheFirst1024)
{
    ScratchFolder folder;
    const std::string name = Unique("late", ".exe");
    IdleProcesses idle;
    pid_t late = -1;
    for (int attempt = 0; attempt < 3 && late < 0; ++attempt) {
        ASSERT_TRUE(idle.Start(1100));
        late = StartNamed(folder, name);
        if (PlaceInProcessList(late) < 1024) {
            Stop(late);
            late = -1;
        }
    }
    ASSERT_GT(late, 0) << "no process could be started past the first 1024 listed";

    testing::internal::CaptureStdout();
    TerminateProcessesByName(name.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(EndsKilled(late));
}

TEST(Psapi, ListsAndNamesProcesses)
{
    HMODULE psapi = LoadPsapi();
    ASSERT_NE(psapi, nullptr);
    EXPECT_TRUE(FreeLibrary(psapi));
    EXPECT_EQ(LoadLibraryA("KERNEL99.DLL"), nullptr);
    EXPECT_EQ(GetProcAddress(LoadLibraryA("psapi.dll"), "NoSuchCall"), nullptr);

    DWORD ids[1024], bytes = 0;
    ASSERT_TRUE(EnumProcesses(ids, sizeof ids, &bytes));
    bool self = false;
    for (DWORD i = 0; i < bytes / 4; ++i)
        self = self || ids[i] == DWORD(getpid());
    EXPECT_TRUE(self);
    DWORD two[2];
    ASSERT_TRUE(EnumProcesses(two, sizeof two, &bytes));
    EXPECT_LE(bytes, sizeof two);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, DWORD(getpid()));
    ASSERT_NE(process, nullptr);
    HMODULE module;
    DWORD needed;
    ASSERT_TRUE(EnumProcessModules(process, &module, sizeof module, &needed));
    char name[MAX_PATH];
    EXPECT_GT(GetModuleBaseNameA(process, module, name, MAX_PATH), 0u);
    EXPECT_STREQ(name, "TerminateProcessesTest");
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    EXPECT_FALSE(TerminateProcess(process, 1)); // opened without terminate access
    EXPECT_TRUE(CloseHandle(process));
    EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0), nullptr);
}

TEST(Psapi, ReadsTheExitCodeOfAnEndedProcess)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(7);
    siginfo_t info;
    waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT); // ended, not reaped
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, DWORD(pid));
    ASSERT_NE(process, nullptr);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(process);
    int status;
    waitpid(pid, &status, 0);
}

} // namespace
