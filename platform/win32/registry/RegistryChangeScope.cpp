#include "platform/win32/registry/RegistryChangeScope.h"

#include "platform/win32/registry/Registry.h"
#include "platform/win32/registry/RegistryReadScope.h"
#include "platform/win32/registry/SharedFile.h"

#include <memory>

namespace {

struct Change {
    int scopes = 0;
    std::string path;
    std::unique_ptr<SharedFileUpdate> file;
    UserHiveChange tree;
};

thread_local Change t_change;

// A foreign file is never written; a damaged one of ours starts an empty
// tree and is to be kept aside, and so is one of ours too large to read.
bool StartFromFile(SharedFileRead state, const std::string& text, UserHiveChange& tree)
{
    switch (state) {
    case SharedFileRead::Missing:
        return true;
    case SharedFileRead::Failed:
        return false;
    case SharedFileRead::Oversized:
        tree.damaged = HiveTextOfStart(text) != HiveText::Foreign;
        return tree.damaged;
    case SharedFileRead::Read:
        break;
    }
    switch (ParseHive(text, tree.hive)) {
    case HiveText::Ours:
        return true;
    case HiveText::Damaged:
        tree.damaged = true;
        return true;
    case HiveText::Foreign:
        return false;
    }
    return false;
}

// The tree's text, unless a later read would not take it back whole.
bool FormatReadably(const RegistryKey& hive, std::string& text)
{
    std::string formatted = FormatHive(hive);
    RegistryKey check;
    if (formatted.size() > kSharedFileMaxSize || ParseHive(formatted, check) != HiveText::Ours)
        return false;
    text = std::move(formatted);
    return true;
}

void Begin(Change& change)
{
    change.path = UserRegistryPath();
    change.file = std::make_unique<SharedFileUpdate>(change.path);
    if (!change.file->Held()) {
        // No lock to be had (a folder we may not write): the settings still
        // read, and no change is written.
        std::string text;
        if (ReadSharedFile(change.path, text) == SharedFileRead::Read)
            ParseHive(text, change.tree.hive);
        return;
    }
    change.tree.usable = StartFromFile(change.file->State(), change.file->Text(), change.tree);
    std::string().swap(change.file->Text()); // the tree holds it now
}

void End(Change& change)
{
    change.file.reset();
    change.path.clear();
    change.tree.hive.values.clear();
    change.tree.hive.subkeys.clear();
    change.tree.usable = change.tree.damaged = change.tree.changed = false;
}

} // namespace

RegistryChangeScope::RegistryChangeScope()
{
    if (t_change.scopes++ == 0)
        Begin(t_change);
}

RegistryChangeScope::~RegistryChangeScope()
{
    if (t_change.scopes == 1)
        Save();
    if (--t_change.scopes == 0)
        End(t_change);
}

bool RegistryChangeScope::Save()
{
    Change& change = t_change;
    UserHiveChange& tree = change.tree;
    if (change.scopes > 1 || !tree.changed)
        return true;
    tree.changed = false;
    std::string text;
    bool saved = tree.usable && FormatReadably(tree.hive, text) && (!tree.damaged || change.file->SetAside());
    if (saved)
        tree.damaged = false;
    saved = saved && change.file->Replace(text);
    if (saved)
        ForgetUserHiveReading();
    // The tree holds a change the file did not take: no later one can go.
    tree.usable = saved;
    return saved;
}

UserHiveChange* CurrentUserHiveChange(const std::string& path)
{
    return t_change.scopes > 0 && t_change.path == path ? &t_change.tree : nullptr;
}
