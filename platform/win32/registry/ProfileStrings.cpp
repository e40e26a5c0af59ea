#include "platform/win32/registry/ProfileStrings.h"

#include "platform/win32/registry/SharedFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct IniFile {
    std::vector<std::string> lines;
    bool crlf = false;
};

const char kBlanks[] = " \t";

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

std::string IniPath(LPCSTR fileName)
{
    if (!fileName || !*fileName)
        return {};
    if (std::strchr(fileName, '/'))
        return fileName;
    std::string folder = UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/" + fileName;
}

bool Parse(SharedFileRead state, const std::string& text, IniFile& ini)
{
    if (state == SharedFileRead::Missing)
        return true;
    if (state != SharedFileRead::Read || text.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            ini.crlf = true;
        }
        ini.lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

bool Load(const std::string& path, IniFile& ini)
{
    std::string text;
    return !path.empty() && Parse(ReadSharedFile(path, text), text, ini);
}

std::string Format(const IniFile& ini)
{
    std::string text;
    for (const std::string& line : ini.lines)
        text += line + (ini.crlf ? "\r\n" : "\n");
    return text;
}

bool SectionHeader(const std::string& line, std::string& name)
{
    std::string trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trimmed(trimmed.substr(1, close - 1));
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value)
{
    std::string trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[')
        return false;
    size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trimmed(line.substr(0, equals));
    value = Trimmed(line.substr(equals + 1));
    return true;
}

// The lines [first, last) of a section, its header at first; first is npos
// when it is missing.
struct SectionRange {
    size_t first = std::string::npos;
    size_t last = 0;
};

SectionRange FindSection(const IniFile& ini, const char* section)
{
    SectionRange range;
    std::string name;
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        if (!SectionHeader(ini.lines[i], name))
            continue;
        if (range.first != std::string::npos) {
            range.last = i;
            return range;
        }
        if (SameName(name, section))
            range.first = i;
    }
    range.last = ini.lines.size();
    return range;
}

// The line of the key inside the section, or npos.
size_t FindKey(const IniFile& ini, const SectionRange& range, const char* keyName, std::string* value)
{
    if (range.first == std::string::npos)
        return std::string::npos;
    std::string key, text;
    for (size_t i = range.first + 1; i < range.last; ++i)
        if (KeyLine(ini.lines[i], key, text) && SameName(key, keyName)) {
            if (value)
                *value = text;
            return i;
        }
    return std::string::npos;
}

std::string Unquoted(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Names, each ended by a NUL, then one more NUL; a list that does not fit
// is cut and still ends in two NULs.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size)
{
    std::string list;
    for (const std::string& name : names)
        list += name + '\0';
    if (list.size() < size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = 0;
        return DWORD(list.size());
    }
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = 0;
    return size - 2;
}

DWORD CopyText(const std::string& text, LPSTR buffer, DWORD size)
{
    if (size == 0)
        return 0;
    DWORD n = DWORD(std::min<size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return n;
}

std::vector<std::string> SectionNames(const IniFile& ini)
{
    std::vector<std::string> names;
    std::string name;
    for (const std::string& line : ini.lines)
        if (SectionHeader(line, name))
            names.push_back(name);
    return names;
}

std::vector<std::string> KeyNames(const IniFile& ini, const SectionRange& range)
{
    std::vector<std::string> names;
    std::string key, value;
    if (range.first != std::string::npos)
        for (size_t i = range.first + 1; i < range.last; ++i)
            if (KeyLine(ini.lines[i], key, value))
                names.push_back(key);
    return names;
}

// Returns false when nothing changes.
bool Change(IniFile& ini, LPCSTR section, LPCSTR keyName, LPCSTR text)
{
    SectionRange range = FindSection(ini, section);
    if (!keyName) {
        if (range.first == std::string::npos)
            return false;
        ini.lines.erase(ini.lines.begin() + long(range.first), ini.lines.begin() + long(range.last));
        return true;
    }
    size_t line = FindKey(ini, range, keyName, nullptr);
    if (!text) {
        if (line == std::string::npos)
            return false;
        ini.lines.erase(ini.lines.begin() + long(line));
        return true;
    }
    std::string entry = std::string(keyName) + "=" + text;
    if (line != std::string::npos) {
        ini.lines[line] = entry;
    } else if (range.first != std::string::npos) {
        ini.lines.insert(ini.lines.begin() + long(range.last), entry);
    } else {
        ini.lines.push_back("[" + std::string(section) + "]");
        ini.lines.push_back(entry);
    }
    return true;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    IniFile ini;
    bool loaded = Load(IniPath(lpFileName), ini);
    if (!lpAppName)
        return CopyList(loaded ? SectionNames(ini) : std::vector<std::string>(), lpReturnedString, nSize);
    SectionRange range = FindSection(ini, lpAppName);
    if (!lpKeyName)
        return CopyList(KeyNames(ini, range), lpReturnedString, nSize);
    std::string value;
    if (FindKey(ini, range, lpKeyName, &value) == std::string::npos)
        value = Trimmed(lpDefault ? lpDefault : "");
    return CopyText(Unquoted(value), lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    IniFile ini;
    std::string value;
    if (!lpAppName || !lpKeyName || !Load(IniPath(lpFileName), ini) ||
        FindKey(ini, FindSection(ini, lpAppName), lpKeyName, &value) == std::string::npos ||
        Unquoted(value).empty())
        return UINT(nDefault);
    value = Unquoted(value);
    size_t i = 0;
    bool negative = value[0] == '-';
    if (value[0] == '-' || value[0] == '+')
        ++i;
    uint32_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = number * 10u + uint32_t(value[i] - '0');
    return negative ? 0u - number : number;
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    std::string path = IniPath(lpFileName);
    if (!lpAppName || path.empty())
        return FALSE;
    bool unchanged = false;
    bool written = UpdateSharedFile(path, [&](SharedFileRead state, std::string& text) {
        IniFile ini;
        if (!Parse(state, text, ini))
            return false;
        unchanged = !Change(ini, lpAppName, lpKeyName, lpString);
        text = Format(ini);
        return !unchanged;
    });
    return written || unchanged;
}
