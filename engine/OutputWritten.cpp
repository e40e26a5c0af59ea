#include "engine/OutputWritten.h"

#include <sys/stat.h>

OutputWatch::State OutputWatch::Read(const std::string& path)
{
    State state;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return state;
    state.exists = true;
    state.device = st.st_dev;
    state.inode = st.st_ino;
    state.size = st.st_size;
    state.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    state.changed = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
    return state;
}

OutputWatch::OutputWatch(const std::string& path) : path_(path), before_(Read(path)) {}

bool OutputWatch::Written() const
{
    State now = Read(path_);
    if (!now.exists)
        return false;
    if (!before_.exists)
        return true;
    return now.device != before_.device || now.inode != before_.inode || now.size != before_.size ||
           now.modified != before_.modified || now.changed != before_.changed;
}
