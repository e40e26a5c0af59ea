// The per-load temporary folder: a freshly named folder under the system's
// temporary path.
#pragma once

#include "platform/win32/CString.h"

// Creates <temporary path><GUID text>/, marked as this process's load, and
// returns its path, trailing "/" included. The name is the current time in
// seconds when no GUID text can be made. Empty, with nothing created, when
// there is no temporary path.
// Nothing is made above the folder: under a temporary path that does not
// exist, the path is returned and no folder is there.
CString TempFolder();

// The system's temporary path with a trailing "/"; empty when there is none
// or it does not fit 255 characters.
CString TemporaryPath();

// 1 when the folder (with its trailing "/") is there, made again (and
// marked again) when something removed it (never the folders above it); 0
// when it cannot be, or the path is empty.
int TempFolderReady(CString folder);

// Creates every missing folder level of the path; 0 when the last step
// fails (as it does for a path with a trailing "/"), else 1.
int CreateFolderTree(CString path);

// 1 when the path names an existing file or folder.
int PathExists(CString path);
