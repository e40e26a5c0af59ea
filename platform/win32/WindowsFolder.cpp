#include "platform/win32/WindowsFolder.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string WindowsFolder()
{
    if (const char* chosen = std::getenv("VANTREL_WINDOWS_DIR"); chosen && *chosen)
        return chosen;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::string(data) + "/vantrel/windows";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.local/share/vantrel/windows";
    return "";
}

} // namespace

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize)
{
    std::string folder = WindowsFolder();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty())
        return 0;
    if (!lpBuffer || folder.size() >= uSize)
        return UINT(folder.size() + 1);
    std::memcpy(lpBuffer, folder.c_str(), folder.size() + 1);
    return UINT(folder.size());
}
