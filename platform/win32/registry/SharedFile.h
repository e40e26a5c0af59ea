// A small per-user file that several processes read and rewrite: the registry
// hive and the INI files. Reads take a shared lock and writes an exclusive
// one, on "<file>.lock" beside the file, where a symbolic link at the path
// points; a lock another holder keeps past kSharedFileLockWait is given up
// (a read then goes on without it, a write is refused). A rewrite goes to a
// copy of the writer's own, "<file>.new-<pid>-<number>" (mode 0600), is
// flushed to disk and then renamed over the file, so a crash at any point
// leaves either the old file or the new one, never half of it; the copies
// that writers killed meanwhile left are removed by the next rewrite. A file
// that is a symbolic link is rewritten where the link points. Only a regular
// file is read: a pipe, device or folder at the name is never waited on.
#pragma once

#include <chrono>
#include <functional>
#include <string>

enum class SharedFileRead {
    Read,      // the file's text is in the string
    Missing,   // there is no file
    Failed,    // it exists but cannot be read, or is not a regular file
    Oversized, // a regular file over the size limit; the string holds its
               // first kSharedFileHeadSize bytes at most
};

// The folder of this program's per-user files: $XDG_CONFIG_HOME/vantrel,
// else ~/.config/vantrel; empty when no home folder is known.
std::string UserConfigFolder();

// Files larger than this are not read whole: settings take a few KiB, and a
// file at the limit still loads in a fraction of a second.
constexpr size_t kSharedFileMaxSize = 4 * 1024 * 1024;
// How much of an oversized file is read, to tell whose it is.
constexpr size_t kSharedFileHeadSize = 256;
// How many set-aside copies are kept; the oldest go first.
constexpr int kSharedFileKeptCopies = 5;
// How long a lock is waited for: a rewrite takes milliseconds, so a holder
// that keeps it longer is stopped or stuck.
constexpr std::chrono::seconds kSharedFileLockWait{3};

SharedFileRead ReadSharedFile(const std::string& path, std::string& text);

// The exclusive hold of a shared file: taken, and the file read, when the
// object is made; released when it goes. Several changes can be made to
// the text and written back once. Without the lock the file is still read,
// and nothing is written.
class SharedFileUpdate {
public:
    // The file's folder is created (mode 0700) when missing.
    explicit SharedFileUpdate(const std::string& path);
    ~SharedFileUpdate();
    SharedFileUpdate(const SharedFileUpdate&) = delete;
    SharedFileUpdate& operator=(const SharedFileUpdate&) = delete;

    // Whether the lock is held; nothing else works without it.
    bool Held() const { return lockFd_ >= 0; }
    // Why it is not: EWOULDBLOCK when another holder kept it, else the
    // error that kept the lock file from being made or opened.
    int LockError() const { return lockError_; }
    SharedFileRead State() const { return state_; }
    std::string& Text() { return text_; }

    // Renames the file aside as SetSharedFileAside does.
    bool SetAside();
    // Puts the text in place of the file; false, and the file left as it
    // was, when the text exceeds the size limit or a step fails.
    bool Replace(const std::string& text);

private:
    std::string path_;
    std::string target_; // where the path's links end
    int lockFd_ = -1;
    int lockError_ = 0;
    SharedFileRead state_ = SharedFileRead::Failed;
    std::string text_;
};

// Under the exclusive lock: reads the file, hands its state and text to
// change, and when change returns true writes the changed text back.
// Returns false when the lock, the write or the rename fails, when change
// declines, or when the new text exceeds the size limit; the old file then
// stays as it was. The file's folder is created (mode 0700) when missing.
bool UpdateSharedFile(const std::string& path,
                      const std::function<bool(SharedFileRead state, std::string& text)>& change);

// Renames the file to "<path>.damaged" (or "<path>.damaged-2", ...: one past
// the highest kept), never over an earlier copy, and keeps the newest
// kSharedFileKeptCopies copies. Call it only from inside an update's change.
bool SetSharedFileAside(const std::string& path);

// Called after the new file is written and before it is renamed into place.
// Tests use it to end a process in between. Returns the hook it replaces.
using SharedFileReplaceHook = void (*)();
SharedFileReplaceHook SetSharedFileReplaceHook(SharedFileReplaceHook hook);
