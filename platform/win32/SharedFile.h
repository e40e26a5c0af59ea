// A small per-user file that several processes read and rewrite: the registry
// hive and the INI files. Reads take a shared lock and writes an exclusive
// one, on "<path>.lock" beside the file. A rewrite goes to "<path>.new"
// (mode 0600), is flushed to disk and then renamed over the file, so a crash
// at any point leaves either the old file or the new one, never half of it.
#pragma once

#include <functional>
#include <string>

enum class SharedFileRead {
    Read,     // the file's text is in the string
    Missing,  // there is no file
    Failed,   // it exists but cannot be read, or exceeds the size limit
};

// The folder of this program's per-user files: $XDG_CONFIG_HOME/vantrel,
// else ~/.config/vantrel; empty when no home folder is known.
std::string UserConfigFolder();

// Files larger than this are not read: they are not ours.
constexpr size_t kSharedFileMaxSize = 16 * 1024 * 1024;

SharedFileRead ReadSharedFile(const std::string& path, std::string& text);

// Under the exclusive lock: reads the file, hands its state and text to
// change, and when change returns true writes the changed text back.
// Returns false when the lock, the write or the rename fails, when change
// declines, or when the new text exceeds the size limit; the old file then
// stays as it was. The file's folder is created (mode 0700) when missing.
bool UpdateSharedFile(const std::string& path,
                      const std::function<bool(SharedFileRead state, std::string& text)>& change);

// Renames the file to "<path>.damaged" (or "<path>.damaged-2", ...), keeping
// every earlier copy. Call it only from inside an update's change.
bool SetSharedFileAside(const std::string& path);

// Called after the new file is written and before it is renamed into place.
// Tests use it to end a process in between. Returns the hook it replaces.
using SharedFileReplaceHook = void (*)();
SharedFileReplaceHook SetSharedFileReplaceHook(SharedFileReplaceHook hook);
