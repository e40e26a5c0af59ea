// The real-file search behind the stdio layer, and the program folder.
#pragma once

#include "platform/win32/wintypes.h"

#include <cstdio>
#include <string>

// Tries, in order, with the caller's mode: the name as passed; then, for a
// mode that only reads, the bare name in the program folder, in its
// "encoding/", "Resource/" and "Resource/CMap/" folders, and last the name
// as passed under the temporary folder (never for an absolute name). A mode
// that writes or creates ("w", "a" or "+" anywhere) stops after the first
// candidate. Only a regular file is opened (a FIFO or device at a name is
// passed over without waiting). Returns the first stream that opens, or null.
FILE* OpenResourceFile(const char* name, const char* mode);

// The path of the module "Pelmora.dll" when one is loaded, else that of the
// running program; returns its length. The first argument is not used.
unsigned long GetMyModuleFileName(int unused, char* buffer, unsigned long size);

// The most characters a module's path may hold, its end included: the
// system's own limit on a path.
constexpr unsigned long kMaxModulePath = 4096;

// The whole path of the module (null: the running program), read into
// kMaxModulePath characters; empty when it cannot be had or would be cut,
// for a cut path names another folder.
std::string ModulePath(HMODULE module);

// The folder of GetMyModuleFileName's path with a trailing separator;
// empty when the path cannot be had whole.
std::string ProgramFolder();
