// The temporary pictures of a conversion: named in the system's temporary
// folder, kept until the program has run, then deleted together.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/wintypes.h"

extern std::vector<std::string> g_tempFiles;

// Makes a fresh name like /tmp/tpf1A2B.tmp.png, claims it as an empty file,
// links it into this load's folder and records it. Returns the name's length, 0 when no name fits the buffer.
DWORD MakeTempFileName(DWORD bufferSize, char* buffer, const char* extension);

// Deletes every recorded file and its link; failures are ignored.
void DeleteTempFiles();
