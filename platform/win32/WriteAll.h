// write(2) until every byte is written.
#pragma once

#include <cstddef>

// Writes the bytes whole, again after a signal or a short write; false at
// the first error (errno as write set it) or a write that makes no progress.
bool WriteAll(int fd, const void* data, size_t size);
