// A burst of changes to HKEY_CURRENT_USER that reads and writes its file once.
//
// While a scope lives on a thread, the user hive's file stays locked for
// writing: it is read once when the scope is made, that thread's reads and
// changes of the user hive go to the one tree read from it, and the tree is
// written back once, when the outermost scope goes (or at Save). Other
// processes wait for the file meanwhile. A change the file could not take
// (too large to read back, say) fails the whole write, and the file stays as
// it was; the calls inside the scope cannot report it. Scopes nest.
//   RegistryChangeScope scope;
//   ... several RegCreateKeyExA / RegSetValueExA calls ...
//   bool saved = scope.Save();
#pragma once

#include "platform/win32/registry/RegistryHive.h"

#include <string>

class RegistryChangeScope {
public:
    RegistryChangeScope();
    ~RegistryChangeScope();
    RegistryChangeScope(const RegistryChangeScope&) = delete;
    RegistryChangeScope& operator=(const RegistryChangeScope&) = delete;

    // Writes the changes made so far, when this is the outermost scope;
    // whether the file holds them: false too when a change inside the scope
    // was refused (an inner scope leaves it to the outermost and says true).
    bool Save();
    // Why the changes were not saved, in plain words ("it could not be
    // written (No space left on device)"); empty when none was refused.
    std::string Refusal() const;
};

// The tree a scope read, for the registry calls.
struct UserHiveChange {
    RegistryKey hive;
    bool usable = false;  // the file may be written: missing, ours or damaged
    bool damaged = false; // to be kept aside before the first write
    bool changed = false; // the tree differs from the file
    bool refused = false; // a change did not reach the file
    std::string refusal;  // why changes cannot reach it
};

// For the registry calls: the change under way on this thread for the file
// at path, or null.
UserHiveChange* CurrentUserHiveChange(const std::string& path);
