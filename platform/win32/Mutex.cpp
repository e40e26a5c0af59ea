#include "platform/win32/Mutex.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// Byte 0 of the object's file carries a shared lock per open handle, byte 1
// the owner's exclusive lock. Open file description locks belong to the
// handle, not the process, so two handles in one process are two holders.
constexpr off_t kHandleByte = 0, kOwnerByte = 1;

bool Lock(int fd, off_t byte, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    int result;
    do
        result = fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    while (result != 0 && wait && errno == EINTR);
    return result == 0;
}

struct MutexObject : KernelObject {
    MutexObject(int fd, std::string path, bool owned) : fd(fd), path(std::move(path)), owned(owned) {}
    // The last handle to go removes the object's file.
    ~MutexObject() override {
        if (owned)
            Lock(fd, kOwnerByte, F_UNLCK, false);
        if (Lock(fd, kHandleByte, F_WRLCK, false))
            unlink(path.c_str());
        close(fd);
    }
    int fd;
    std::string path;
    bool owned;
};

bool IsOwnPrivateFolder(const std::string& folder)
{
    struct stat st;
    return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & 077) == 0;
}

// The user's folder of named objects, made on first use and readable by
// the user alone; "" when another user holds the name.
std::string ObjectFolder()
{
    struct stat shm;
    std::string base = stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) ? "/dev/shm" : "/tmp";
    std::string folder = base + "/win32-objects-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    return IsOwnPrivateFolder(folder) ? folder : "";
}

// Opens the object's file with a handle lock on it. A file that its last
// holder removed while this one waited for the lock is left for a new one.
int OpenHeldFile(const std::string& path)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return -1;
        struct stat held, named;
        if (Lock(fd, kHandleByte, F_RDLCK, true) && fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return fd;
        close(fd);
    }
    return -1;
}

}  // namespace

std::string NamedObjectPath(LPCSTR lpName) {
    if (!lpName || !*lpName)
        return "";
    std::string folder = ObjectFolder();
    if (folder.empty())
        return "";
    // One path component; "/" may stand in a Windows name.
    std::string name;
    for (const char* p = lpName; *p; p++)
        name += *p == '/' ? '_' : *p;
    if (name.size() > 250)
        return "";
    return folder + "/" + name + ".mutex";
}

HANDLE CreateMutexA(LPVOID lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName) {
    if (lpMutexAttributes)
        return nullptr;
    std::string path = NamedObjectPath(lpName);
    if (path.empty())
        return nullptr;
    int fd = OpenHeldFile(path);
    if (fd < 0)
        return nullptr;
    bool owned = bInitialOwner && Lock(fd, kOwnerByte, F_WRLCK, false);
    return static_cast<KernelObject*>(new MutexObject(fd, path, owned));
}

BOOL ReleaseMutex(HANDLE hMutex) {
    auto* mutex = dynamic_cast<MutexObject*>(static_cast<KernelObject*>(hMutex));
    if (!mutex || !mutex->owned)
        return FALSE;
    mutex->owned = false;
    return Lock(mutex->fd, kOwnerByte, F_UNLCK, false);
}
