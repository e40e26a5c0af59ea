#include "engine/resources/PlainFiles.h"

#include "engine/resources/PathParts.h"
#include "platform/win32/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The passing name of a writer: "<path>.<pid>-<number>.part".
std::string PassingName(const std::string& path, pid_t writer, unsigned long number)
{
    return path + "." + std::to_string(writer) + "-" + std::to_string(number) + ".part";
}

// The writer's process of a passing name of path's, or 0 when the entry is
// none.
pid_t WriterOf(const std::string& entry, const std::string& bareName)
{
    const std::string suffix = ".part";
    if (entry.size() <= bareName.size() + 1 + suffix.size() || entry.compare(0, bareName.size(), bareName) != 0 ||
        entry[bareName.size()] != '.' || entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    char* end = nullptr;
    long pid = std::strtol(entry.c_str() + bareName.size() + 1, &end, 10);
    return *end == '-' && pid > 0 ? pid_t(pid) : 0;
}

// Removes what writers of path that no longer run left half-written: a
// process killed while it wrote leaves its passing file behind.
void RemoveDeadWritersFiles(const std::string& path)
{
    const std::string folder = FolderOf(path), bareName = BareName(path);
    DIR* entries = opendir(folder.empty() ? "." : folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = readdir(entries)) {
        pid_t writer = WriterOf(entry->d_name, bareName);
        if (writer > 0 && ProcessIsGone(writer))
            unlink((folder + entry->d_name).c_str());
    }
    closedir(entries);
}

// A file of its own beside path, made here and now (O_EXCL): its
// descriptor, and its name in temp; -1 when none can be made.
int CreateUniqueFile(const std::string& path, std::string& temp)
{
    static thread_local std::minstd_rand random(std::random_device{}());
    for (int tries = 0; tries < 100; ++tries) {
        temp = PassingName(path, getpid(), random());
        int fd = open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    RemoveDeadWritersFiles(path);
    std::string partial;
    int fd = CreateUniqueFile(path, partial);
    if (fd < 0)
        return false;
    bool written = WriteAll(fd, data, size);
    written = close(fd) == 0 && written;
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        unlink(partial.c_str());
        return false;
    }
    return true;
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsSameFile(const std::string& one, const std::string& other)
{
    struct stat a, b;
    return stat(one.c_str(), &a) == 0 && stat(other.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool ProcessIsGone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH; // another user's live process gives EPERM
}
