#include "engine/resources/FontsFolder.h"

#include "engine/resources/PathParts.h"
#include "platform/win32/WindowsFolder.h"

std::string WindowsFontsFolder()
{
    char folder[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return "";
    return WithSeparator(folder) + "fonts/";
}
