// Output paths for converted files, and the search of folders for PDFs.
// Paths use "/" alone: "\\" is an ordinary character of a file name here.
#pragma once

#include "platform/win32/CString.h"
#include "platform/win32/wintypes.h"

#include <vector>

// The file that sourcePath converts into: title.ext in outDir, created when
// missing, or beside the source when outDir is empty or cannot be created.
// Unless overwrite is set, an existing name becomes title_2.ext, title_3.ext
// and so on up to the first free one.
CString MakeOutputPath(CString outDir, const char* sourcePath, const char* ext, BOOL overwrite);

// Appends every file of the folder (and with recurse of its sub-folders,
// depth first) whose name ends in "." + ext, ignoring case. Each folder's
// entries come in name order (byte order), a sub-folder's files where the
// sub-folder's name falls. Only regular files and links to them are found:
// no FIFO, socket or device. Recycle-bin and trash folders add nothing, and
// links to folders are not followed.
void ScanFolderForPdfs(CString folder, const char* ext, int recurse, std::vector<CString>& list);

// The output folder as the user typed it: the blanks around it go, and a
// leading "~" stands for the user's home folder, as in a shell.
CString OutputFolderPath(CString typed);

// Whether the folder is named from the root ("/..."), as the output folder
// must be: a relative one would land wherever the program was started.
bool IsFullPath(const CString& folder);

// TRUE when a file or folder of that name exists.
BOOL FileExists(const char* path);

// Creates the folder and every missing folder above it; TRUE when it exists
// afterwards.
BOOL CreateDirectoryTree(const char* path);

inline bool IsPathSeparator(char c)
{
    return c == '/';
}
