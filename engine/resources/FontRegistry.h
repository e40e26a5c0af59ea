// The system's installed-font list in the registry, and the Windows version
// that picks its key.
#pragma once

#include "platform/win32/registry/Registry.h"

// Size of the name and data buffers NextRegistryValue fills.
constexpr DWORD kRegistryTextSize = 259;

// The version code of the system's version record (1-7 for the Windows 95
// family, 101-104 for NT, 201 for CE; 104 for anything unknown).
int WindowsVersionCode(const OSVERSIONINFOA& version);

// Sets code (104 first) and writes the version's name into the buffer;
// returns 1, or 0 when the version record cannot be had.
int GetWindowsVersionName(char* name, int size, int* code);

// Walks one key's values with a process-wide key handle and index. A
// subkey opens it (read access) and reads the first value; no subkey reads
// the next; no subkey and no buffers closes it. Values whose name or data do
// not fit in kRegistryTextSize bytes are stepped over. Returns the registry
// status: 0 when a value was read into the buffers (kRegistryTextSize bytes
// each).
LONG NextRegistryValue(HKEY root, const char* subKey, char* valueName, char* valueData);

// The first value of the installed-font key whose name begins with the face
// name, ignoring case: its name and data, cut to the buffers. Returns 1
// when found, else 0.
int LookupFontFileInRegistry(const char* face, char* valueName, int valueNameSize, char* fileName, int fileNameSize);
