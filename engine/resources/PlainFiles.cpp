#include "engine/resources/PlainFiles.h"

#include "platform/win32/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file of its own beside path, made here and now (O_EXCL): its
// descriptor, and its name in temp; -1 when none can be made.
int CreateUniqueFile(const std::string& path, std::string& temp)
{
    static thread_local std::minstd_rand random(std::random_device{}());
    for (int tries = 0; tries < 100; ++tries) {
        temp = path + "." + std::to_string(getpid()) + "-" + std::to_string(random()) + ".part";
        int fd = open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
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
