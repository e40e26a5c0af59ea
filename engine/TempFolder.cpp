#include "engine/TempFolder.h"

#include "engine/LoadLeftovers.h"

#include "platform/win32/FindFile.h"
#include "platform/win32/Folders.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/Guid.h"
#include "platform/win32/TempFiles.h"

#include <cstdio>
#include <ctime>
#include <new>
#include <vector>

static CString GuidName()
{
    GUID guid = {};
    CoCreateGuid(&guid);
    WCHAR wide[255];
    int count = StringFromGUID2(guid, wide, 255);
    if (count <= 0)
        return CString();
    std::vector<char> name(size_t(count) * 2 + 2);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, name.data(), int(name.size()), nullptr, nullptr);
    return CString(name.data());
}

CString TempFolder()
{
    CString name = GuidName();
    if (name.IsEmpty()) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%ld", long(std::time(nullptr)));
        name = seconds;
    }
    CString path = TemporaryPath();
    if (path.IsEmpty())
        return CString(); // no folder, and none made elsewhere
    path = path + name + "/";
    if (CreateDirectoryA(path, nullptr)) // this folder only: a missing temporary path stays missing
        MarkLoadFolder(path.Text());
    return path;
}

CString TemporaryPath()
{
    char buffer[255] = "";
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer)
        return CString();
    CString path = buffer;
    if (path.GetAt(path.GetLength() - 1) != '/')
        path += '/';
    return path;
}

int TempFolderReady(CString folder)
{
    if (folder.IsEmpty())
        return 0;
    if (CreateDirectoryA(folder, nullptr))
        MarkLoadFolder(folder.Text()); // made again: marked again
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int PathExists(CString path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

int CreateFolderTree(CString path)
{
    try {
        if (PathExists(path))
            return 1;
        CString prefix;
        for (int i = 0; i < path.GetLength(); ++i) {
            char c = path.GetAt(i);
            if (c == '/' && !PathExists(prefix))
                CreateDirectoryA(prefix, nullptr);
            prefix += c;
        }
        if (!PathExists(path))
            return CreateDirectoryA(path, nullptr) ? 1 : 0;
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
