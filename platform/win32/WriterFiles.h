// The files a writer makes beside a file it puts in place: named
// "<name><mark><pid>-<number><tail>", so that each writer's is its own and
// what a writer that no longer runs left (a process killed while it wrote)
// can be told apart and removed.
#pragma once

#include <string>
#include <sys/types.h>

struct WriterFileNames {
    const char* mark; // after the file's name: "." or ".new-"
    const char* tail; // at the end: ".part" or ""
};

// Makes one for path here and now (O_EXCL, never through a link, with the
// mode given): its descriptor, and its name in temp; -1 when none can be
// made.
int CreateWriterFile(const std::string& path, const WriterFileNames& names, mode_t mode, std::string& temp);

// Whether no process has the id any more: the one that left a file of ours
// under a name holding its id was killed, or ended without removing it.
bool ProcessIsGone(pid_t pid);

// Removes those that writers of bareName in folder (empty, or ending in a
// separator) left and that no longer run.
void RemoveDeadWritersFiles(const std::string& folder, const std::string& bareName, const WriterFileNames& names);
