// A burst of reads of HKEY_CURRENT_USER that reads its file once.
//
// While a scope lives on a thread, that thread's reads of the user hive come
// from one reading of the file, taken at the first read. Every change of the
// thread's that replaces the file drops that reading, so the next read goes
// to the file again; a change refused leaves it. Other processes' changes
// show from the next scope on. Scopes nest.
//   RegistryReadScope scope;
//   ... many RegOpenKeyExA / RegQueryValueExA calls ...
#pragma once

#include "platform/win32/registry/RegistryHive.h"

#include <string>

class RegistryReadScope {
public:
    RegistryReadScope();
    ~RegistryReadScope();
    RegistryReadScope(const RegistryReadScope&) = delete;
    RegistryReadScope& operator=(const RegistryReadScope&) = delete;
};

// For the registry calls: the user hive in the file at path, read into
// unscoped, or inside a scope the scope's one reading of that file.
RegistryKey& ReadUserHive(const std::string& path, RegistryKey& unscoped);

// For the registry calls, after the file was replaced: a scope reads the
// file afresh.
void ForgetUserHiveReading();
