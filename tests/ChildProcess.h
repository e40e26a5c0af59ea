// Running part of a test in a forked child process, for limits such as
// `ulimit -v` that must end with the child.
//   ChildRun run = RunInChild([] { LimitAddressSpace(256 << 20); return Work(); });
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildRun {
    int status = -1;     // as waitpid gives it; -1, no exit, when no child ran
    std::string printed; // the child's standard output
};

// Runs body in a forked child whose standard output is kept; the child
// exits with body's result.
inline ChildRun RunInChild(const std::function<int()>& body)
{
    ChildRun run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        dup2(out[1], STDOUT_FILENO);
        int result = body();
        std::fflush(stdout);
        _exit(result);
    }
    close(out[1]);
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        run.printed.append(buffer, size_t(n));
    close(out[0]);
    if (child > 0)
        waitpid(child, &run.status, 0);
    return run;
}

// Runs this test program again as a fresh process (fork, then exec) with
// only the named test ("Suite.Name"), variable set to value in its
// environment: the test sees the variable, does its child's part and
// _exits with its result. Unlike a forked child, the fresh process holds
// nothing that earlier tests of this process left behind.
inline ChildRun RunTestAfresh(const std::string& test, const char* variable, const std::string& value)
{
    const std::string filter = "--gtest_filter=" + test;
    return RunInChild([&] {
        setenv(variable, value.c_str(), 1);
        execl("/proc/self/exe", "fresh-test", filter.c_str(), static_cast<char*>(nullptr));
        return 127;  // exec failed
    });
}

// Lets the process's address space grow by only so many bytes past what it
// holds now. False when the limit cannot be set.
inline bool LimitAddressSpace(rlim_t headroom)
{
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return false;
    bool read = std::fscanf(statm, "%ld", &pages) == 1;
    std::fclose(statm);
    rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + headroom;
    rlimit address{limit, limit};
    return read && setrlimit(RLIMIT_AS, &address) == 0;
}
