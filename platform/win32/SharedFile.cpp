#include "platform/win32/SharedFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SharedFileReplaceHook g_replaceHook = nullptr;

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder)
{
    struct stat st;
    if (stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// An flock on "<path>.lock", released when the object goes.
class FileLock {
public:
    FileLock(const std::string& path, int operation, bool create)
    {
        fd_ = open((path + ".lock").c_str(), (create ? O_CREAT : 0) | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return;
        int result;
        do
            result = flock(fd_, operation);
        while (result != 0 && errno == EINTR);
        if (result != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            close(fd_); // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

SharedFileRead ReadUnlocked(const std::string& path, std::string& text)
{
    text.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? SharedFileRead::Missing : SharedFileRead::Failed;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || size_t(st.st_size) > kSharedFileMaxSize) {
        close(fd);
        return SharedFileRead::Failed;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || text.size() + size_t(n) > kSharedFileMaxSize) {
            close(fd);
            text.clear();
            return SharedFileRead::Failed;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
    }
    close(fd);
    return SharedFileRead::Read;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
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

bool ReplaceUnlocked(const std::string& path, const std::string& text)
{
    std::string temp = path + ".new";
    int fd = open(temp.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    // A leftover from a crash may carry other rights; the file holds secrets.
    bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && g_replaceHook)
        g_replaceHook();
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
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
    FileLock lock(path, LOCK_SH, false);
    return ReadUnlocked(path, text);
}

bool UpdateSharedFile(const std::string& path,
                      const std::function<bool(SharedFileRead state, std::string& text)>& change)
{
    if (path.empty() || !MakeFolders(FolderOf(path)))
        return false;
    FileLock lock(path, LOCK_EX, true);
    if (!lock.Held())
        return false;
    std::string text;
    SharedFileRead state = ReadUnlocked(path, text);
    if (!change(state, text))
        return false;
    if (text.size() > kSharedFileMaxSize)
        return false; // no later read would take it
    return ReplaceUnlocked(path, text);
}

bool SetSharedFileAside(const std::string& path)
{
    std::string aside = path + ".damaged";
    for (int n = 2; access(aside.c_str(), F_OK) == 0 || errno != ENOENT; ++n) {
        if (n > 1000)
            return false;
        aside = path + ".damaged-" + std::to_string(n);
    }
    return rename(path.c_str(), aside.c_str()) == 0;
}

SharedFileReplaceHook SetSharedFileReplaceHook(SharedFileReplaceHook hook)
{
    SharedFileReplaceHook previous = g_replaceHook;
    g_replaceHook = hook;
    return previous;
}
