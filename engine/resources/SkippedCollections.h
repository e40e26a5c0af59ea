// Collections whose split made no first face for reasons in their own bytes
// (no collection, too large, a first face that is damaged or larger than the
// collection). Each is remembered with the size and change time it had, in
// the process and in a small file "<collection>.skipped" beside it, so that
// later conversions and later starts do not read it again while it stays
// the same. A split that failed to write is never remembered: it is tried
// again, as a missing first face asks.
#pragma once

#include <string>

// The file's size and change time, or none when it cannot be looked at.
struct FileStamp {
    bool known = false;
    long long size = 0, seconds = 0, nanoseconds = 0;
};

FileStamp StampOf(const std::string& path);

// Whether the collection was remembered and still carries that stamp.
bool IsSkippedCollection(const std::string& path);

// Remembers the collection under the stamp it had before it was read; an
// unknown stamp remembers nothing.
void RememberSkippedCollection(const std::string& path, const FileStamp& stamp);

// Drops what was remembered of the collection: it is split now.
void ForgetSkippedCollection(const std::string& path);
