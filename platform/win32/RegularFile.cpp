#include "platform/win32/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The open(2) flags of an fopen mode, or -1 for a mode fopen refuses.
int FlagsOfMode(const char* mode)
{
    int flags;
    switch (mode[0]) {
    case 'r': flags = 0; break;
    case 'w': flags = O_CREAT | O_TRUNC; break;
    case 'a': flags = O_CREAT | O_APPEND; break;
    default: return -1;
    }
    bool update = std::strchr(mode + 1, '+') != nullptr;
    flags |= update ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
    if (mode[0] != 'r' && std::strchr(mode + 1, 'x'))
        flags |= O_EXCL;
    return flags;
}

// fdopen's mode: the first letter and "+", which is all it reads.
void FdopenMode(const char* mode, char (&out)[3])
{
    out[0] = mode[0];
    out[1] = std::strchr(mode + 1, '+') ? '+' : '\0';
    out[2] = '\0';
}

} // namespace

int OpenRegularFile(const char* path, int flags, int createMode)
{
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    int fd;
    do
        fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, createMode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        int error = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        close(fd);
        errno = error;
        return -1;
    }
    if ((flags & O_NONBLOCK) == 0) {
        int status = fcntl(fd, F_GETFL);
        if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
            int error = errno;
            close(fd);
            errno = error;
            return -1;
        }
    }
    return fd;
}

FILE* FopenRegularFile(const char* path, const char* mode)
{
    int flags = mode ? FlagsOfMode(mode) : -1;
    if (flags < 0) {
        errno = EINVAL;
        return nullptr;
    }
    int fd = OpenRegularFile(path, flags, 0666);
    if (fd < 0)
        return nullptr;
    char fdMode[3];
    FdopenMode(mode, fdMode);
    FILE* file = fdopen(fd, fdMode);
    if (!file) {
        int error = errno;
        close(fd);
        errno = error;
    }
    return file;
}

bool IsRegularFileName(const char* path)
{
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}
