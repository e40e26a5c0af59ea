#include "engine/resources/PlainFiles.h"

#include "engine/resources/PathParts.h"
#include "platform/win32/WriteAll.h"
#include "platform/win32/WriterFiles.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A writer's passing name: "<path>.<pid>-<number>.part".
const WriterFileNames kPassingNames = {".", ".part"};

} // namespace

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    RemoveDeadWritersFiles(FolderOf(path), BareName(path), kPassingNames);
    std::string partial;
    int fd = CreateWriterFile(path, kPassingNames, 0666, partial);
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
