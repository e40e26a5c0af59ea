#include "engine/resources/PathParts.h"

namespace {

size_t NameStart(const std::string& path)
{
    size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? 0 : last + 1;
}

} // namespace

std::string FolderOf(const std::string& path)
{
    return path.substr(0, NameStart(path));
}

std::string BareName(const std::string& path)
{
    return path.substr(NameStart(path));
}

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}
