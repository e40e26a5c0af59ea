// Telling whether a file was written at a path during a stretch of work.
#pragma once

#include <string>
#include <sys/types.h>

class OutputWatch {
public:
    // Notes what is at the path now.
    explicit OutputWatch(const std::string& path);

    // True when a file is there now and it is new or changed since.
    bool Written() const;

private:
    struct State {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modified = 0; // nanoseconds
        long long changed = 0;
    };
    static State Read(const std::string& path);

    std::string path_;
    State before_;
};
