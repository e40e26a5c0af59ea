#include "engine/resources/PlainFiles.h"

#include "platform/win32/Folders.h"

#include <cstdio>

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
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
