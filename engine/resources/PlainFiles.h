// Plain files as the engine tests and writes them.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// Writes the bytes under a passing name of this writer's own beside the
// path, then puts the file in place, so that the path holds either the
// whole new file or what it held before, whoever else writes it at once.
// What writers of the path that no longer run left half-written is removed.
// Returns whether the file was put in place.
bool WriteWholeFile(const std::string& path, const void* data, size_t size);

// Whether the path names an existing regular file (through links): not a
// folder, and not a pipe or device that a read would hang on or never end.
bool IsFile(const std::string& path);

// Whether both paths name one existing file (the same device and inode),
// through links and however each is spelt.
bool IsSameFile(const std::string& one, const std::string& other);
