#include "engine/resources/SkippedCollections.h"

#include "engine/resources/PlainFiles.h"
#include "platform/win32/RegularFile.h"

#include <cstdio>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::map<std::string, FileStamp> g_skipped;

bool operator==(const FileStamp& a, const FileStamp& b)
{
    return a.known && b.known && a.size == b.size && a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

std::string MarkerOf(const std::string& path)
{
    return path + ".skipped";
}

std::string StampText(const FileStamp& stamp)
{
    return std::to_string(stamp.size) + " " + std::to_string(stamp.seconds) + " " + std::to_string(stamp.nanoseconds) +
           "\n";
}

// Whether an earlier process left the marker for the collection as it is.
bool IsMarkedSkipped(const std::string& path, const FileStamp& stamp)
{
    FILE* marker = FopenRegularFile(MarkerOf(path).c_str(), "rb");
    if (!marker)
        return false;
    char text[128];
    size_t length = std::fread(text, 1, sizeof text, marker);
    std::fclose(marker);
    return stamp.known && std::string(text, length) == StampText(stamp);
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
    const FileStamp stamp = StampOf(path);
    auto found = g_skipped.find(path);
    if (found != g_skipped.end() && found->second == stamp)
        return true;
    if (found != g_skipped.end())
        g_skipped.erase(found);
    if (!IsMarkedSkipped(path, stamp))
        return false;
    g_skipped[path] = stamp;
    return true;
}

void RememberSkippedCollection(const std::string& path, const FileStamp& stamp)
{
    if (!stamp.known)
        return;
    g_skipped[path] = stamp;
    const std::string text = StampText(stamp);
    WriteWholeFile(MarkerOf(path), text.data(), text.size()); // without it, only this process remembers
}

void ForgetSkippedCollection(const std::string& path)
{
    g_skipped.erase(path);
    unlink(MarkerOf(path).c_str());
}
