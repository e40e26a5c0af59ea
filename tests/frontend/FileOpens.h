// Counts the times a file is opened while the counter lives, through inotify:
//   FileOpens opens(path);
//   ... code under test ...
//   EXPECT_EQ(opens.Count(), 1);
// The watch follows the file's inode, so a file renamed over it is not seen.
// Closes are watched too: inotify merges an event with the one before it when
// they are alike, and a close between two opens keeps them apart.
#pragma once

#include <string>
#include <sys/inotify.h>
#include <unistd.h>

class FileOpens {
public:
    explicit FileOpens(const std::string& path)
    {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0 && inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE) < 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~FileOpens()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileOpens(const FileOpens&) = delete;
    FileOpens& operator=(const FileOpens&) = delete;

    // The opens seen so far; -1 when the file could not be watched.
    int Count()
    {
        if (fd_ < 0)
            return -1;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                if (reinterpret_cast<inotify_event*>(p)->mask & IN_OPEN)
                    ++count_;
        return count_;
    }

private:
    int fd_ = -1;
    int count_ = 0;
};
