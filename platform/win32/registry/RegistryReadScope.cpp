#include "platform/win32/registry/RegistryReadScope.h"

#include "platform/win32/registry/RegistryChangeScope.h"
#include "platform/win32/registry/SharedFile.h"

namespace {

struct Reading {
    int scopes = 0;
    bool taken = false;
    std::string path;
    RegistryKey hive;
};

thread_local Reading t_reading;

void ReadFromFile(const std::string& path, RegistryKey& hive)
{
    std::string text;
    if (ReadSharedFile(path, text) != SharedFileRead::Read)
        text.clear();
    ParseHive(text, hive); // anything but our own format reads as empty
}

} // namespace

RegistryReadScope::RegistryReadScope()
{
    ++t_reading.scopes;
}

RegistryReadScope::~RegistryReadScope()
{
    if (--t_reading.scopes == 0)
        ForgetUserHiveReading();
}

RegistryKey& ReadUserHive(const std::string& path, RegistryKey& unscoped)
{
    if (UserHiveChange* change = CurrentUserHiveChange(path))
        return change->hive; // the file is locked for that change
    if (t_reading.scopes == 0) {
        ReadFromFile(path, unscoped);
        return unscoped;
    }
    if (!t_reading.taken || t_reading.path != path) {
        ReadFromFile(path, t_reading.hive);
        t_reading.taken = true;
        t_reading.path = path;
    }
    return t_reading.hive;
}

void ForgetUserHiveReading()
{
    t_reading.taken = false;
    t_reading.hive.values.clear();
    t_reading.hive.subkeys.clear();
}
