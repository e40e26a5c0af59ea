#include "engine/resources/SkippedCollections.h"

#include <map>
#include <sys/stat.h>

namespace {

std::map<std::string, FileStamp> g_skipped;

bool operator==(const FileStamp& a, const FileStamp& b)
{
    return a.known && b.known && a.size == b.size && a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

} // namespace

FileStamp StampOf(const std::string& path)
{
    struct stat info;
    FileStamp stamp;
    if (stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.known = true;
    stamp.size = info.st_size;
    stamp.seconds = info.st_mtim.tv_sec;
    stamp.nanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}

bool IsSkippedCollection(const std::string& path)
{
    auto found = g_skipped.find(path);
    if (found == g_skipped.end())
        return false;
    if (found->second == StampOf(path))
        return true;
    g_skipped.erase(found);
    return false;
}

void RememberSkippedCollection(const std::string& path, const FileStamp& stamp)
{
    if (stamp.known)
        g_skipped[path] = stamp;
}
