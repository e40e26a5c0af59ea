#include "engine/LoadLeftovers.h"

#include "engine/resources/CoreData.h"
#include "engine/resources/PathParts.h"
#include "engine/resources/PlainFiles.h"
#include "platform/win32/WriterFiles.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const markPrefix = "load.";
const char* const picturePrefix = "tpf";
const char* const coreData = "coredata";

std::string MarkName(pid_t pid)
{
    return markPrefix + std::to_string(pid);
}

// The process of a load's mark, or 0 when the entry is none.
pid_t MarkedProcess(const std::string& entry)
{
    const size_t prefix = std::char_traits<char>::length(markPrefix);
    if (entry.size() <= prefix || entry.compare(0, prefix, markPrefix) != 0)
        return 0;
    char* end = nullptr;
    long pid = std::strtol(entry.c_str() + prefix, &end, 10);
    return *end == '\0' && pid > 0 ? pid_t(pid) : 0;
}

bool IsOwnFolder(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* entries = opendir(folder.c_str());
    if (!entries)
        return names;
    while (const dirent* entry = readdir(entries))
        if (std::string name = entry->d_name; name != "." && name != "..")
            names.push_back(name);
    closedir(entries);
    return names;
}

// The process whose load the folder is, when it is marked as one and
// holds only what a load makes; 0 otherwise.
pid_t LoadOf(const std::string& folder, const std::vector<std::string>& names)
{
    pid_t load = 0;
    for (const std::string& name : names) {
        if (pid_t marked = MarkedProcess(name); marked > 0 && load == 0)
            load = marked;
        else if (name != coreData && name.rfind(picturePrefix, 0) != 0)
            return 0;
    }
    return IsOwnFolder(folder) ? load : 0;
}

// Removes the picture beside the folder when it is the linked file itself,
// then the link.
void RemoveLinkedPicture(const std::string& tempPath, const std::string& link, const std::string& name)
{
    struct stat linked, picture;
    const std::string path = tempPath + name;
    if (lstat(link.c_str(), &linked) == 0 && S_ISREG(linked.st_mode) && lstat(path.c_str(), &picture) == 0 &&
        S_ISREG(picture.st_mode) && picture.st_dev == linked.st_dev && picture.st_ino == linked.st_ino)
        unlink(path.c_str());
    unlink(link.c_str());
}

void RemoveDeadLoad(const std::string& tempPath, const std::string& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        if (name == coreData)
            RemoveCoreDataFolder(folder + coreData);
        else if (MarkedProcess(name) == 0)
            RemoveLinkedPicture(tempPath, folder + name, name);
    }
    for (const std::string& name : names)
        if (MarkedProcess(name) > 0)
            unlink((folder + name).c_str());
    rmdir(folder.c_str());
}

// Per-load folders are named by a GUID in braces, or by the time in seconds.
bool MayBeLoadFolder(const std::string& name)
{
    if (name.size() > 2 && name.front() == '{' && name.back() == '}')
        return true;
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

bool MarkLoadFolder(const std::string& folder)
{
    const std::string mark = folder + MarkName(getpid());
    int fd = open(mark.c_str(), O_CREAT | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

void UnmarkLoadFolder(const std::string& folder)
{
    unlink((folder + MarkName(getpid())).c_str());
}

bool MarkPicture(const std::string& folder, const std::string& picture)
{
    if (folder.empty())
        return false;
    const std::string mark = folder + BareName(picture);
    unlink(mark.c_str()); // one of this load's own, left by a removal that failed
    return link(picture.c_str(), mark.c_str()) == 0;
}

void UnmarkPicture(const std::string& folder, const std::string& picture)
{
    if (!folder.empty())
        unlink((folder + BareName(picture)).c_str());
}

void RemoveDeadLoadsLeftovers(const std::string& tempPath)
{
    if (tempPath.empty())
        return;
    for (const std::string& name : EntriesOf(tempPath)) {
        if (!MayBeLoadFolder(name))
            continue;
        const std::string folder = tempPath + name + "/";
        const std::vector<std::string> names = EntriesOf(folder);
        pid_t load = LoadOf(tempPath + name, names);
        if (load > 0 && load != getpid() && ProcessIsGone(load))
            RemoveDeadLoad(tempPath, folder, names);
    }
}
