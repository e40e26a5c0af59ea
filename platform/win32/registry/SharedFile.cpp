#include "platform/win32/registry/SharedFile.h"

#include "platform/win32/ContainingFolder.h"
#include "platform/win32/RegularFile.h"
#include "platform/win32/registry/SetAside.h"
#include "platform/win32/WriteAll.h"
#include "platform/win32/WriterFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
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

// An flock on "<path>.lock": the descriptor, or -1 with errno set (EAGAIN
// when another holder kept it past kSharedFileLockWait). The lock file is
// never a link or anything but a regular file. The wait polls, so a holder
// that is stopped or stuck holds no one up for longer than that.
int LockFile(const std::string& path, int operation, bool create)
{
    int fd = OpenRegularFile((path + ".lock").c_str(), (create ? O_CREAT : 0) | O_RDWR | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + kSharedFileLockWait;
    auto pause = std::chrono::milliseconds(1);
    while (flock(fd, operation | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            const int error = errno == EINTR ? EWOULDBLOCK : errno;
            close(fd);
            errno = error;
            return -1;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
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

// A rewrite's new copy: "<target>.new-<pid>-<number>", its writer's own.
const WriterFileNames kNewCopies = {".new-", ""};

bool ReplaceUnlocked(const std::string& target, const std::string& text)
{
    // What writers killed while they wrote left behind holds the settings
    // too, secrets among them.
    RemoveDeadWritersFiles(ContainingFolder(target) + "/", NameInFolder(target), kNewCopies);
    std::string temp;
    int fd = CreateWriterFile(target, kNewCopies, 0600, temp);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text.data(), text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && g_replaceHook)
        g_replaceHook();
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        errno = error;
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
    // Without a lock file (a folder we may not write) or with a holder that
    // keeps it, the read goes on unlocked: a rename-in-place never shows a
    // half-written file.
    int lock = LockFile(WriteTarget(path), LOCK_SH, false);
    SharedFileRead state = ReadUnlocked(path, text);
    if (lock >= 0)
        close(lock); // releases the lock
    return state;
}

// The lock is the target's, so a process naming the link and one naming
// the file it points to take the same one.
SharedFileUpdate::SharedFileUpdate(const std::string& path) : path_(path)
{
    if (path.empty() || !MakeFolders(ContainingFolder(path))) {
        lockError_ = errno;
        return;
    }
    target_ = WriteTarget(path);
    lockFd_ = LockFile(target_, LOCK_EX, true);
    lockError_ = lockFd_ >= 0 ? 0 : errno;
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
    return ReplaceUnlocked(target_, text);
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
