#include "tests/engine/NamedProcesses.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

pid_t StartNamed(const ScratchFolder& folder, const std::string& name)
{
    std::string program = folder.File(name);
    std::filesystem::copy_file("/bin/sleep", program, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the child runs the copy, not the test program.
    for (int i = 0; i < 200; ++i) {
        char target[4096];
        ssize_t length = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target);
        if (length > 0 && std::string(target, size_t(length)) == program)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pid;
}

bool EndsKilled(pid_t pid)
{
    for (int i = 0; i < 400; ++i) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop(pid);
    return false;
}

bool EndsWithin(pid_t pid, int milliseconds)
{
    for (int waited = 0;; waited += 5) {
        siginfo_t info = {};
        if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            return true;
        if (waited >= milliseconds)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool StillRunning(pid_t pid)
{
    int status;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void Stop(pid_t pid)
{
    kill(pid, SIGKILL);
    int status;
    waitpid(pid, &status, 0);
}

IdleProcesses::~IdleProcesses()
{
    for (pid_t pid : pids_)
        kill(pid, SIGKILL);
    for (pid_t pid : pids_) {
        int status;
        waitpid(pid, &status, 0);
    }
}

bool IdleProcesses::Start(size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        pid_t pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // ends with the test, even one that crashes
            for (;;)
                pause();
        }
        pids_.push_back(pid);
    }
    return true;
}
