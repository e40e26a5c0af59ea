#include "platform/win32/registry/SharedFile.h"

#include "platform/win32/ContainingFolder.h"
#include "platform/win32/RegularFile.h"
#include "platform/win32/registry/SetAside.h"
#include "platform/win32/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SharedFileReplaceHook g_replaceHook = nullptr;

bool MakeFolders(const std::string& folder)
{
    struct stat st;
    if (stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = ContainingFolder(folder);
    if (parent != folder && !MakeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The file a rewrite replaces: the path, or the file its chain of symbolic
// links ends at (which need not exist yet).
std::string WriteTarget(const std::string& path)
{
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        ssize_t n = readlink(target.c_str(), link, sizeof link);
        if (n <= 0 || size_t(n) >= sizeof link)
            return target;
        std::string next(link, size_t(n));
        target = next[0] == '/' ? next : ContainingFolder(target) + "/" + next;
    }
    return path; // a loop: no read gets through it either
}

// An flock on "<path>.lock": the descriptor, or -1. The lock file is never
// a link or anything but a regular file.
int LockFile(const std::string& path, int operation, bool create)
{
    int fd = OpenRegularFile((path + ".lock").c_str(), (create ? O_CREAT : 0) | O_RDWR | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    int result;
    do
        result = flock(fd, operation);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads up to limit bytes after what text holds; false on a read error.
// Sets more when the file holds more than that.
bool ReadUpTo(int fd, size_t limit, std::string& text, bool& more)
{
    char buffer[65536];
    more = false;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (text.size() + size_t(n) > limit) {
            text.append(buffer, limit - text.size());
            more = true;
            return true;
        }
        text.append(buffer, size_t(n));
    }
}

SharedFileRead ReadUnlocked(const std::string& path, std::string& text)
{
    text.clear();
    int fd = OpenRegularFile(path.c_str(), O_RDONLY);
    if (fd < 0)
        return errno == ENOENT ? SharedFileRead::Missing : SharedFileRead::Failed;
    struct stat st;
    bool more = false;
    bool read = fstat(fd, &st) == 0;
    const bool oversized = read && size_t(st.st_size) > kSharedFileMaxSize;
    if (read)
        read = ReadUpTo(fd, oversized ? kSharedFileHeadSize : kSharedFileMaxSize, text, more);
    close(fd);
    if (!read) {
        text.clear();
        return SharedFileRead::Failed;
    }
    if (!oversized && !more)
        return SharedFileRead::Read;
    text.resize(std::min(text.size(), kSharedFileHeadSize));
    return SharedFileRead::Oversized;
}

bool SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

// Opens "<target>.new" to write, naming it in temp. Whatever a crash or
// another program left there that is no regular file is removed; when that
// cannot be done (a folder with files in it), a name of our own beside it
// is made instead.
int OpenNewFile(const std::string& target, std::string& temp)
{
    temp = target + ".new";
    const int flags = O_CREAT | O_TRUNC | O_WRONLY | O_NOFOLLOW;
    int fd = OpenRegularFile(temp.c_str(), flags);
    if (fd >= 0 || (errno != ENXIO && errno != EISDIR && errno != ELOOP))
        return fd;
    if (unlink(temp.c_str()) == 0 || rmdir(temp.c_str()) == 0)
        if ((fd = OpenRegularFile(temp.c_str(), flags)) >= 0)
            return fd;
    temp = target + ".new-XXXXXX";
    return mkostemp(temp.data(), O_CLOEXEC);
}

bool ReplaceUnlocked(const std::string& target, const std::string& text)
{
    std::string temp;
    int fd = OpenNewFile(target, temp);
    if (fd < 0)
        return false;
    // A leftover from a crash may carry other rights; the file holds secrets.
    bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, text.data(), text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && g_replaceHook)
        g_replaceHook();
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(ContainingFolder(target));
    return true;
}

} // namespace

std::string UserConfigFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/vantrel";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    return home && *home ? std::string(home) + "/.config/vantrel" : std::string();
}

SharedFileRead ReadSharedFile(const std::string& path, std::string& text)
{
    // Without a lock file (a folder we may not write) the read goes on
    // unlocked: a rename-in-place never shows a half-written file.
    int lock = LockFile(path, LOCK_SH, false);
    SharedFileRead state = ReadUnlocked(path, text);
    if (lock >= 0)
        close(lock); // releases the lock
    return state;
}

SharedFileUpdate::SharedFileUpdate(const std::string& path) : path_(path)
{
    if (path.empty() || !MakeFolders(ContainingFolder(path)))
        return;
    lockFd_ = LockFile(path, LOCK_EX, true);
    if (lockFd_ >= 0)
        state_ = ReadUnlocked(path, text_);
}

SharedFileUpdate::~SharedFileUpdate()
{
    if (lockFd_ >= 0)
        close(lockFd_); // releases the lock
}

bool SharedFileUpdate::SetAside()
{
    return Held() && SetSharedFileAside(path_);
}

bool SharedFileUpdate::Replace(const std::string& text)
{
    if (!Held() || text.size() > kSharedFileMaxSize)
        return false; // no later read would take it
    return ReplaceUnlocked(WriteTarget(path_), text);
}

bool UpdateSharedFile(const std::string& path,
                      const std::function<bool(SharedFileRead state, std::string& text)>& change)
{
    SharedFileUpdate update(path);
    if (!update.Held() || !change(update.State(), update.Text()))
        return false;
    return update.Replace(update.Text());
}

bool SetSharedFileAside(const std::string& path)
{
    return SetFileAside(WriteTarget(path), ".damaged", kSharedFileKeptCopies);
}

SharedFileReplaceHook SetSharedFileReplaceHook(SharedFileReplaceHook hook)
{
    SharedFileReplaceHook previous = g_replaceHook;
    g_replaceHook = hook;
    return previous;
}
