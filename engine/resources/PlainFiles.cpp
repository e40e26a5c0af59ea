#include "engine/resources/PlainFiles.h"

#include <cstdio>
#include <sys/stat.h>

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    const std::string partial = path + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
