// Throwaway copies of sleep(1) under a chosen name, for tests of ending
// processes by the name of their executable.
#pragma once

#include "tests/support/PdfMaker.h"

#include <string>
#include <vector>
#include <sys/types.h>

// Starts a copy of sleep named name in the folder; returns its pid once the
// child runs the copy.
pid_t StartNamed(const ScratchFolder& folder, const std::string& name);

// True when the child ended by SIGKILL within a few seconds. The child is
// reaped either way: one still running then is killed.
bool EndsKilled(pid_t pid);

// True when the child ends within the time, which may be 0; it is not reaped.
bool EndsWithin(pid_t pid, int milliseconds);

// True while the child has not ended.
bool StillRunning(pid_t pid);

// Kills the child and reaps it.
void Stop(pid_t pid);

// Children that only wait, to make the system list many processes; all are
// killed and reaped when the object ends.
class IdleProcesses {
public:
    IdleProcesses() = default;
    ~IdleProcesses();
    IdleProcesses(const IdleProcesses&) = delete;
    IdleProcesses& operator=(const IdleProcesses&) = delete;

    // Starts count more; false when the system refuses one.
    bool Start(size_t count);

private:
    std::vector<pid_t> pids_;
};
