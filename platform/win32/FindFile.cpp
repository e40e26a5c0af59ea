#include "platform/win32/FindFile.h"

#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct FindSearch {
    std::string folder; // with trailing "/", or empty for the current folder
    std::vector<std::string> names;
    size_t next = 0;
};

bool HasWildcards(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

// Only "*" and "?" are wildcards, as on Windows: "[" stands for itself.
// "*.*" matches every name, with a dot or without.
std::string FnmatchPattern(const std::string& pattern)
{
    if (pattern == "*.*")
        return "*";
    std::string out;
    for (char c : pattern)
        out += c == '[' ? std::string("[[]") : std::string(1, c);
    return out;
}

std::vector<std::string> MatchingNames(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    if (!HasWildcards(pattern)) {
        struct stat st;
        if (stat((folder + pattern).c_str(), &st) == 0)
            names.push_back(pattern);
        return names;
    }
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    std::string match = FnmatchPattern(pattern);
    while (dirent* entry = readdir(dir))
        if (fnmatch(match.c_str(), entry->d_name, FNM_CASEFOLD | FNM_NOESCAPE) == 0)
            names.push_back(entry->d_name);
    closedir(dir);
    return names;
}

FILETIME ToFileTime(const timespec& t)
{
    // 100-nanosecond intervals since 1601-01-01.
    uint64_t ticks = (uint64_t(t.tv_sec) + 11644473600ull) * 10000000ull + uint64_t(t.tv_nsec) / 100;
    return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

bool Fill(const FindSearch& search, const std::string& name, WIN32_FIND_DATAA* data)
{
    struct stat st;
    if (name.size() >= MAX_PATH || stat((search.folder + name).c_str(), &st) != 0)
        return false;
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    struct stat link;
    if (lstat((search.folder + name).c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    data->ftCreationTime = ToFileTime(st.st_ctim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    data->nFileSizeHigh = DWORD(uint64_t(st.st_size) >> 32);
    data->nFileSizeLow = DWORD(st.st_size);
    std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
    return true;
}

bool FillNext(FindSearch& search, WIN32_FIND_DATAA* data)
{
    while (search.next < search.names.size())
        if (Fill(search, search.names[search.next++], data))
            return true;
    return false;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData)
{
    if (!lpFileName || !*lpFileName || !lpFindFileData)
        return INVALID_HANDLE_VALUE;
    std::string path = lpFileName;
    if (path.back() == '/')
        return INVALID_HANDLE_VALUE;
    auto* search = new FindSearch;
    size_t slash = path.rfind('/');
    search->folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    search->names = MatchingNames(search->folder, path.substr(slash + 1));
    if (!FillNext(*search, lpFindFileData)) {
        delete search;
        return INVALID_HANDLE_VALUE;
    }
    return search;
}

BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData)
{
    if (!hFindFile || hFindFile == INVALID_HANDLE_VALUE || !lpFindFileData)
        return FALSE;
    return FillNext(*static_cast<FindSearch*>(hFindFile), lpFindFileData);
}

BOOL FindClose(HANDLE hFindFile)
{
    if (!hFindFile || hFindFile == INVALID_HANDLE_VALUE)
        return FALSE;
    delete static_cast<FindSearch*>(hFindFile);
    return TRUE;
}
