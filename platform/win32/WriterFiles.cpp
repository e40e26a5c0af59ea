#include "platform/win32/WriterFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <unistd.h>

namespace {

bool EndsWith(const std::string& text, const char* end)
{
    const size_t size = std::strlen(end);
    return text.size() >= size && text.compare(text.size() - size, size, end) == 0;
}

// The writer's process of one of bareName's writer files, or 0 when the
// entry is none.
pid_t WriterOf(const std::string& entry, const std::string& bareName, const WriterFileNames& names)
{
    const std::string start = bareName + names.mark;
    if (entry.size() <= start.size() + std::strlen(names.tail) || entry.compare(0, start.size(), start) != 0 ||
        !EndsWith(entry, names.tail))
        return 0;
    const char* pid = entry.c_str() + start.size();
    if (*pid < '1' || *pid > '9')
        return 0;
    char* end = nullptr;
    long number = std::strtol(pid, &end, 10);
    return *end == '-' && number > 0 ? pid_t(number) : 0;
}

} // namespace

int CreateWriterFile(const std::string& path, const WriterFileNames& names, mode_t mode, std::string& temp)
{
    static thread_local std::minstd_rand random(std::random_device{}());
    for (int tries = 0; tries < 100; ++tries) {
        temp = path + names.mark + std::to_string(getpid()) + "-" + std::to_string(random()) + names.tail;
        int fd = open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool ProcessIsGone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH; // another user's live process gives EPERM
}

void RemoveDeadWritersFiles(const std::string& folder, const std::string& bareName, const WriterFileNames& names)
{
    DIR* entries = opendir(folder.empty() ? "." : folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = readdir(entries)) {
        pid_t writer = WriterOf(entry->d_name, bareName, names);
        if (writer > 0 && ProcessIsGone(writer))
            unlink((folder + entry->d_name).c_str());
    }
    closedir(entries);
}
