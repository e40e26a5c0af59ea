// Opening a named file only when it is a regular file (or a link to one).
// A FIFO, socket, device or folder at the name is never waited on: the name
// is opened without blocking, the descriptor looked at with fstat, and
// anything but a regular file is closed again at once.
#pragma once

#include <cstdio>

// open(2) with these flags, then the check. Returns a blocking,
// close-on-exec descriptor, or -1 with errno: as open set it (ENOENT when
// nothing is at the name), EISDIR for a folder, ENXIO for any other kind
// of file.
int OpenRegularFile(const char* path, int flags, int createMode = 0600);

// fopen(3) with the same check and errno. Modes as fopen takes them: "r",
// "w" or "a", then any of "b", "+", "x" and "e".
FILE* FopenRegularFile(const char* path, const char* mode);

// Whether the name is a regular file or a link to one, found without
// opening it.
bool IsRegularFileName(const char* path);
