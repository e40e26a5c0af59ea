#include "platform/win32/registry/RegistryChangeScope.h"

#include "platform/win32/registry/Registry.h"
#include "platform/win32/registry/RegistryReadScope.h"
#include "platform/win32/registry/SharedFile.h"

#include <cerrno>
#include <cstring>
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

// Sets why the scope's changes cannot be saved; false.
bool Refuse(UserHiveChange& tree, const std::string& reason, int error = 0)
{
    tree.refusal = error ? reason + " (" + std::strerror(error) + ")" : reason;
    return false;
}

// Why no change can go into the file as it was found.
void RefuseFromStart(const SharedFileUpdate& file, UserHiveChange& tree)
{
    if (!file.Held() && file.LockError() == EWOULDBLOCK)
        Refuse(tree, "another copy of the program kept it locked for too long");
    else if (!file.Held())
        Refuse(tree, "the lock file beside it cannot be made or opened", file.LockError());
    else if (file.State() == SharedFileRead::Failed)
        Refuse(tree, "it is not a regular file, or it cannot be read");
    else
        Refuse(tree, "it is not a settings file of this version of the program");
}

void Begin(Change& change)
{
    change.path = UserRegistryPath();
    if (change.path.empty()) {
        Refuse(change.tree, "no home folder is known");
        return;
    }
    change.file = std::make_unique<SharedFileUpdate>(change.path);
    SharedFileUpdate& file = *change.file;
    if (file.Held()) {
        change.tree.usable = StartFromFile(file.State(), file.Text(), change.tree);
    } else if (file.State() == SharedFileRead::Read) {
        // No lock to be had (a folder we may not write, a holder that
        // keeps it): the settings still read, and no change is written.
        ParseHive(file.Text(), change.tree.hive);
    }
    if (!change.tree.usable)
        RefuseFromStart(file, change.tree);
    std::string().swap(file.Text()); // the tree holds it now
}

// Puts the tree in place of the file, keeping a damaged one aside first.
bool WriteBack(Change& change)
{
    UserHiveChange& tree = change.tree;
    std::string text;
    if (!FormatReadably(tree.hive, text))
        return Refuse(tree, "the settings would make it too large to read back");
    if (tree.damaged && !change.file->SetAside())
        return Refuse(tree, "its damaged copy could not be kept aside", errno);
    tree.damaged = false;
    if (!change.file->Replace(text))
        return Refuse(tree, "it could not be written", errno);
    ForgetUserHiveReading();
    return true;
}

void End(Change& change)
{
    change.file.reset();
    change.path.clear();
    change.tree.hive.values.clear();
    change.tree.hive.subkeys.clear();
    change.tree.usable = change.tree.damaged = change.tree.changed = change.tree.refused = false;
    change.tree.refusal.clear();
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
    if (change.scopes > 1)
        return true;
    if (!tree.changed)
        return !tree.refused;
    tree.changed = false;
    const bool saved = tree.usable && WriteBack(change);
    // The tree holds a change the file did not take: no later one can go.
    tree.usable = saved;
    tree.refused = !saved;
    return saved;
}

std::string RegistryChangeScope::Refusal() const
{
    return t_change.tree.refused ? t_change.tree.refusal : std::string();
}

UserHiveChange* CurrentUserHiveChange(const std::string& path)
{
    return t_change.scopes > 0 && t_change.path == path ? &t_change.tree : nullptr;
}
