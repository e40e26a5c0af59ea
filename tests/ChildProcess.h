// Running part of a test in a forked child process, for limits such as
// `ulimit -v` that must end with the child.
//   ChildRun run = RunInChild([] { LimitAddressSpace(256 << 20); return Work(); });
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildRun {
    int status = -1;     // as waitpid gives it; -1, no exit, when no child ran
    std::string printed; // the child's standard output
};

// Runs body in a child whose standard output is kept; the child exits with
// body's result.
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
