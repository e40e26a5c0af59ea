#include "frontend/OutputNaming.h"

#include "platform/win32/CharCase.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/Folders.h"
#include "platform/win32/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

bool EndsWithSeparator(const CString& path)
{
    return !path.IsEmpty() && IsPathSeparator(path.GetAt(path.GetLength() - 1));
}

struct SplitPath {
    std::string drive, directory, title, extension;
};

// A drive ("C:"), the directory up to its last separator, the title up to
// its last dot, and the extension from that dot.
SplitPath Split(const std::string& path)
{
    SplitPath parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t lastSeparator = path.rfind('/');
    size_t nameStart = lastSeparator == std::string::npos || lastSeparator < start ? start : lastSeparator + 1;
    parts.directory = path.substr(start, nameStart - start);
    std::string name = path.substr(nameStart);
    size_t dot = name.rfind('.');
    parts.title = name.substr(0, dot);
    parts.extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return parts;
}

// The first of base.ext, base_2.ext, base_3.ext ... that does not exist.
std::string Numbered(const std::string& base, const char* ext, BOOL overwrite)
{
    std::string path = base + "." + ext;
    for (unsigned long n = 2; !overwrite && FileExists(path.c_str()); ++n)
        path = base + "_" + std::to_string(n) + "." + ext;
    return path;
}

// The path's folder names, lower-cased, in order.
std::vector<std::string> LowerComponents(const CString& path)
{
    std::string lower = path.Text();
    CharLowerA(lower.data());
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t at = 0; at <= lower.size(); ++at)
        if (at == lower.size() || IsPathSeparator(lower[at])) {
            if (at > start)
                names.push_back(lower.substr(start, at - start));
            start = at + 1;
        }
    return names;
}

// .Trash, or .Trash-<uid>, at the top of a drive.
bool IsDriveTrash(const std::string& name)
{
    if (name == ".trash")
        return true;
    const std::string prefix = ".trash-";
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + long(prefix.size()), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// A Windows drive's recycle bins, whatever their case.
bool IsRecycleBin(const std::string& name)
{
    return name == "recycled" || name == "recycler" || name == "$recycle.bin";
}

// Trash folders: Windows' recycle bins, and the desktop trash of this
// system (~/.local/share/Trash, and .Trash or .Trash-<uid> on other drives),
// wherever they are in the path.
bool IsTrashFolder(const CString& folder)
{
    const std::vector<std::string> names = LowerComponents(folder);
    for (size_t i = 0; i < names.size(); ++i) {
        if (IsRecycleBin(names[i]) || IsDriveTrash(names[i]))
            return true;
        if (i >= 2 && names[i] == "trash" && names[i - 1] == "share" && names[i - 2] == ".local")
            return true;
    }
    return false;
}

bool HasExtension(const char* name, const std::string& filter)
{
    size_t length = std::strlen(name);
    const char* tail = length > filter.size() ? name + length - filter.size() : name;
    return lstrcmpiA(tail, filter.c_str()) == 0;
}

struct FolderEntry {
    std::string name;
    bool isFolder, isLink;
};

// The folder's entries in the order Windows' file system lists them, by
// name; plain byte order stands in for its case-folded order here.
std::vector<FolderEntry> EntriesInNameOrder(const CString& folder)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(folder + "*.*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

} // namespace

CString OutputFolderPath(CString typed)
{
    const std::string text = typed.Trim().Text();
    if (text != "~" && text.rfind("~/", 0) != 0)
        return typed;
    const std::string home = HomeFolder();
    return home.empty() ? typed : CString(home + text.substr(1));
}

bool IsFullPath(const CString& folder)
{
    return !folder.IsEmpty() && folder.GetAt(0) == '/';
}

CString MakeOutputPath(CString outDir, const char* sourcePath, const char* ext, BOOL overwrite)
{
    // One separator goes, but the root "/" stays itself.
    if (EndsWithSeparator(outDir) && outDir.GetLength() > 1)
        outDir = outDir.Text().substr(0, size_t(outDir.GetLength() - 1));
    UINT driveType = GetDriveTypeA(outDir);
    bool isRoot = driveType >= DRIVE_REMOVABLE && driveType <= DRIVE_RAMDISK;
    if (!isRoot && !CreateDirectoryTree(outDir) && !outDir.IsEmpty())
        outDir.Empty();
    SplitPath source = Split(sourcePath ? sourcePath : "");
    if (!outDir.IsEmpty()) {
        if (!EndsWithSeparator(outDir))
            outDir += '/';
        return CString(Numbered(outDir.Text() + source.title, ext, overwrite));
    }
    return CString(Numbered(source.drive + source.directory + source.title, ext, overwrite));
}

void ScanFolderForPdfs(CString folder, const char* ext, int recurse, std::vector<CString>& list)
{
    std::string filter = std::string(".") + ext;
    if (!EndsWithSeparator(folder))
        folder += '/';
    if (IsTrashFolder(folder))
        return;
    for (const FolderEntry& entry : EntriesInNameOrder(folder)) {
        if (entry.isFolder && recurse) {
            // A link to a folder may lead back up the tree: never followed.
            if (!entry.isLink && entry.name != "." && entry.name != "..")
                ScanFolderForPdfs(folder + entry.name.c_str(), ext, recurse, list);
        } else if (!entry.isFolder && HasExtension(entry.name.c_str(), filter)) {
            const CString path = folder + entry.name.c_str();
            if (IsRegularFileName(path))
                list.push_back(path);
        }
    }
}

BOOL FileExists(const char* path)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);
    return TRUE;
}

BOOL CreateDirectoryTree(const char* path)
{
    if (!path)
        return FALSE;
    if (FileExists(path))
        return TRUE;
    std::string text = path;
    for (size_t slash = text.find('/'); slash != std::string::npos; slash = text.find('/', slash + 1)) {
        std::string prefix = text.substr(0, slash);
        if (!prefix.empty() && !FileExists(prefix.c_str()))
            CreateDirectoryA(prefix.c_str(), nullptr);
    }
    if (!FileExists(path))
        return CreateDirectoryA(path, nullptr);
    return TRUE;
}
