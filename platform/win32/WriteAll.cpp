#include "platform/win32/WriteAll.h"

#include <cerrno>
#include <unistd.h>

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}
