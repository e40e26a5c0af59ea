#include "platform/win32/registry/Registry.h"

#include "platform/win32/registry/FontKey.h"
#include "platform/win32/registry/RegistryChangeScope.h"
#include "platform/win32/registry/RegistryHive.h"
#include "platform/win32/registry/RegistryReadScope.h"
#include "platform/win32/registry/SharedFile.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>

namespace {

// What a handle names: a root, the path below it and the access it was
// opened with. Handles are checked against the set of open ones.
struct OpenKey {
    HKEY root;
    std::vector<std::string> path;
    REGSAM access;
};

std::mutex g_mutex; // guards the handle set and the machine hive
std::set<OpenKey*> g_openKeys;
RegistryKey g_machineHive;

// The machine hive, its installed-font key filled at first use. The caller
// holds g_mutex.
RegistryKey& MachineHive()
{
    static bool filled = false;
    if (!filled) {
        filled = true;
        FillFontKey(g_machineHive);
    }
    return g_machineHive;
}

bool IsRoot(HKEY key)
{
    return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

bool Resolve(HKEY key, OpenKey& out)
{
    if (IsRoot(key)) {
        out = OpenKey{key, {}, KEY_ALL_ACCESS};
        return true;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_openKeys.find(reinterpret_cast<OpenKey*>(key));
    if (found == g_openKeys.end())
        return false;
    out = **found;
    return true;
}

HKEY NewHandle(OpenKey key)
{
    auto* handle = new OpenKey(std::move(key));
    std::lock_guard<std::mutex> lock(g_mutex);
    g_openKeys.insert(handle);
    return reinterpret_cast<HKEY>(handle);
}

// Runs a look at the hive the key lives in.
using HiveReader = std::function<LONG(RegistryKey& root)>;
// Runs a change; sets changed when the hive is to be written back.
using HiveWriter = std::function<LONG(RegistryKey& root, bool& changed)>;

LONG ReadHive(HKEY root, const HiveReader& reader)
{
    if (root == HKEY_LOCAL_MACHINE) {
        std::lock_guard<std::mutex> lock(g_mutex);
        return reader(MachineHive());
    }
    RegistryKey unscoped;
    return reader(ReadUserHive(UserRegistryPath(), unscoped));
}

LONG WriteHive(HKEY root, const HiveWriter& writer)
{
    bool changed = false;
    if (root == HKEY_LOCAL_MACHINE) {
        std::lock_guard<std::mutex> lock(g_mutex);
        return writer(MachineHive(), changed);
    }
    RegistryChangeScope scope; // this change alone, or a part of the thread's
    UserHiveChange* tree = CurrentUserHiveChange(UserRegistryPath());
    if (!tree)
        return ERROR_ACCESS_DENIED;
    if (!tree->usable) {
        tree->refused = true;
        return ERROR_ACCESS_DENIED;
    }
    LONG result = writer(tree->hive, changed);
    tree->changed = tree->changed || changed;
    if (changed && !scope.Save())
        return ERROR_ACCESS_DENIED;
    return result;
}

std::vector<std::string> Joined(const std::vector<std::string>& path, LPCSTR subKey)
{
    std::vector<std::string> joined = path;
    for (std::string& name : SplitKeyPath(subKey ? subKey : ""))
        joined.push_back(std::move(name));
    return joined;
}

// The checks both ways of opening a key begin with: the parent key and the
// path of the key below the root.
LONG StartOpen(HKEY hKey, LPCSTR subKey, PHKEY result, OpenKey& parent, std::vector<std::string>& path)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (!Resolve(hKey, parent))
        return ERROR_INVALID_HANDLE;
    path = Joined(parent.path, subKey);
    return ERROR_SUCCESS;
}

LONG CreateAlong(RegistryKey& root, const OpenKey& parent, const std::vector<std::string>& path,
                 bool& created)
{
    RegistryKey* key = root.Descend(parent.path);
    if (!key)
        return ERROR_KEY_DELETED;
    for (size_t i = parent.path.size(); i < path.size(); ++i) {
        RegistryKey* next = key->Subkey(path[i]);
        if (!next) {
            if (!(parent.access & KEY_CREATE_SUB_KEY))
                return ERROR_ACCESS_DENIED;
            next = &key->AddSubkey(path[i]);
            created = true;
        }
        key = next;
    }
    return ERROR_SUCCESS;
}

// Copies bytes into a caller's buffer of *size bytes, or reports the size.
LONG CopyData(const std::string& data, LPBYTE buffer, LPDWORD size)
{
    if (!size)
        return buffer ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    DWORD capacity = *size;
    *size = DWORD(data.size());
    if (!buffer)
        return ERROR_SUCCESS;
    if (capacity < data.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, data.data(), data.size());
    return ERROR_SUCCESS;
}

} // namespace

std::string UserRegistryPath()
{
    if (const char* file = std::getenv("VANTREL_REGISTRY"); file && *file)
        return file;
    std::string folder = UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/registry";
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                     const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    OpenKey parent;
    std::vector<std::string> path;
    if (LONG status = StartOpen(hKey, lpSubKey, phkResult, parent, path); status != ERROR_SUCCESS)
        return status;
    if (path.size() > kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    bool exists = false;
    LONG result = ReadHive(parent.root, [&](RegistryKey& root) -> LONG {
        if (!root.Descend(parent.path))
            return ERROR_KEY_DELETED;
        exists = root.Descend(path) != nullptr;
        return ERROR_SUCCESS;
    });
    bool created = false;
    if (result == ERROR_SUCCESS && !exists)
        result = WriteHive(parent.root, [&](RegistryKey& root, bool& changed) -> LONG {
            LONG status = CreateAlong(root, parent, path, created);
            changed = created;
            return status;
        });
    if (result != ERROR_SUCCESS)
        return result;
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = NewHandle(OpenKey{parent.root, std::move(path), samDesired});
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    OpenKey parent;
    std::vector<std::string> path;
    if (LONG status = StartOpen(hKey, lpSubKey, phkResult, parent, path); status != ERROR_SUCCESS)
        return status;
    LONG result = ReadHive(parent.root, [&](RegistryKey& root) -> LONG {
        return root.Descend(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (result == ERROR_SUCCESS)
        *phkResult = NewHandle(OpenKey{parent.root, std::move(path), samDesired});
    return result;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    return ReadHive(key.root, [&](RegistryKey& root) -> LONG {
        RegistryKey* found = root.Descend(key.path);
        if (!found)
            return ERROR_KEY_DELETED;
        RegistryValue* value = found->Value(lpValueName ? lpValueName : "");
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (lpType)
            *lpType = value->type;
        return CopyData(value->data, lpData, lpcbData);
    });
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    if (key.root == HKEY_CURRENT_USER && key.path.empty())
        return ERROR_ACCESS_DENIED; // the file holds no values outside a key
    std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    return WriteHive(key.root, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* found = root.Descend(key.path);
        if (!found)
            return ERROR_KEY_DELETED;
        found->SetValue(lpValueName ? lpValueName : "", dwType, data);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!lpValueName || !lpcchValueName)
        return ERROR_INVALID_PARAMETER;
    return ReadHive(key.root, [&](RegistryKey& root) -> LONG {
        RegistryKey* found = root.Descend(key.path);
        if (!found)
            return ERROR_KEY_DELETED;
        if (dwIndex >= found->values.size())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue& value = found->values[dwIndex];
        if (value.name.size() >= *lpcchValueName)
            return ERROR_MORE_DATA;
        LONG status = CopyData(value.data, lpData, lpcbData);
        if (status != ERROR_SUCCESS)
            return status;
        std::memcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
        *lpcchValueName = DWORD(value.name.size());
        if (lpType)
            *lpType = value.type;
        return ERROR_SUCCESS;
    });
}

LONG RegCloseKey(HKEY hKey)
{
    if (IsRoot(hKey))
        return ERROR_SUCCESS;
    auto* handle = reinterpret_cast<OpenKey*>(hKey);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_openKeys.erase(handle) == 0)
            return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}
